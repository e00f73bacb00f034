// The GDI canvas draws a small page into a memory bitmap: a cell background,
// a tiled bar and a word where layout put it.
#include <gtest/gtest.h>

#include "html/KvHtml.h"
#include "html/KvHtmlElements.h"
#include "html/win32/KvHtmlCanvasGdi.h"

// After the canvas: its method names are also macros of <windows.h>.
#include "WinDriving.h"

TEST(HtmlGdiCanvas, DrawsBackgroundsTilesAndText)
{
    TPicture tile(2, 8);
    tile.Fill(0, 4, RGB(100, 100, 100));
    tile.Fill(4, 8, RGB(255, 255, 255));
    TKvHtmlImageGdi tileImage(tile.Dc());

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

    TPicture page(200, 80);
    TKvHtmlCanvasGdi canvas(page.Dc());
    std::int32_t minimum = 0, maximum = 0, height = 0;
    document.ComputeMinMaxWidth(canvas, minimum, maximum, code, text);
    document.ComputeHeightForWidth(canvas, 200, height, code, text);
    ASSERT_EQ(code, ErrOk);
    EXPECT_EQ(height, 60);
    document.RenderTo(canvas, 0, 0, 0, 0, 200, 80, code, text);
    ASSERT_EQ(code, ErrOk);

    EXPECT_EQ(page.At(20, 30), RGB(255, 0, 0));     // the red cell
    EXPECT_EQ(page.At(0, 1), RGB(100, 100, 100));   // the bar: a dark dash
    EXPECT_EQ(page.At(1, 6), RGB(255, 255, 255));   // and a light gap
    EXPECT_EQ(page.At(0, 57), RGB(100, 100, 100));  // the last tile, cut to 4 rows
    EXPECT_EQ(page.At(0, 70), RGB(255, 255, 255));  // body background below the table

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
            if (page.At(x, y) != RGB(255, 255, 255))
                ++dark;
    EXPECT_GT(dark, 10);
}
