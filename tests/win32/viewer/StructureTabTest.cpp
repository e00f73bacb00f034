// Drives the viewer's Structure tab as a user would: a click on the tab,
// opening and selecting tree items, the tag list and its buttons.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "TiffWriter.h"
#include "WinDriving.h"
#include "app/KvTiffCodecPages.h"
#include "app/win32/FOrvaneWin.h"

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

std::string Cell(HWND list, int row, int col)
{
    char buf[256] = {};
    LVITEMA item{};
    item.iSubItem = col;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buf;
}

int RowOf(HWND list, const std::string& name)
{
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row)
        if (Cell(list, row, 0) == name)
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
    EXPECT_EQ(Cell(viewer.Tags(), latitude, 1), "Rational");
    EXPECT_EQ(Cell(viewer.Tags(), latitude, 2), "3");
    EXPECT_EQ(RowOf(viewer.Tags(), "ExposureTime"), -1);

    SendMessageA(viewer.Page().Control(idButStructureCopy), BM_CLICK, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    const std::string copied = data ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_NE(copied.find("GPSLatitude (3 Rational): "), std::string::npos) << copied;

    ClickTab(viewer.Win->TabControl(), 0);
    EXPECT_FALSE(IsWindowVisible(viewer.Page().Handle()));
    EXPECT_TRUE(IsWindowVisible(viewer.Win->Sheet()));
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
        const bool counting = !viewer.Win->Logic().FPageCountFinal;
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
        EXPECT_EQ(Cell(viewer.Tags(), 1, 0), "ImageLength");
        EXPECT_EQ(Cell(viewer.Tags(), 1, 3), "999999");
        EXPECT_LT(took, std::chrono::seconds(1));
        RecordProperty("CountRanAtOpen", counting ? "yes" : "no");
        std::printf("opened while counting: %s, open and select took %lld ms\n",
                    counting ? "yes" : "no",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    }
    std::remove(path.c_str());
}
