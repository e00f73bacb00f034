// The byte map control alone in a test window: the pixel that shows bytes
// claimed twice is painted in that class's colour, and a click on it hands
// over the first such byte; clicks outside the picture hand over nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "app/KvByteMapLegend.h"
#include "app/win32/KvByteMapWin.h"

namespace {

// 100,000 bytes: header, a directory, a strip with a value inside it, and
// the bytes between the directory and the strip left unaccounted.
std::shared_ptr<TKvStructureAnalysisResult> SmallMap()
{
    TByteClassifier classifier;
    classifier.Begin(100000);
    classifier.Claim(0, 8, 0, TSpanKind::Header);
    classifier.Directory(8, 1, nullptr);
    classifier.Claim(8, 100, 0, TSpanKind::Directory);
    classifier.Claim(4000, 96000, 0, TSpanKind::Strip);
    classifier.Claim(50001, 10, 282, TSpanKind::Value);
    auto result = std::make_shared<TKvStructureAnalysisResult>();
    result->Readable = true;
    result->Map = classifier.Finish();
    return result;
}

// The client area as painted for WM_PRINTCLIENT, read back pixel by pixel.
class TPrinted {
public:
    TPrinted(HWND wnd, int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        Dc = CreateCompatibleDC(nullptr);
        Bitmap = CreateDIBSection(Dc, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
        Old = SelectObject(Dc, Bitmap);
        SendMessageA(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Dc), PRF_CLIENT);
    }
    ~TPrinted()
    {
        SelectObject(Dc, Old);
        DeleteObject(Bitmap);
        DeleteDC(Dc);
    }
    COLORREF At(int x, int y) const { return GetPixel(Dc, x, y); }

private:
    HDC Dc;
    HBITMAP Bitmap;
    HGDIOBJ Old;
};

void ClickAt(HWND wnd, int x, int y)
{
    SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

}  // namespace

TEST(ByteMapWinTest, APixelShowsItsClassAndAClickGivesItsByte)
{
    HWND parent = CreateWindowExA(0, "STATIC", "Byte map test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                  0, ScaleToDpi(400), ScaleToDpi(300), nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    TKvByteMapWin map;
    ASSERT_TRUE(map.Create(parent, 0, 0, ScaleToDpi(340), ScaleToDpi(200)));
    std::vector<std::uint64_t> clicks;
    map.FOnClick = [&](std::uint64_t offset) { clicks.push_back(offset); };
    const auto result = SmallMap();
    map.SetMap(result);

    const RECT picture = map.PictureRect();
    const int width = picture.right, height = picture.bottom;
    ASSERT_GT(width * height, 1000);
    const std::vector<TByteClass> classes =
        result->Map.PixelClasses(static_cast<std::uint32_t>(width * height));
    const auto find = [&](TByteClass byteClass) {
        return static_cast<int>(std::find(classes.begin(), classes.end(), byteClass) -
                                classes.begin());
    };
    const int overlap = find(TByteClass::Overlap), gap = find(TByteClass::Unaccounted);
    ASSERT_LT(overlap, width * height);
    ASSERT_LT(gap, width * height);

    const TPrinted printed(map.Handle(), width, height + ScaleToDpi(80));
    const std::uint32_t red = ByteClassColour(TByteClass::Overlap);
    EXPECT_EQ(printed.At(overlap % width, overlap / width),
              RGB(red >> 16, red >> 8 & 0xFF, red & 0xFF));

    ClickAt(map.Handle(), overlap % width, overlap / width);
    ClickAt(map.Handle(), gap % width, gap / width);
    ClickAt(map.Handle(), 1, height + ScaleToDpi(10));  // on the legend
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0], 50001u);
    EXPECT_EQ(result->Map.RegionAt(clicks[1]).Class, TByteClass::Unaccounted);

    map.SetMap(nullptr);
    ClickAt(map.Handle(), overlap % width, overlap / width);
    EXPECT_EQ(clicks.size(), 2u);
    DestroyWindow(parent);
}
