// The GDI canvas draws a small page into a memory bitmap: a cell background,
// a tiled bar and a word where layout put it.
#include <gtest/gtest.h>

#include <cstring>

#include "html/KvHtml.h"
#include "html/KvHtmlElements.h"
#include "html/win32/KvHtmlCanvasGdi.h"

namespace {

// A top-down 32-bit DIB section selected into its own memory device context.
struct TBitmap {
    HDC FDc = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOld = nullptr;
    std::uint32_t* FBits = nullptr;
    int FWidth, FHeight;

    TBitmap(int width, int height) : FWidth(width), FHeight(height)
    {
        BITMAPINFO info;
        std::memset(&info, 0, sizeof info);
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        FDc = CreateCompatibleDC(nullptr);
        FBitmap = CreateDIBSection(FDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        FBits = static_cast<std::uint32_t*>(bits);
        FOld = SelectObject(FDc, FBitmap);
    }
    ~TBitmap()
    {
        SelectObject(FDc, FOld);
        DeleteObject(FBitmap);
        DeleteDC(FDc);
    }
    // 0xRRGGBB
    std::uint32_t Pixel(int x, int y)
    {
        GdiFlush();
        return FBits[y * FWidth + x] & 0xFFFFFF;
    }
    void Fill(int top, int bottom, COLORREF color)
    {
        RECT rect = {0, top, FWidth, bottom};
        HBRUSH brush = CreateSolidBrush(color);
        ::FillRect(FDc, &rect, brush);
        DeleteObject(brush);
    }
};

}  // namespace

TEST(HtmlGdiCanvas, DrawsBackgroundsTilesAndText)
{
    TBitmap tile(2, 8);
    tile.Fill(0, 4, RGB(100, 100, 100));
    tile.Fill(4, 8, RGB(255, 255, 255));
    TKvHtmlImageGdi tileImage(tile.FDc);

    TKvHtml document;
    document.OnGetImage = [&](TKvHtml&, const std::string& name, TKvHtmlImage*& image,
                              std::int32_t& width, std::int32_t& height) {
        if (name == "url(verbar)") {
            image = &tileImage;
            width = 2;
            height = 8;
        }
    };
    TErrCode code = ErrOk;
    std::string text;
    document.LoadFromString(
        "<body style=\"margin: 0 0 0\"><table><col width=\"2\"><col width=\"40\"><col><tr>"
        "<td style=\"background-image:url(verbar);background-repeat:repeat;\"></td>"
        "<td bgcolor=\"#ff0000\"><img src=\"none\" width=\"1\" height=\"60\"></td>"
        "<td>Word</td></tr></table></body>",
        code, text);
    ASSERT_EQ(code, ErrOk);

    TBitmap page(200, 80);
    TKvHtmlCanvasGdi canvas(page.FDc);
    std::int32_t minimum = 0, maximum = 0, height = 0;
    document.ComputeMinMaxWidth(canvas, minimum, maximum, code, text);
    document.ComputeHeightForWidth(canvas, 200, height, code, text);
    ASSERT_EQ(code, ErrOk);
    EXPECT_EQ(height, 60);
    document.RenderTo(canvas, 0, 0, 0, 0, 200, 80, code, text);
    ASSERT_EQ(code, ErrOk);

    EXPECT_EQ(page.Pixel(20, 30), 0xFF0000u);  // the red cell
    EXPECT_EQ(page.Pixel(0, 1), 0x646464u);    // the bar: a dark dash
    EXPECT_EQ(page.Pixel(1, 6), 0xFFFFFFu);    // and a light gap
    EXPECT_EQ(page.Pixel(0, 57), 0x646464u);   // the last tile, cut to 4 rows
    EXPECT_EQ(page.Pixel(0, 70), 0xFFFFFFu);   // body background below the table

    TKvHtmlElement* body = document.Root()->FFirstChild->FFirstChild;
    auto* table = static_cast<TKvHtmlElementTable*>(body->FFirstChild);
    auto* run = dynamic_cast<TKvHtmlElementText*>(table->CellStart(0, 2)->FFirstChild);
    ASSERT_NE(run, nullptr);
    const WordItem* word = &run->FItems.front();
    EXPECT_EQ(word->FX, 42);
    EXPECT_GT(word->FWidth, 10);
    int dark = 0;
    for (int y = word->FBaseline - word->FAscent; y < word->FBaseline + word->FDescent; ++y)
        for (int x = word->FX; x < word->FX + word->FWidth; ++x)
            if (page.Pixel(x, y) != 0xFFFFFFu)
                ++dark;
    EXPECT_GT(dark, 10);
}
