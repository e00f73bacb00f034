// Drives the system's open dialog as a user would: a name typed into its name
// field, then Open, from a second thread while the dialog runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>
#include <objbase.h>
#include <shlobj.h>

#include <chrono>
#include <functional>
#include <thread>

#include "shelldlg/win32/KvDialogs.h"

namespace {

struct TFound {
    HWND Owner = nullptr;
    HWND Wnd = nullptr;
};

// A visible dialog of this process owned by Owner (the open dialog itself
// has none).
BOOL CALLBACK FindOwnDialog(HWND wnd, LPARAM param)
{
    auto* found = reinterpret_cast<TFound*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[16] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(wnd) &&
        GetWindow(wnd, GW_OWNER) == found->Owner) {
        found->Wnd = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(HWND owner)
{
    TFound found{owner, nullptr};
    EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&found));
    return found.Wnd;
}

bool WaitFor(const std::function<bool()>& done, int ms = 15000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Sleep(10);
    }
    return true;
}

HWND NameField(HWND dialog)
{
    HWND field = GetDlgItem(dialog, cmb13);
    return field ? field : GetDlgItem(dialog, edt1);
}

std::string TextOf(HWND wnd)
{
    char text[MAX_PATH] = {};
    SendMessageA(wnd, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string FolderOf(HWND dialog)
{
    char path[MAX_PATH] = {};
    SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
    return path;
}

// Types text into the name field and presses Open once, then waits for done;
// a message box the dialog opens instead (a name it refuses) is closed and
// counts as failure.
bool TypeAndOpen(HWND dialog, const std::string& text, const std::function<bool()>& done)
{
    HWND field = nullptr;
    if (!WaitFor([&] { return (field = NameField(dialog)) != nullptr; }))
        return false;
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (TextOf(field) != text)
        return false;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    HWND box = nullptr;
    WaitFor([&] { return done() || (box = FindDialog(dialog)) != nullptr; });
    if (box)
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    return !box && done();
}

std::string PathOf(PCIDLIST_ABSOLUTE item)
{
    char path[MAX_PATH] = {};
    if (!item || !SHGetPathFromIDListA(item, path))
        return "";
    return path;
}

bool SamePath(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

struct TFolder {
    std::string Path;
    TFolder()
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        Path = std::string(temp) + "orvane-dialog";
        CreateDirectoryA(Path.c_str(), nullptr);
        CreateDirectoryA((Path + "\\sub").c_str(), nullptr);
    }
    ~TFolder()
    {
        DeleteFileA((Path + "\\sub\\deep.tif").c_str());
        RemoveDirectoryA((Path + "\\sub").c_str());
        DeleteFileA((Path + "\\scan.tif").c_str());
        RemoveDirectoryA(Path.c_str());
    }
    std::string Write(const char* name) const
    {
        std::string path = Path + "\\" + name;
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, "II*\0\0\0\0\0", 8, &written, nullptr);
        CloseHandle(f);
        return path;
    }
};

// Runs the Browse button's dialog while a user types the names one after
// the other into it; each but the last must move the dialog into a folder.
struct TDialogRun {
    TKvFileDialog Dialog;
    TErrCode ErrCode = ErrOk;
    std::string ErrText;
    bool Driven = false;

    void Run(const std::vector<std::string>& folders, const std::string& name)
    {
        Dialog.SetFilter(TiffFilterText(), 0);
        Dialog.SetDereferenceLinks(true);
        std::thread user([&] {
            HWND dialog = nullptr;
            Driven = WaitFor([&] { return (dialog = FindDialog(nullptr)) != nullptr; });
            for (const std::string& folder : folders)
                Driven = Driven && TypeAndOpen(dialog, folder,
                                               [&] { return SamePath(FolderOf(dialog), folder); });
            Driven = Driven && TypeAndOpen(dialog, name, [&] { return !IsWindow(dialog); });
            if (IsWindow(dialog))
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Dialog.Execute(nullptr, ErrCode, ErrText);
        user.join();
    }
};

class FileDialog : public testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

}  // namespace

// The confirmed file's item identifier comes from the name resolved within
// the current folder, or from the desktop when the typed name carries a path
// (relative or full). Wine's dialog refuses a name typed without its
// extension before it appends the default one, so that case is left to the
// native test of the decision.
TEST_F(FileDialog, TypedNamesGiveTheFileAndItsItemIdentifier)
{
    TFolder folder;
    const std::string scan = folder.Write("scan.tif");
    const std::string deep = folder.Write("sub\\deep.tif");
    const struct {
        std::vector<std::string> Folders;
        std::string Typed, Expected;
    } cases[] = {
        {{folder.Path}, "scan.tif", scan},
        {{folder.Path}, "sub\\deep.tif", deep},
        {{folder.Path + "\\sub"}, scan, scan},
    };
    for (const auto& c : cases) {
        TDialogRun run;
        run.Run(c.Folders, c.Typed);
        ASSERT_TRUE(run.Driven) << c.Typed;
        EXPECT_EQ(run.ErrCode, ErrOk) << run.ErrText;
        EXPECT_FALSE(run.Dialog.Cancelled());
        EXPECT_TRUE(SamePath(run.Dialog.FileName(), c.Expected)) << run.Dialog.FileName();
        EXPECT_TRUE(SamePath(PathOf(run.Dialog.ChosenItem()), c.Expected)) << c.Typed;
    }
}
