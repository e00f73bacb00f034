// Enter and Escape pressed as a user presses them, in every window whose
// message loop runs the dialog manager, with the focus where a user leaves
// it: the keys go through the system's input queue and the window's own loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>

#include "FakeInstallSystem.h"
#include "LoopbackServer.h"
#include "PortRedirect.h"
#include "TiffWriter.h"
#include "WinDriving.h"
#include "app/KvTiffCodecPages.h"
#include "app/win32/FOrvaneWin.h"
#include "install/FInstallSec.h"
#include "install/win32/KvWizardWin.h"
#include "net/KvHttp.h"
#include "update/win32/FUpdateWin.h"

namespace {

using TStep = TTickScript::TStep;

// Puts the focus on control of the active window top (without control:
// leaves it where the window left it) and presses key.
TStep Press(const std::function<HWND()>& top, const std::function<HWND()>& control, WORD key)
{
    return [=] {
        SetForegroundWindow(top());
        if (control)
            SetFocus(control());
        PressKey(key);
        return true;
    };
}

// Gives a key that must change nothing 400 ms to arrive and be handled,
// then runs look.
TStep ThenLook(std::function<void()> look)
{
    auto start = std::make_shared<DWORD>(0);
    return [=] {
        if (*start == 0)
            *start = GetTickCount();
        if (GetTickCount() - *start < 400)
            return false;
        look();
        return true;
    };
}

// The wizard window of a test: its logic made on the fake system.
class TWizardRun {
public:
    explicit TWizardRun(TKvWizardWin::TLogicFactory factory) : FWin(std::move(factory)) {}

    HWND Wizard() const { return FWin.Handle(); }
    HWND Next() const { return GetDlgItem(Wizard(), IDOK); }
    HWND Edit() const { return FindWindowExA(Wizard(), nullptr, "Edit", nullptr); }
    HWND Child(const char* text) const { return ChildWithText(Wizard(), text, "Button"); }
    bool OnFinishPage() const { return Wizard() && TextOf(Next()) == FinishCaption; }
    bool Ready() const { return Wizard() && IsWindowEnabled(Next()); }
    TStep Press(std::function<HWND()> focus, WORD key)
    {
        return ::Press([this] { return Wizard(); }, std::move(focus), key);
    }

    // The last step's key must end the wizard.
    TKvModalResult Run(std::vector<TStep> steps)
    {
        const std::size_t count = steps.size();
        TTickScript script(std::move(steps), [this] { DestroyWindow(Wizard()); });
        TKvModalResult result = FWin.ShowModal(nullptr);
        EXPECT_EQ(script.StepsDone(), count);
        EXPECT_FALSE(script.GaveUp()) << "the wizard stayed open";
        return result;
    }

private:
    TKvWizardWin FWin;
};

struct TInstallCase {
    const char* FName;
    const char* FFocus;  // the caption of a button on the folder page, or "" for the edit
    WORD FKey;
};

// The folder a user typed is the one installed into, whichever control of
// the page holds the focus when Enter goes; Escape anywhere cancels.
TEST(DialogKeys, InstallerFolderPage)
{
    const TInstallCase cases[] = {
        {"Enter in the folder edit", "", VK_RETURN},
        {"Enter on a check box", "Include in Start menu", VK_RETURN},
        {"Escape in the folder edit", "", VK_ESCAPE},
        {"Escape on the Browse button", "Browse", VK_ESCAPE},
    };
    for (const TInstallCase& c : cases) {
        SCOPED_TRACE(c.FName);
        TFakeInstallSystem sys;
        sys.AddFile(sys.FOwnExe);
        TWizardRun w([&](TKvWizardWin& host) -> std::unique_ptr<TKvWizard> {
            return std::make_unique<TFrmInstallSec>(host, sys);
        });
        auto focus = [&] { return *c.FFocus ? w.Child(c.FFocus) : w.Edit(); };
        std::vector<TStep> steps = {
            [&] { return w.Ready(); },
            w.Press([&] { return w.Next(); }, VK_RETURN),
            [&] {  // the folder page is on show: the user types a folder
                return IsWindowVisible(w.Edit()) && SetWindowTextA(w.Edit(), "C:\\Typed\\Orvane");
            },
            w.Press(focus, c.FKey),
        };
        if (c.FKey == VK_RETURN) {
            steps.push_back([&] { return w.OnFinishPage(); });
            steps.push_back(w.Press(nullptr, VK_RETURN));
        }
        TKvModalResult result = w.Run(steps);
        EXPECT_EQ(result, c.FKey == VK_RETURN ? mrOk : mrCancel);
        EXPECT_EQ(sys.FFiles.count("C:\\Typed\\Orvane\\Orvane.exe"), c.FKey == VK_RETURN ? 1u : 0u);
        EXPECT_EQ(sys.FFolders.count("C:\\Program files\\Kestrova\\Orvane"), 0u);
    }
}

struct TUninstallCase {
    const char* FName;
    WORD FFirstKey;
    // Else on the wizard itself, where the focus goes when the user comes
    // back to it from another window (the work page disabled the buttons).
    bool FFocusOnNext;
};

// Enter on the last page finishes: it starts no further first stage.
TEST(DialogKeys, UninstallerStartsOneFirstStage)
{
    const TUninstallCase cases[] = {
        {"Enter on Next, then on Finish", VK_RETURN, true},
        {"Enter on both pages, the focus on the wizard", VK_RETURN, false},
        {"Escape", VK_ESCAPE, true},
    };
    for (const TUninstallCase& c : cases) {
        SCOPED_TRACE(c.FName);
        TFakeInstallSystem sys;
        TFakeProcesses procs;
        sys.FOwnExe = "C:\\Apps\\Orvane\\Orvane.exe";
        sys.AddFile(sys.FOwnExe);
        sys.AddFolder("C:\\Temp");
        TWizardRun w([&](TKvWizardWin& host) -> std::unique_ptr<TKvWizard> {
            return std::make_unique<TFrmUninstall>(host, sys, procs);
        });
        auto focus = [&] { return c.FFocusOnNext ? w.Next() : w.Wizard(); };
        std::vector<TStep> steps = {[&] { return w.Ready(); }, w.Press(focus, c.FFirstKey)};
        if (c.FFirstKey == VK_RETURN) {
            steps.push_back([&] { return w.OnFinishPage(); });
            steps.push_back(w.Press(focus, VK_RETURN));
        }
        TKvModalResult result = w.Run(steps);
        EXPECT_EQ(result, c.FFirstKey == VK_RETURN ? mrOk : mrCancel);
        EXPECT_EQ(procs.FStarts, c.FFirstKey == VK_RETURN ? 1 : 0);
    }
}

// After an internal failure of the first stage (shown in an error box) the
// uninstaller still closes, by Escape and by its close box.
TEST(DialogKeys, UninstallerClosesAfterAnInternalFailure)
{
    for (bool byKey : {true, false}) {
        SCOPED_TRACE(byKey ? "Escape" : "close box");
        TFakeInstallSystem sys;
        TFakeProcesses procs;
        sys.AddFile(sys.FOwnExe);
        sys.FSpecial = {{SysFolderPrograms, "C:\\Menu"}};
        sys.AddLink("C:\\Menu\\Orvane\\Orvane.lnk", sys.FOwnExe);
        sys.FNoShellLinks = true;
        TWizardRun w([&](TKvWizardWin& host) -> std::unique_ptr<TKvWizard> {
            return std::make_unique<TFrmUninstall>(host, sys, procs);
        });
        std::string shown;
        auto closeErrorBox = [&] {
            HWND box = FindWindowA("#32770", "Error");
            if (box) {
                shown = MessageTextOf(box);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            return box != nullptr;
        };
        auto closeBox = [&] { return PostMessageA(w.Wizard(), WM_CLOSE, 0, 0), true; };
        TKvModalResult result =
            w.Run({[&] { return w.Ready(); }, w.Press([&] { return w.Next(); }, VK_RETURN),
                   closeErrorBox, [] { return FindWindowA("#32770", "Error") == nullptr; },
                   byKey ? w.Press([&] { return w.Wizard(); }, VK_ESCAPE) : TStep(closeBox)});
        EXPECT_EQ(shown, "no shell links");
        EXPECT_EQ(result, mrCancel);
        EXPECT_EQ(procs.FStarts, 0);
    }
}

// Enter on the Cancel button neither cancels nor starts a second download
// (the window has no default button); Escape cancels.
TEST(DialogKeys, UpdateWindowDownloadsOnce)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kvu-keys";
    std::filesystem::create_directories(folder);
    TLoopbackServer server({{SilentTurn()}});
    std::atomic<int> clients{0};
    std::uint16_t port = server.Port();
    TUpdateSource source{"127.0.0.1", 1000,
                         [&clients, port] {
                             ++clients;
                             return std::make_unique<TKvHttpClient>(
                                 std::make_unique<TPortRedirect>(port));
                         },
                         folder.string()};
    TFrmUpdateWin window(source);
    auto top = [&] { return window.Handle(); };
    auto cancel = [&] { return GetDlgItem(window.Handle(), IDCANCEL); };
    bool openAfterEnter = false;
    TTickScript script({[&] { return clients == 1; }, Press(top, cancel, VK_RETURN), ThenLook([&] {
                            openAfterEnter = IsWindowVisible(window.Handle()) != FALSE;
                        }),
                        Press(top, cancel, VK_ESCAPE)},
                       [&] { DestroyWindow(window.Handle()); });
    EXPECT_EQ(window.ShowModal(nullptr), TModalResult::Cancel);
    EXPECT_FALSE(script.GaveUp());
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(clients, 1);
    std::filesystem::remove_all(folder);
}

// Enter in the file name and Escape on a button leave the open file and its
// page as they are: start-up runs once.
TEST(DialogKeys, ViewerKeepsItsPage)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "orvane-keys.tif";
    tiffw::TIfd page;
    page.Entries = {tiffw::Short(256, {100})};
    tiffw::TTiff tiff;
    tiff.Ifds.assign(3, page);
    tiffw::WriteFile(file, tiff);
    TFrmOrvaneWin viewer(file, &CreateTiffCodecPages);
    ASSERT_TRUE(viewer.Create());
    auto top = [&] { return viewer.Handle(); };
    auto label = [&] { return TextOf(viewer.PageLabel()); };
    std::vector<std::string> afterKeys;
    auto note = [&] { afterKeys.push_back(label()); };
    HWND next = viewer.NavButton(2).Handle();
    TTickScript script({[&] { return label() == "Page 1 of 3"; },
                        [&] {
                            SendMessageA(next, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                            SendMessageA(next, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
                            return label() == "Page 2 of 3";
                        },
                        Press(
                            top, [&] { return viewer.FileNameEdit(); }, VK_RETURN),
                        ThenLook(note),
                        Press(
                            top, [&] { return viewer.Control(idButBrowse); }, VK_ESCAPE),
                        ThenLook(note), [] { return PostQuitMessage(0), true; }},
                       [] { PostQuitMessage(0); });
    viewer.RunMessageLoop();
    EXPECT_FALSE(script.GaveUp());
    EXPECT_EQ(afterKeys, std::vector<std::string>({"Page 2 of 3", "Page 2 of 3"}));
    EXPECT_TRUE(IsWindowVisible(viewer.Handle()));
    SendMessageA(viewer.Handle(), WM_CLOSE, 0, 0);
    Pump([] { return false; }, 50);  // takes the quit message the closing posts
    DeleteFileA(file.c_str());
}

}  // namespace
