// Drives the viewer's Structure tab as a user would: a click on the tab,
// opening and selecting tree items, the tag list and its buttons.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "TiffWriter.h"
#include "WinDriving.h"
#include "app/KvTiffCodecPages.h"
#include "app/win32/FOrvaneWin.h"
#include "inspect/ByteClasses.h"

namespace {

void PumpFor(int ms)
{
    Pump([] { return false; }, ms);
}

std::string TempFile(const std::string& name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

int RowOf(HWND list, const std::string& name)
{
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row)
        if (ListCellText(list, row, 0) == name)
            return row;
    return -1;
}

std::string ItemText(HWND tree, HTREEITEM item)
{
    char buf[256] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buf;
    tv.cchTextMax = sizeof buf;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    return buf;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how)
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// The first child of the item (nullptr: the top level) whose label starts so.
HTREEITEM ChildStarting(HWND tree, HTREEITEM parent, const std::string& start)
{
    HTREEITEM item = parent ? Next(tree, parent, TVGN_CHILD) : Next(tree, nullptr, TVGN_ROOT);
    for (; item; item = Next(tree, item, TVGN_NEXT))
        if (ItemText(tree, item).rfind(start, 0) == 0)
            return item;
    return nullptr;
}

// A click in the middle of a tab's caption.
void ClickTab(HWND tabs, int index)
{
    RECT r{};
    SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(tabs, WM_LBUTTONUP, 0, at);
}

void Open(HWND tree, HTREEITEM item)
{
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

void Select(HWND tree, HTREEITEM item)
{
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

struct TViewer {
    std::unique_ptr<TFrmOrvaneWin> Win;
    explicit TViewer(const std::string& argument)
    {
        Win = std::make_unique<TFrmOrvaneWin>(argument, &CreateTiffCodecPages);
        EXPECT_TRUE(Win->Create());
        PumpFor(100);
    }
    ~TViewer()
    {
        SendMessageA(Win->Handle(), WM_CLOSE, 0, 0);
        PumpFor(50);
    }
    TOrvaneStructureWin& Page() { return Win->StructurePage(); }
    HWND Tree() { return Page().Control(idTreDirectories); }
    HWND Tags() { return Page().Control(idLivStructureTags); }
};

// A page with EXIF and GPS directories; the GPS tags out of order and one
// value beyond the end of the file.
tiffw::TTiff DamagedTiff()
{
    using namespace tiffw;
    TTiff tiff;
    TIfd page;
    page.Entries = {Short(256, {64}), Short(257, {64}), Pointer(34665, {1}), Pointer(34853, {2})};
    tiff.Ifds = {page, ChildIfd({Rational(33434, {{1, 250}}), Rational(33437, {{28, 10}})}),
                 ChildIfd({Rational(2, {{48, 1}, {51, 1}, {0, 1}}), Ascii(1, "N"),
                           Bare(4, tRational, 3).WithField(0x7FFFFF00)})};
    return tiff;
}

// Where to click on the map so that it means a byte in [start, end).
bool MapPointOf(const std::string& path, TKvByteMapWin& map, std::uint64_t start, std::uint64_t end,
                POINT& at)
{
    const TCheckOptions options;
    std::ostringstream out;
    TFindingReport findings(options, out);
    TByteClassMap classes;
    ClassifyFileBytes(path, findings, classes, out);
    const RECT picture = map.PictureRect();
    const auto pixels = static_cast<std::uint32_t>(picture.right * picture.bottom);
    for (std::uint32_t i = 0; i < pixels; ++i) {
        const std::uint64_t offset = classes.PixelOffset(i, pixels);
        if (offset >= start && offset < end) {
            at = {LONG(i % std::uint32_t(picture.right)), LONG(i / std::uint32_t(picture.right))};
            return true;
        }
    }
    return false;
}

// A compact chain of a million small pages, written in one go.
std::string WriteMillionPages()
{
    constexpr std::uint32_t Pages = 1000000;
    const std::uint32_t size = tiffw::DirectorySize(2);
    std::vector<std::uint8_t> bytes = tiffw::EncodeHeader(tiffw::TOrder::Little, 8);
    bytes.reserve(8 + std::size_t(size) * Pages);
    for (std::uint32_t i = 0; i < Pages; ++i) {
        const std::uint32_t next = i + 1 < Pages ? 8 + (i + 1) * size : 0;
        tiffw::AppendDirectory(
            tiffw::TOrder::Little,
            {tiffw::Short(256, {std::uint16_t(i % 60000 + 1)}), tiffw::Long(257, {i + 1})}, next,
            bytes);
    }
    const std::string path = TempFile("structure-million.tif");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

}  // namespace

// The tab costs nothing until chosen; then the EXIF and GPS directories
// exiftool wrote hang below the page, with their tags by their own names.
TEST(StructureTab, ExifAndGpsDirectoriesOfAnExiftoolFile)
{
    TViewer viewer(ORVANE_EXIF_GPS_TIF);
    EXPECT_EQ(viewer.Page().Logic(), nullptr);
    EXPECT_EQ(viewer.Page().Handle(), nullptr);
    ClickTab(viewer.Win->TabControl(), 1);
    ASSERT_NE(viewer.Page().Logic(), nullptr);
    EXPECT_TRUE(IsWindowVisible(viewer.Page().Handle()));
    EXPECT_FALSE(IsWindowVisible(viewer.Win->Sheet()));

    HWND tree = viewer.Tree();
    HTREEITEM page = ChildStarting(tree, nullptr, "Page 1 at offset ");
    ASSERT_NE(page, nullptr) << ItemText(tree, Next(tree, nullptr, TVGN_ROOT));
    Open(tree, page);
    HTREEITEM exif = ChildStarting(tree, page, "EXIF directory at offset ");
    HTREEITEM gps = ChildStarting(tree, page, "GPS directory at offset ");
    ASSERT_NE(exif, nullptr);
    ASSERT_NE(gps, nullptr);

    Select(tree, exif);
    EXPECT_GE(RowOf(viewer.Tags(), "ExposureTime"), 0);
    Select(tree, gps);
    const int latitude = RowOf(viewer.Tags(), "GPSLatitude");
    ASSERT_GE(latitude, 0);
    EXPECT_EQ(RowOf(viewer.Tags(), "ExposureTime"), -1);

    SendMessageA(viewer.Page().Control(idButStructureCopy), BM_CLICK, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    const std::string copied = data ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_NE(copied.find("GPSLatitude (3 Rational): "), std::string::npos) << copied;
}

// The problems of a damaged file are listed when the check on its worker is
// done; choosing one selects its directory and entry, and so does a click
// on the byte map.
TEST(StructureTab, ProblemsAndTheByteMapSelectTheirEntry)
{
    const std::string path = TempFile("structure-damaged.tif");
    const tiffw::TLayout layout = tiffw::Lay(DamagedTiff());
    tiffw::WriteFile(path, layout);
    {
        TViewer viewer(path);
        ClickTab(viewer.Win->TabControl(), 1);
        HWND problems = viewer.Page().Control(idLivProblems);
        HWND tree = viewer.Tree();
        Pump([&] { return SendMessageA(problems, LVM_GETITEMCOUNT, 0, 0) > 0; }, 20000);
        int outside = -1;
        const int rows = static_cast<int>(SendMessageA(problems, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows && outside < 0; ++row)
            if (ListCellText(problems, row, 2) == "page 1 > GPS directory" &&
                ListCellText(problems, row, 3).find("[value-outside]") != std::string::npos)
                outside = row;
        ASSERT_GE(outside, 0) << ListCellText(problems, 0, 3);
        EXPECT_EQ(ListCellText(problems, outside, 0), "error");

        LVITEMA state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(problems, LVM_SETITEMSTATE, WPARAM(outside), reinterpret_cast<LPARAM>(&state));
        HTREEITEM selected = Next(tree, nullptr, TVGN_CARET);
        EXPECT_EQ(ItemText(tree, selected).rfind("GPS directory at offset ", 0), 0u);
        const int row = static_cast<int>(
            SendMessageA(viewer.Tags(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
        ASSERT_GE(row, 0);
        EXPECT_EQ(ListCellText(viewer.Tags(), row, 0), "GPSLongitude");
        EXPECT_TRUE(IsWindowEnabled(viewer.Page().Control(idButStructureView)));

        // The EXIF directory's first value lies right after its entries.
        SendMessageA(viewer.Page().Control(idButShowByteMap), BM_CLICK, 0, 0);
        HWND map = viewer.Page().ByteMap().Handle();
        EXPECT_TRUE(IsWindowVisible(map));
        EXPECT_FALSE(IsWindowVisible(problems));
        const std::uint64_t value = layout.IfdOffsets[1] + tiffw::DirectorySize(2);
        POINT at{};
        ASSERT_TRUE(MapPointOf(path, viewer.Page().ByteMap(), value, value + 8, at));
        SendMessageA(map, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageA(map, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        selected = Next(tree, nullptr, TVGN_CARET);
        EXPECT_EQ(ItemText(tree, selected).rfind("EXIF directory at offset ", 0), 0u);
        const int valueRow = static_cast<int>(
            SendMessageA(viewer.Tags(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
        EXPECT_EQ(ListCellText(viewer.Tags(), valueRow, 0), "ExposureTime");
    }
    std::remove(path.c_str());
}

// The last range opens as soon as the count reaches it and grows while the
// count runs on; opening it and listing page 999,999's tags take less than a
// second between them.
TEST(StructureTab, LastPageOfAMillionWhileTheCountRuns)
{
    const std::string path = WriteMillionPages();
    {
        TViewer viewer(path);
        ClickTab(viewer.Win->TabControl(), 1);
        HWND tree = viewer.Tree();
        HTREEITEM last = nullptr;
        Pump(
            [&] {
                last = ChildStarting(tree, nullptr, "Pages 999001-");
                return last != nullptr;
            },
            60000);
        ASSERT_NE(last, nullptr);

        auto start = std::chrono::steady_clock::now();
        Open(tree, last);
        auto took = std::chrono::steady_clock::now() - start;
        HTREEITEM page = nullptr;
        Pump(
            [&] {
                page = ChildStarting(tree, last, "Page 999999 at offset ");
                return page != nullptr;
            },
            60000);
        ASSERT_NE(page, nullptr);
        start = std::chrono::steady_clock::now();
        Select(tree, page);
        const int rows = static_cast<int>(SendMessageA(viewer.Tags(), LVM_GETITEMCOUNT, 0, 0));
        took += std::chrono::steady_clock::now() - start;
        ASSERT_EQ(rows, 2);
        EXPECT_EQ(ListCellText(viewer.Tags(), 1, 0), "ImageLength");
        EXPECT_EQ(ListCellText(viewer.Tags(), 1, 3), "999999");
        EXPECT_LT(took, std::chrono::seconds(1));
    }
    std::remove(path.c_str());
}
