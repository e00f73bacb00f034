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

// Waits until ms have passed since the step was first called: for keys
// that must change nothing, time to arrive and be handled.
TStep Settle(int ms = 400)
{
    auto start = std::make_shared<DWORD>(0);
    return [=] {
        if (*start == 0)
            *start = GetTickCount();
        return GetTickCount() - *start >= static_cast<DWORD>(ms);
    };
}

TStep Until(std::function<bool()> done)
{
    return [done = std::move(done)] { return done(); };
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
            Until([&] { return w.Wizard() && IsWindowEnabled(w.Next()); }),
            Press([&] { return w.Wizard(); }, [&] { return w.Next(); }, VK_RETURN),
            Until([&] { return IsWindowVisible(w.Edit()) != FALSE; }),
            [&] {
                SetWindowTextA(w.Edit(), "C:\\Typed\\Orvane");
                return true;
            },
            Press([&] { return w.Wizard(); }, focus, c.FKey),
        };
        if (c.FKey == VK_RETURN) {
            steps.push_back(Until([&] { return w.OnFinishPage(); }));
            steps.push_back(Press([&] { return w.Wizard(); }, nullptr, VK_RETURN));
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
        auto top = [&] { return w.Wizard(); };
        std::function<HWND()> focus = [&] { return c.FFocusOnNext ? w.Next() : w.Wizard(); };
        std::vector<TStep> steps = {Until([&] { return w.Wizard() && IsWindowEnabled(w.Next()); }),
                                    Press(top, focus, c.FFirstKey)};
        if (c.FFirstKey == VK_RETURN) {
            steps.push_back(Until([&] { return w.OnFinishPage(); }));
            steps.push_back(Press(top, focus, VK_RETURN));
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
        auto top = [&] { return w.Wizard(); };
        std::string shown;
        TKvModalResult result =
            w.Run({Until([&] { return w.Wizard() && IsWindowEnabled(w.Next()); }),
                   Press(
                       top, [&] { return w.Next(); }, VK_RETURN),
                   Until([&] {
                       HWND box = FindWindowA("#32770", "Error");
                       if (box) {
                           shown = MessageTextOf(box);
                           PostMessageA(box, WM_COMMAND, IDOK, 0);
                       }
                       return box != nullptr;
                   }),
                   Until([] { return FindWindowA("#32770", "Error") == nullptr; }),
                   byKey ? Press(top, top, VK_ESCAPE) : TStep([&] {
                       PostMessageA(w.Wizard(), WM_CLOSE, 0, 0);
                       return true;
                   })});
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
    TTickScript script({Until([&] { return clients == 1; }), Press(top, cancel, VK_RETURN),
                        Settle(),
                        [&] {
                            openAfterEnter = IsWindowVisible(window.Handle()) != FALSE;
                            return true;
                        },
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
    tiffw::TTiff tiff;
    for (std::uint16_t i = 0; i < 3; ++i) {
        tiffw::TIfd ifd;
        ifd.Entries = {tiffw::Short(256, {std::uint16_t(100 + i)})};
        tiff.Ifds.push_back(ifd);
    }
    tiffw::WriteFile(file, tiff);
    TFrmOrvaneWin viewer(file, &CreateTiffCodecPages);
    ASSERT_TRUE(viewer.Create());
    auto top = [&] { return viewer.Handle(); };
    auto label = [&] { return TextOf(viewer.PageLabel()); };
    std::vector<std::string> afterKeys;
    auto note = [&] {
        afterKeys.push_back(label());
        return true;
    };
    TTickScript script({Until([&] { return label() == "Page 1 of 3"; }),
                        [&] {
                            SendMessageA(viewer.NavButton(2).Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                                         MAKELPARAM(5, 5));
                            SendMessageA(viewer.NavButton(2).Handle(), WM_LBUTTONUP, 0,
                                         MAKELPARAM(5, 5));
                            return true;
                        },
                        Until([&] { return label() == "Page 2 of 3"; }),
                        Press(
                            top, [&] { return viewer.FileNameEdit(); }, VK_RETURN),
                        Settle(), note,
                        Press(
                            top, [&] { return viewer.Control(idButBrowse); }, VK_ESCAPE),
                        Settle(), note,
                        [] {
                            PostQuitMessage(0);
                            return true;
                        }},
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
