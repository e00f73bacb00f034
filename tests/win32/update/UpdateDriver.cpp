// Drives the update cycle as a user would: starts the old program from a
// folder of its own, answers the prompt, watches the update window and checks
// what is left on disk and who runs afterwards. One scenario per run:
//   UpdateDriver SCENARIO OLD-EXE SITE-FOLDER SCREENSHOT-FOLDER
// Exit code 0 when every check holds; each failure is printed.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "WinDriving.h"

namespace {

int Failures = 0;

void Check(bool ok, const std::string& what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    if (!ok)
        ++Failures;
}

const char* const OldCaption = "Kestrova  Orvane  2.00";

const char* const SettingsKey = "Software\\Kestrova\\Orvane";

void ForgetLiveUpdate()
{
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, SettingsKey, "LiveUpdate");
}

std::string StoredLiveUpdate()
{
    char data[4096];
    DWORD size = sizeof data;
    return RegGetValueA(HKEY_LOCAL_MACHINE, SettingsKey, "LiveUpdate", RRF_RT_REG_BINARY, nullptr,
                        data, &size) == ERROR_SUCCESS
               ? std::string(data, size)
               : std::string();
}

// The About tab as a reader sees it: the text of its viewer.
std::string AboutText(HWND main)
{
    HWND about = ChildWithText(main, "Current version", "Kestrova TKvHtmlViewer");
    return about ? TextOf(about) : std::string();
}

// The old program in a folder of its own, with no stored text, up to its
// "Auto-update" box; closed (and the stored text forgotten, so that later
// runs in this prefix start as new) when the object goes.
struct TOldProgram {
    std::string FExe;
    std::unique_ptr<TRunning> FProgram;
    HWND FMain = nullptr;
    HWND FPrompt = nullptr;

    TOldProgram(const std::string& oldExe, const std::string& folder)
        : FExe(folder + "\\Orvane.exe")
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        Check(CopyFileA(oldExe.c_str(), FExe.c_str(), FALSE) != 0, "old program copied");
        ForgetLiveUpdate();
        FProgram = std::make_unique<TRunning>(FExe, "", folder);
        FMain = FProgram->Window(OldCaption, 20000);
        Check(FMain != nullptr, "the 2.00 viewer shows");
        FPrompt = FProgram->Window("Auto-update", 20000);
        Check(FPrompt != nullptr, "the Auto-update box appears");
    }
    ~TOldProgram()
    {
        if (HWND main = WindowOf(FProgram->Id(), OldCaption))
            PostMessageA(main, WM_CLOSE, 0, 0);
        Check(FProgram->Ended(10000), "the old program has ended");
        ForgetLiveUpdate();
    }
    void AnswerOk() { PostMessageA(FPrompt, WM_COMMAND, IDOK, 0); }
    DWORD Id() const { return FProgram->Id(); }
};

// The shell that runs the driver saves the update window when it reads this
// line, and leaves NAME.done in the screenshot folder when it has.
void Screenshot(const std::string& folder, const std::string& name)
{
    std::printf("screenshot %s\n", name.c_str());
    std::fflush(stdout);
    WaitFor([&] { return Exists(folder + "\\" + name + ".done"); }, 15000);
}

void UpdateScenario(const std::string& oldExe, const std::string& site)
{
    std::vector<std::string> before = TempFiles("kvu*");
    std::string served = ReadWholeFile(site + "\\imaging\\tiff\\orvane\\liveupdate.txt");
    std::string newExe = ReadWholeFile(site + "\\imaging\\tiff\\orvane\\installer.exe");
    TOldProgram old(oldExe, "C:\\update-e2e-full");
    Check(StoredLiveUpdate() == served, "the registry holds the served live-update text");
    const std::string outOfDate =
        "Current version 2.00 is out of date. Please update to version 2.01.";
    std::string about;
    bool reads = WaitFor(
        [&] { return (about = AboutText(old.FMain)).find(outOfDate) != std::string::npos; }, 10000);
    Check(reads,
          "the About page reads \"" + outOfDate + "\"" + (reads ? "" : "; it reads: " + about));
    Sleep(300);
    Check(WindowCount(old.Id(), "Auto-update") == 1, "the Auto-update box shows once");
    old.AnswerOk();
    Check(old.FProgram->Ended(60000), "the old program ends after the download");
    HWND renewed = WaitForWindow(0, "Kestrova  Orvane  2.01", 30000);
    Check(renewed != nullptr, "the restarted program's caption reads Kestrova  Orvane  2.01");
    Check(ReadWholeFile(old.FExe) == newExe, "the executable in its folder is now the 2.01 file");
    DWORD pid = 0;
    GetWindowThreadProcessId(renewed, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageA(renewed, WM_CLOSE, 0, 0);
    if (process) {
        Check(WaitForSingleObject(process, 10000) == WAIT_OBJECT_0, "the 2.01 program ends");
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
    // The downloaded copy that ran the hand-over removes itself once ended.
    Check(WaitFor([&] { return TempFiles("kvu*") == before; }, 60000),
          "no kvu file is left in the temporary folder");
}

// A 404 or a captive portal's page: the same failure, and nothing starts.
void FailedDownloadScenario(const std::string& oldExe, const std::string& scenario)
{
    std::vector<std::string> before = TempFiles("kvu*");
    TOldProgram old(oldExe, "C:\\update-e2e-" + scenario);
    old.AnswerOk();
    HWND error = WaitForWindow(old.Id(), "Error", 20000);
    Check(error != nullptr, "the Error box appears");
    std::string text = MessageTextOf(error);
    Check(text == "Unable to download update, please try again later",
          "the Error box says: " + text);
    Check(TempFiles("kvu*") == before, "no kvu file is left");
    PostMessageA(error, WM_COMMAND, IDOK, 0);
}

void SlowScenario(const std::string& oldExe, const std::string& shots)
{
    std::vector<std::string> before = TempFiles("kvu*");
    TOldProgram old(oldExe, "C:\\update-e2e-slow");
    old.AnswerOk();
    HWND form = WaitForWindow(old.Id(), "Orvane Update", 20000);
    Check(form != nullptr, "the update window appears");
    RECT client{};
    GetClientRect(form, &client);
    Check(client.right == 460 && client.bottom == 130, "its client area is 460 x 130");
    HWND bar = FindWindowExA(form, nullptr, PROGRESS_CLASSA, nullptr);
    Check(WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) > 0; }, 20000),
          "the bar moves while the download runs");
    Screenshot(shots, "update-window");
    HWND cancel = FindWindowExA(form, nullptr, "Button", "Cancel");
    SendMessageA(cancel, BM_CLICK, 0, 0);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 10000), "Cancel closes the window");
    Check(WaitFor([&] { return TempFiles("kvu*") == before; }, 5000), "no kvu file is left");
    Sleep(500);
    Check(WindowOf(old.Id(), "Error") == nullptr, "nothing is shown");
    Check(!old.FProgram->Ended(0), "the viewer keeps running");
}

// Ends the program that shows the window, whatever it is doing.
void EndProgramOf(HWND wnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
    ForgetLiveUpdate();
}

// A target still held open by the ending program is retried until it is
// free; a read-only one stays as it was, the user is told, and the old
// program starts. Nothing is left beside the target.
void HandOverTargetScenario(const std::string& oldExe, const std::string& site, bool readOnly)
{
    std::string folder = readOnly ? "C:\\update-e2e-readonly" : "C:\\update-e2e-locked";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string target = folder + "\\Orvane.exe", newExe = folder + "\\new-copy.exe";
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    Check(CopyFileA(oldExe.c_str(), target.c_str(), FALSE) != 0, "old program copied");
    CopyFileA((site + "\\imaging\\tiff\\orvane\\installer.exe").c_str(), newExe.c_str(), FALSE);
    const std::string oldBytes = ReadWholeFile(oldExe), newBytes = ReadWholeFile(newExe);
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (readOnly)
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    else
        lock = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ForgetLiveUpdate();
    // Started as the old program starts it, with the handle of one that ended.
    TRunning ended(newExe, "/update abc");
    ended.Ended(10000);
    HANDLE handle = nullptr;
    DuplicateHandle(GetCurrentProcess(), ended.Process(), GetCurrentProcess(), &handle, SYNCHRONIZE,
                    TRUE, 0);
    TRunning handOver(newExe,
                      "/update " + std::to_string(reinterpret_cast<std::uintptr_t>(handle)) +
                          " \"" + target + "\"",
                      "", true);
    CloseHandle(handle);
    Check(handOver.Started(), "the hand-over starts");
    if (readOnly) {
        HWND error = WaitForWindow(handOver.Id(), "Error", 20000);
        std::string text = error ? MessageTextOf(error) : "";
        Check(error != nullptr && !text.empty(), "the Error box gives the system's text: " + text);
        Check(ReadWholeFile(target) == oldBytes, "the old executable is intact");
        PostMessageA(error, WM_COMMAND, IDOK, 0);
    } else {
        Sleep(2000);
        Check(ReadWholeFile(target) == oldBytes, "the target stays whole while it is held");
        CloseHandle(lock);
    }
    HWND started = WaitForWindow(0, readOnly ? OldCaption : "Kestrova  Orvane  2.01", 30000);
    Check(started != nullptr, readOnly ? "the old program starts" : "the new program starts");
    if (!readOnly)
        Check(ReadWholeFile(target) == newBytes, "the target is the new executable");
    if (started)
        EndProgramOf(started);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\kvu*").c_str(), &found);
    Check(search == INVALID_HANDLE_VALUE, "no copy is left beside the target");
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::printf("usage: UpdateDriver SCENARIO OLD-EXE SITE SHOTS\n");
        return 2;
    }
    std::string scenario = argv[1];
    if (scenario == "update")
        UpdateScenario(argv[2], argv[3]);
    else if (scenario == "no-installer" || scenario == "portal")
        FailedDownloadScenario(argv[2], scenario);
    else if (scenario == "slow")
        SlowScenario(argv[2], argv[4]);
    else if (scenario == "handover-locked" || scenario == "handover-readonly")
        HandOverTargetScenario(argv[2], argv[3], scenario == "handover-readonly");
    else
        Check(false, "known scenario " + scenario);
    return Failures == 0 ? 0 : 1;
}
