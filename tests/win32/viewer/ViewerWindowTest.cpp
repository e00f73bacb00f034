// Drives the real viewer window by messages, as a user's clicks would.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <shlobj.h>

#include <chrono>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>

#include "TiffWriter.h"
#include "WinDriving.h"
#include "app/KvTiffCodecPages.h"
#include "app/win32/FOrvaneWin.h"
#include "hexview/win32/FHex.h"
#include "io/win32/WidePath.h"

namespace {

std::string TempFile(const std::string& name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

tiffw::TTiff PagesTiff(std::size_t pages)
{
    tiffw::TTiff tiff;
    for (std::size_t i = 0; i < pages; ++i) {
        tiffw::TIfd ifd;
        ifd.Entries = {tiffw::Short(256, {std::uint16_t(100 + i)}), tiffw::Short(257, {50}),
                       tiffw::Ascii(270, "page text")};
        tiff.Ifds.push_back(ifd);
    }
    return tiff;
}

std::string WriteTiff(const std::string& name, std::size_t pages)
{
    std::string path = TempFile(name);
    tiffw::WriteFile(path, PagesTiff(pages));
    return path;
}

// Tag files named outside any ANSI code page: one in 'Ärger 日本' under the
// temporary folder, one below a path of more than 300 characters; removed
// again with their folders.
struct TUnicodeFiles {
    static constexpr const char* Name = "\xE5\x86\x99\xE7\x9C\x9F \xE2\x80\x93 \xC3\x9C"
                                        "bersicht \xC5\x81\xC3\x93"
                                        "D\xC5\xB9.tif";
    std::string Folder, File, Deep, Missing;

    TUnicodeFiles()
    {
        Folder = TempFile("\xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC");
        File = Folder + "\\" + Name;
        Missing = Folder + "\\fehlt \xE2\x80\x93 \xE6\x97\xA5.tif";
        std::string deep = Folder;
        while (deep.size() < 300)
            deep += "\\" + std::string(40, 'd');
        std::filesystem::create_directories(ExtendedLengthPath(WideText(deep)));
        Deep = deep + "\\" + Name;
        const std::vector<std::uint8_t> bytes = tiffw::Bytes(PagesTiff(3));
        for (const std::string& path : {File, Deep}) {
            std::ofstream out(std::filesystem::path(SystemPath(path)), std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        }
    }
    ~TUnicodeFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(SystemPath(Folder), ignored);
    }
};

// What the shell hands a window when a file is dropped on it.
HDROP DropOf(const std::string& path)
{
    const std::wstring wide = WideText(path);
    const std::size_t size = sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), wide.c_str(),
                wide.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

void PumpFor(int ms)
{
    Pump([] { return false; }, ms);
}

std::string Cell(HWND list, int row, int col)
{
    return ListCellText(list, row, col);
}

void ClickGlyph(TKvExplorerButton& b)
{
    SendMessageA(b.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(b.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

// Runs Inspect from inside the next modal loop (message box or tag value
// window), then closes what it found.
std::function<void()> Inspect;
void CALLBACK InspectTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (Inspect)
        Inspect();
}

struct Viewer {
    std::unique_ptr<TFrmOrvaneWin> Win;
    explicit Viewer(const std::string& argument)
    {
        Win = std::make_unique<TFrmOrvaneWin>(argument, &CreateTiffCodecPages);
        EXPECT_TRUE(Win->Create());
    }
    ~Viewer()
    {
        SendMessageA(Win->Handle(), WM_CLOSE, 0, 0);
        PumpFor(50);
    }
    std::vector<bool> Nav()
    {
        return {Win->NavButton(0).Enabled(), Win->NavButton(1).Enabled(),
                Win->NavButton(2).Enabled(), Win->NavButton(3).Enabled()};
    }
};

}  // namespace

// View shows the selected value's bytes; Copy puts the page's dump on the
// clipboard, and while another program holds the clipboard, the "Error" box
// says so.
TEST(ViewerWindow, ViewAndCopyTagsShowTheValueAndFillTheClipboard)
{
    Viewer v(WriteTiff("orvane-copy.tif", 2));
    HWND list = v.Win->Control(idLivTags);
    Pump([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0; });
    LVITEMA item{};
    item.stateMask = item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
    ASSERT_TRUE(IsWindowEnabled(v.Win->Control(idButViewTagValue)));
    std::vector<std::uint8_t> seen;
    std::string caption;
    Inspect = [&] {
        if (TFrmHex* hex = TFrmHex::Showing()) {
            seen = hex->Hexview()->Model().Data();
            caption = TextOf(hex->Handle());
            PostMessageA(hex->Handle(), WM_COMMAND, IDCANCEL, 0);
        }
    };
    SetTimer(nullptr, 0, 100, InspectTimer);
    SendMessageA(v.Win->Control(idButViewTagValue), BM_CLICK, 0, 0);
    EXPECT_EQ(caption, "ImageDescription");
    EXPECT_EQ(std::string(seen.begin(), seen.end()), std::string("page text\0", 10));

    ASSERT_TRUE(IsWindowEnabled(v.Win->Control(idButCopyTagsAsText)));
    SendMessageA(v.Win->Control(idButCopyTagsAsText), BM_CLICK, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    std::string text = data ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(text, "ImageWidth (1 Short): 100\r\nImageLength (1 Short): 50\r\n"
                    "ImageDescription (10 ASCII): page text \r\n");

    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        BOOL open = OpenClipboard(nullptr);
        SetEvent(opened);
        WaitForSingleObject(release, 20000);
        if (open)
            CloseClipboard();
    });
    WaitForSingleObject(opened, 20000);
    std::string boxText;
    Inspect = [&] {
        if (HWND box = FindWindowA("#32770", "Error")) {
            boxText = MessageTextOf(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    };
    SetTimer(nullptr, 0, 300, InspectTimer);
    SendMessageA(v.Win->Control(idButCopyTagsAsText), BM_CLICK, 0, 0);
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_FALSE(boxText.empty());
}

// The glyph buttons page through the file (Enter and Escape are the dialog
// keys test's).
TEST(ViewerWindow, ArgumentFillsTheFieldsAndGlyphButtonsPage)
{
    Viewer v(WriteTiff("orvane-four.tif", 4));
    Pump([&] { return TextOf(v.Win->PageLabel()) == "Page 1 of 4"; });
    ASSERT_EQ(TextOf(v.Win->PageLabel()), "Page 1 of 4");
    EXPECT_EQ(v.Nav(), std::vector<bool>({false, false, true, true}));
    // The statistics, each in its own field.
    EXPECT_TRUE(TextOf(v.Win->EditOf(0)).ends_with(" b"));
    EXPECT_EQ(TextOf(v.Win->EditOf(1)), "Intel");
    EXPECT_EQ(TextOf(v.Win->EditOf(2)), "4");
    EXPECT_EQ(TextOf(v.Win->EditOf(3)), "8");
    ClickGlyph(v.Win->NavButton(2));
    ASSERT_EQ(TextOf(v.Win->PageLabel()), "Page 2 of 4");
    EXPECT_EQ(v.Nav(), std::vector<bool>({true, true, true, true}));
    EXPECT_EQ(Cell(v.Win->Control(idLivTags), 0, 3), "101");

    ClickGlyph(v.Win->NavButton(3));
    EXPECT_EQ(TextOf(v.Win->PageLabel()), "Page 4 of 4");
    EXPECT_EQ(v.Nav(), std::vector<bool>({true, true, false, false}));
    ClickGlyph(v.Win->NavButton(0));
    EXPECT_EQ(TextOf(v.Win->PageLabel()), "Page 1 of 4");
}

// The count of a long file starts before the window is made; its progress
// then has no window to go to, and the final count must still arrive.
TEST(ViewerWindow, CountStartedBeforeTheWindowShowsInIt)
{
    Viewer v(WriteTiff("orvane-many.tif", 20000));
    Pump([&] { return TextOf(v.Win->EditOf(2)) == "20000"; });
    EXPECT_EQ(TextOf(v.Win->EditOf(2)), "20000");
    EXPECT_EQ(TextOf(v.Win->PageLabel()), "Page 1 of 20000");
}

TEST(ViewerWindow, GlyphButtonLeavesHotWhenItLosesTheMouse)
{
    Viewer v(WriteTiff("orvane-hot.tif", 3));
    Pump([&] { return TextOf(v.Win->PageLabel()) == "Page 1 of 3"; });
    TKvExplorerButton& next = v.Win->NavButton(2);
    SendMessageA(next.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(next.State(), TButtonState::Hot);
    ASSERT_EQ(GetCapture(), next.Handle());
    EnableWindow(v.Win->Handle(), FALSE);  // what a message box does to its owner
    EXPECT_EQ(next.State(), TButtonState::Normal);
    EnableWindow(v.Win->Handle(), TRUE);

    SendMessageA(next.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(next.State(), TButtonState::Hot);
    SendMessageA(next.Handle(), WM_CANCELMODE, 0, 0);
    EXPECT_EQ(next.State(), TButtonState::Normal);
    EXPECT_NE(GetCapture(), next.Handle());

    SendMessageA(next.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SetCapture(v.Win->Handle());
    EXPECT_EQ(next.State(), TButtonState::Normal);
    ReleaseCapture();
}

TEST(ViewerWindow, PathsTheShellCannotParseFallBackToThePathAsGiven)
{
    TFrmOrvaneWin win("", &CreateTiffCodecPages);
    for (const char* path : {"/nonexist.tif", "C:/x/y.tif", "\\\\?\\C:\\x.tif", "x.tif", ""})
        EXPECT_EQ(win.DisplayPath(path), "") << path;
    EXPECT_EQ(win.DisplayPath("C:\\windows\\win.ini"), "C:\\windows\\win.ini");
}

// Hints are found over disabled buttons. The task bar button carries the
// application title, not the caption; it minimises the program with every
// window it shows, restores it with the main window active, and closes it.
TEST(ViewerWindow, HintsOfDisabledButtonsAndTheApplicationsTaskBarButton)
{
    Viewer v("");
    PumpFor(100);
    HWND view = v.Win->Control(idButViewTagValue);
    ASSERT_FALSE(IsWindowEnabled(view));
    RECT r;
    GetWindowRect(view, &r);
    char text[128] = {};
    TTHITTESTINFOA hit{};
    hit.hwnd = v.Win->Sheet();
    hit.pt = {r.left + 5, r.top + 5};
    ScreenToClient(hit.hwnd, &hit.pt);
    hit.ti.cbSize = sizeof(hit.ti);
    hit.ti.lpszText = text;
    ASSERT_TRUE(SendMessageA(v.Win->ToolTips(), TTM_HITTESTA, 0, reinterpret_cast<LPARAM>(&hit)));
    SendMessageA(v.Win->ToolTips(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&hit.ti));
    EXPECT_STREQ(text, "Pops up a hex dump window to display the selected tag's value");

    EXPECT_EQ(TaskBarTexts(GetCurrentProcessId()), std::vector<std::string>({"Orvane"}));
    TErrCode errCode = 0;
    std::string errText;
    v.Win->Logic().OpenFile(WriteTiff("orvane-task.tif", 1), errCode, errText);
    EXPECT_EQ(TaskBarTexts(GetCurrentProcessId()),
              std::vector<std::string>({"Orvane - orvane-task.tif"}));
    EXPECT_EQ(TextOf(v.Win->Handle()).rfind("Kestrova  Orvane  2.00  -  ", 0), 0u);

    HWND app = v.Win->ApplicationWindow(), main = v.Win->Handle();
    SendMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PumpFor(50);
    EXPECT_TRUE(IsIconic(app));
    EXPECT_FALSE(IsWindowVisible(main));
    ShowWindow(app, SW_RESTORE);
    Pump([&] { return GetActiveWindow() == main; }, 2000);
    EXPECT_TRUE(IsWindowVisible(main));
    SetActiveWindow(app);
    Pump([&] { return GetActiveWindow() == main; }, 2000);
    EXPECT_EQ(GetActiveWindow(), main);
    SendMessageA(app, WM_CLOSE, 0, 0);
    Pump([&] { return !IsWindow(main); }, 2000);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(TaskBarTexts(GetCurrentProcessId()), std::vector<std::string>());
}

// Names outside the code page and paths beyond 260 characters open from the
// command line: caption and pages right. A missing one, and a Unix-like path
// the shell cannot turn into a display path, show the "Error" box naming it
// as given; the program goes on and ends cleanly.
TEST(ViewerProgram, UnicodeAndLongPathsOpenAndMissingOnesAreNamed)
{
    TUnicodeFiles files;
    for (const std::string& path : {files.File, files.Deep}) {
        TRunning program(WindowsPathOf(ORVANE_EXE), "\"" + path + "\"");
        ASSERT_TRUE(program.Started());
        HWND main = WaitForWindowOfClass(program.Id(), "Kestrova TFrmOrvane");
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(WaitFor([&] { return ChildWithText(main, "Page 1 of 3", "Static"); }))
            << path.size();
        EXPECT_TRUE(CaptionOf(main).ends_with("  -  " + path)) << CaptionOf(main);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.Ended(10000));
    }
    const std::string notFound = "Opening file '" + files.Missing +
                                 "': ERROR_FILE_NOT_FOUND: The system cannot find the file "
                                 "specified";
    for (auto [argument, named] :
         {std::pair<std::string, std::string>{"/nonexist.tif", "nonexist.tif"},
          {"\"" + files.Missing + "\"", notFound}}) {
        SCOPED_TRACE(argument);
        TRunning program(WindowsPathOf(ORVANE_EXE), argument);
        HWND box = WaitForWindowOfClass(program.Id(), "#32770");
        ASSERT_NE(box, nullptr);
        EXPECT_NE(MessageTextOf(box).find(named), std::string::npos) << MessageTextOf(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        HWND main = WaitForWindowOfClass(program.Id(), "Kestrova TFrmOrvane");
        EXPECT_NE(main, nullptr);
        if (main)
            PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.Ended(10000));
        DWORD exitCode = 1;
        GetExitCodeProcess(program.Process(), &exitCode);
        EXPECT_EQ(exitCode, 0u);
    }
}

// Files dropped on the window, and one typed into the dialog of Browse,
// open by their real names: caption, task bar text, pages and tags.
TEST(ViewerWindow, UnicodeFilesOpenByDropAndThroughBrowse)
{
    TUnicodeFiles files;
    Viewer v("");
    PumpFor(50);
    HWND main = v.Win->Handle();
    auto expectOpened = [&](const std::string& path) {
        Pump([&] { return TextOf(v.Win->PageLabel()) == "Page 1 of 3"; });
        EXPECT_EQ(TextOf(v.Win->PageLabel()), "Page 1 of 3");
        EXPECT_TRUE(CaptionOf(main).ends_with("  -  " + path)) << CaptionOf(main);
        EXPECT_EQ(TextOf(v.Win->FileNameEdit()), path);
        EXPECT_EQ(Cell(v.Win->Control(idLivTags), 0, 3), "100");
        EXPECT_EQ(v.Win->ApplicationTitle(), std::string("Orvane - ") + TUnicodeFiles::Name);
    };
    for (const std::string& path : {files.File, files.Deep}) {
        SendMessageA(main, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(path)), 0);
        expectOpened(path);
    }
    bool driven = false;
    std::thread user([&] {
        HWND dialog = nullptr;
        driven = WaitFor([&] { return (dialog = OwnedDialog(main)) != nullptr; }, 15000) &&
                 TypeIntoOpenDialog(dialog, files.File, [&] { return !IsWindow(dialog); });
        if (dialog && IsWindow(dialog))
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageA(v.Win->Control(idButBrowse), BM_CLICK, 0, 0);
    user.join();
    ASSERT_TRUE(driven);
    expectOpened(files.File);
}
