// Installs and uninstalls the real program in the test's Wine prefix, driven
// from outside as a user would: find the wizard, press its buttons, then read
// the files and shortcuts back through the shell.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "WinDriving.h"
#include "install/InstallShell.h"
#include "install/win32/WinInstallSystem.h"
#include "io/win32/WideCalls.h"
#include "io/win32/WidePath.h"
#include "shelldlg/win32/KvBrowseForFolder.h"
#include "shelldlg/win32/KvShellPlaces.h"

namespace {

// A posted click: the wizard may open a modal window or work for a while.
void Click(HWND button)
{
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(button) != 0; }, 10000));
    PostMessageA(button, BM_CLICK, 0, 0);
}

struct TLink {
    std::string FTarget, FArguments, FDescription;
};

// The target in its long form: a link keeps a long one in its short form.
TLink ReadLink(const std::string& file)
{
    wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, description[MAX_PATH] = {};
    IShellLinkW* shell = nullptr;
    PIDLIST_ABSOLUTE item = nullptr;
    IPersistFile* persist = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell))))
        return {};
    const std::wstring wide = WideText(file);
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(wide.c_str(), STGM_READ))) {
        // The shell follows the item identifier, which keeps the full names.
        if (FAILED(shell->GetIDList(&item)) || !item || !SHGetPathFromIDListW(item, target))
            shell->GetPath(target, MAX_PATH, nullptr, 0);
        shell->GetArguments(arguments, MAX_PATH);
        shell->GetDescription(description, MAX_PATH);
    }
    if (item)
        CoTaskMemFree(item);
    if (persist)
        persist->Release();
    shell->Release();
    return {LongPathName(Utf8Text(target)), Utf8Text(arguments), Utf8Text(description)};
}

std::string SpecialFolder(int id)
{
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, id, TRUE);
    return path;
}

// Removes a file or a folder with everything in it; nothing when absent.
void Remove(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(SystemPath(path), ignored);
}

// The Browse button opens the folder browser with its places bar (their
// layout and placement are checked without windows), and it is cancelled.
void CheckFolderBrowser(const TRunning& setup, HWND wizard)
{
    Click(ChildWithText(wizard, "Browse", "Button"));
    HWND dialog = setup.Window("Browse for Orvane directory...");
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(FindWindowExA(dialog, nullptr, "TKvPlacesBar", nullptr), nullptr);
    // Cancel until the dialog has gone: a single click can be lost under load.
    EXPECT_TRUE(WaitFor([&] {
        if (!IsWindow(dialog))
            return true;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        Sleep(200);
        return !IsWindow(dialog);
    }));
}

class InstallEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        FPrograms = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\OrvaneWineTest";
        FMenu = SpecialFolder(CSIDL_PROGRAMS);
        FDesktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
        CleanUp();
        char own[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, own, MAX_PATH);
        FSetup = std::string(own, std::strrchr(own, '\\')) + "\\OrvaneSetup.exe";
        ASSERT_TRUE(CopyFileA(WindowsPathOf(ORVANE_EXE).c_str(), FSetup.c_str(), FALSE));
    }
    void TearDown() override
    {
        CleanUp();
        DeleteFileA(FSetup.c_str());
        CoUninitialize();
    }
    void CleanUp()
    {
        for (const std::string& path : {FPrograms, FMenu + "\\Orvane", FMenu + "\\OrvaneForeign",
                                        FMenu + "\\OrvaneOther.lnk", FDesktop + "\\Orvane.lnk"})
            Remove(path);
    }

    // Runs the installer's wizard into folder; boxes: both check boxes stay
    // set; browser: the folder browser is tried first.
    void Install(const std::string& folder, bool boxes, bool browser = false)
    {
        TRunning setup(FSetup, "/install");
        HWND wizard = setup.Window("Installer");
        ASSERT_NE(wizard, nullptr);
        EXPECT_EQ(TaskBarTexts(setup.Id()), std::vector<std::string>({"Orvane"}));
        HWND next = GetDlgItem(wizard, IDOK);
        Click(next);
        HWND edit = FindWindowExA(wizard, nullptr, "Edit", nullptr);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(edit) != 0; }));
        if (browser)
            CheckFolderBrowser(setup, wizard);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideText(folder).c_str()));
        if (!boxes) {
            SendMessageA(ChildWithText(wizard, "Include in Start menu", "Button"), BM_CLICK, 0, 0);
            SendMessageA(ChildWithText(wizard, "Build desktop icon", "Button"), BM_CLICK, 0, 0);
        }
        Click(next);
        ASSERT_TRUE(WaitFor([&] { return TextOf(next) == "Finish"; }));
        HWND report = ChildWithText(
            wizard,
            "Kestrova Orvane has successfully been installed. There's no need to restart your "
            "computer. Click 'Finish' and you're ready!",
            "Static");
        EXPECT_NE(report, nullptr);
        Click(next);
        EXPECT_TRUE(setup.Ended());
    }

    // Runs the uninstaller's wizard of exe; atFinish looks on while it shows
    // its last page, the program still running.
    void Uninstall(const std::string& exe, const std::function<void()>& atFinish = {})
    {
        TRunning uninstall(exe, "/uninstall");
        HWND wizard = uninstall.Window("Uninstaller");
        ASSERT_NE(wizard, nullptr);
        EXPECT_EQ(TaskBarTexts(uninstall.Id()), std::vector<std::string>({"Orvane"}));
        HWND next = GetDlgItem(wizard, IDOK);
        Click(next);
        ASSERT_TRUE(WaitFor([&] { return TextOf(next) == "Finish"; }));
        EXPECT_NE(ChildWithText(wizard,
                                "Orvane is removed from your system. Hit 'Finish' and you're "
                                "ready.",
                                "Static"),
                  nullptr);
        if (atFinish)
            atFinish();
        Click(next);
        EXPECT_TRUE(uninstall.Ended());
    }

    // Every link of a full installation points at exe.
    void ExpectLinksTo(const std::string& exe)
    {
        const std::string group = FMenu + "\\Orvane";
        struct {
            std::string FFile, FDescription, FArguments;
        } links[] = {{group + "\\Orvane.lnk", "Orvane", ""},
                     {group + "\\Manual.lnk", "Manual", "/manual"},
                     {group + "\\Uninstall.lnk", "Uninstall", "/uninstall"},
                     {FDesktop + "\\Orvane.lnk", "Orvane", ""}};
        for (const auto& l : links) {
            TLink link = ReadLink(l.FFile);
            EXPECT_TRUE(SameTextAscii(link.FTarget, exe)) << l.FFile << ": " << link.FTarget;
            EXPECT_EQ(link.FArguments, l.FArguments) << l.FFile;
            EXPECT_EQ(link.FDescription, l.FDescription) << l.FFile;
        }
    }

    std::string FPrograms, FMenu, FDesktop, FSetup;
};

}  // namespace

TEST_F(InstallEndToEnd, InstallsAndUninstallsThroughTheWizards)
{
    const std::vector<std::string> copiesBefore = TempFiles("kvu*.tmp");
    const std::string folder = FPrograms + "\\Orvane", exe = folder + "\\Orvane.exe";
    const std::string group = FMenu + "\\Orvane";
    Install(folder, true, true);
    ASSERT_TRUE(Exists(exe));
    ExpectLinksTo(exe);

    // Both boxes cleared: the folder and the executable, nothing more.
    const std::string plain = FPrograms + "\\Plain";
    Install(plain, false);
    EXPECT_TRUE(Exists(plain + "\\Orvane.exe"));
    EXPECT_TRUE(SameTextAscii(ReadLink(FDesktop + "\\Orvane.lnk").FTarget, exe));
    EXPECT_FALSE(Exists(FMenu + "\\Orvane\\Plain.lnk"));

    // Again over the first installation.
    Install(folder, true);
    EXPECT_TRUE(Exists(exe));

    // Shortcuts that are not ours, beside the group.
    TKvWinInstallSystem sys;
    ASSERT_TRUE(sys.SaveShortcut(FMenu + "\\OrvaneOther.lnk", "Other", plain + "\\Orvane.exe", ""));
    CreateDirectoryA((FMenu + "\\OrvaneForeign").c_str(), nullptr);
    ASSERT_TRUE(sys.SaveShortcut(FMenu + "\\OrvaneForeign\\Orvane.lnk", "Orvane", exe, ""));
    sys.CopyFileTo(WindowsPathOf(ORVANE_EXE), FMenu + "\\OrvaneForeign\\readme.txt");

    Uninstall(exe, [&] {
        EXPECT_FALSE(Exists(group));
        EXPECT_FALSE(Exists(FDesktop + "\\Orvane.lnk"));
        EXPECT_TRUE(Exists(FMenu + "\\OrvaneOther.lnk"));
        EXPECT_TRUE(Exists(FMenu + "\\OrvaneForeign\\readme.txt"));
        EXPECT_FALSE(Exists(FMenu + "\\OrvaneForeign\\Orvane.lnk"));
        EXPECT_TRUE(Exists(exe));  // still running
    });
    EXPECT_TRUE(WaitFor([&] { return !Exists(folder); }));
    EXPECT_TRUE(Exists(plain + "\\Orvane.exe"));

    // The temporary copy goes once it has ended.
    EXPECT_TRUE(WaitFor([&] { return TempFiles("kvu*.tmp") == copiesBefore; }, 60000));
}

// A folder named outside any code page, and one of a path beyond 260
// characters, whose links then hold the short form of the program's path.
// Wine starts no program from a path that long, nor from its short or
// extended form, so only the first is uninstalled again.
TEST_F(InstallEndToEnd, InstallsIntoUnicodeAndLongFoldersAndUninstalls)
{
    std::string deep = FPrograms + "\\" + std::string(40, 'L');
    while (deep.size() < 300)
        deep += "\\" + std::string(40, 'L');
    const std::string unicode = FPrograms + "\\\xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC";
    for (const std::string& folder : {deep, unicode}) {
        Install(folder, true);
        ASSERT_TRUE(Exists(folder + "\\Orvane.exe")) << folder.size();
        ExpectLinksTo(folder + "\\Orvane.exe");
    }
    Uninstall(unicode + "\\Orvane.exe");
    EXPECT_TRUE(WaitFor([&] { return !Exists(unicode); }));
    EXPECT_FALSE(Exists(FDesktop + "\\Orvane.lnk"));
    EXPECT_TRUE(Exists(deep + "\\Orvane.exe"));
}

TEST(ShellPlaces, DefaultsAndPolicyKey)
{
    CoInitialize(nullptr);
    const char* testKey = "Software\\OrvaneTest\\PlacesBar";
    RegDeleteKeyA(HKEY_CURRENT_USER, testKey);
    {
        TKvShellPlaces places;
        places.Load(HKEY_CURRENT_USER, testKey);
        EXPECT_TRUE(places.UsesDefaults());
        for (int i = 0; i < TKvShellPlaces::Count; ++i)
            EXPECT_NE(places.Item(i), nullptr) << i;
        EXPECT_EQ(places.Caption(0), "History");
        EXPECT_FALSE(places.Caption(1).empty());
        EXPECT_GE(places.Icon(1), 0);
        EXPECT_NE(places.LargeImages(), nullptr);
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, testKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    DWORD desktop = CSIDL_DESKTOP;
    RegSetValueExA(key, "Place1", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&desktop), 4);
    const char unixPath[] = "/nonexistent/folder";
    RegSetValueExA(key, "Place2", 0, REG_SZ, reinterpret_cast<const BYTE*>(unixPath),
                   sizeof unixPath);
    RegCloseKey(key);
    {
        TKvShellPlaces places;
        places.Load(HKEY_CURRENT_USER, testKey);
        EXPECT_FALSE(places.UsesDefaults());
        EXPECT_EQ(places.Item(0), nullptr);
        EXPECT_NE(places.Item(1), nullptr);
        EXPECT_EQ(places.Item(2), nullptr);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, testKey);
    CoUninitialize();
}

// A folder text the shell cannot parse, as the folder page's edit may hold
// it, opens the browser at its default folder (the places bar's own such
// texts are the test above's).
TEST(FolderBrowser, UnparsableFolderOpensAtTheDefault)
{
    CoInitialize(nullptr);
    TKvBrowseForFolder browser;
    browser.SetTitle("Unparsable start");
    browser.SetInitialFolder("/nonexistent/folder");
    browser.SetCustomLayout(true);
    browser.SetPlaces(true);
    auto cancel = [] {
        HWND dialog = FindWindowA("#32770", "Unparsable start");
        return dialog && PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    TTickScript script({cancel}, cancel);
    std::uint32_t errCode = 0;
    std::string errText;
    browser.Execute(nullptr, errCode, errText);
    EXPECT_EQ(script.StepsDone(), 1u);
    EXPECT_EQ(errCode, 0u) << errText;
    EXPECT_TRUE(browser.Cancelled());
    CoUninitialize();
}
