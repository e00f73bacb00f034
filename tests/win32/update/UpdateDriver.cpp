// Drives the update cycle as a user would: starts the old program from a
// folder of its own, answers the prompt, watches the update window and checks
// what is left on disk and who runs afterwards. One scenario per run:
//   UpdateDriver SCENARIO OLD-EXE SITE-FOLDER SCREENSHOT-FOLDER
// Exit code 0 when every check holds; each failure is printed.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

int Failures = 0;

void Check(bool ok, const std::string& what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    if (!ok)
        ++Failures;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Poll(DWORD limitMs, const std::function<bool()>& done)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs)
            return false;
        Sleep(50);
    }
    return true;
}

struct TFound {
    DWORD Pid;
    std::string Caption;
    HWND Wnd;
};

BOOL CALLBACK FindCaption(HWND wnd, LPARAM data)
{
    auto* f = reinterpret_cast<TFound*>(data);
    char text[256] = {};
    GetWindowTextA(wnd, text, sizeof text);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (IsWindowVisible(wnd) && f->Caption == text && (f->Pid == 0 || f->Pid == pid)) {
        f->Wnd = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND TopWindow(const std::string& caption, DWORD pid = 0)
{
    TFound f{pid, caption, nullptr};
    EnumWindows(FindCaption, reinterpret_cast<LPARAM>(&f));
    return f.Wnd;
}

struct TCount {
    std::string Caption;
    DWORD Pid;
    int Count;
};

// A named callback: the 32-bit system calls it with its own convention.
BOOL CALLBACK CountVisibleWindow(HWND wnd, LPARAM data)
{
    auto* c = reinterpret_cast<TCount*>(data);
    char text[256] = {};
    GetWindowTextA(wnd, text, sizeof text);
    DWORD owner = 0;
    GetWindowThreadProcessId(wnd, &owner);
    if (IsWindowVisible(wnd) && c->Caption == text && owner == c->Pid)
        ++c->Count;
    return TRUE;
}

int CountWindows(const std::string& caption, DWORD pid)
{
    TCount count{caption, pid, 0};
    EnumWindows(CountVisibleWindow, reinterpret_cast<LPARAM>(&count));
    return count.Count;
}

HWND WaitForWindow(const std::string& caption, DWORD pid, DWORD limitMs)
{
    HWND wnd = nullptr;
    Poll(limitMs, [&] { return (wnd = TopWindow(caption, pid)) != nullptr; });
    return wnd;
}

std::string StoredLiveUpdate()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kestrova\\Orvane", 0, KEY_READ, &key))
        return {};
    char data[4096];
    DWORD size = sizeof data, type = 0;
    LONG rc =
        RegQueryValueExA(key, "LiveUpdate", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_BINARY ? std::string(data, size) : std::string();
}

void ForgetLiveUpdate()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kestrova\\Orvane", 0, KEY_SET_VALUE, &key))
        return;
    RegDeleteValueA(key, "LiveUpdate");
    RegCloseKey(key);
}

std::vector<std::string> TempUpdateFiles()
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((std::string(folder) + "kvu*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            names.push_back(data.cFileName);
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return names;
}

PROCESS_INFORMATION Start(const std::string& exe, const std::string& arguments)
{
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::string folder = exe.substr(0, exe.find_last_of('\\'));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        Check(false, "start " + commandLine);
    return process;
}

void CloseProgram(HWND main, HANDLE process)
{
    if (main)
        PostMessageA(main, WM_CLOSE, 0, 0);
    if (process && WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) {
        Check(false, "program ends when closed");
        TerminateProcess(process, 1);
    }
}

// The old program in a folder of its own, with no stored text, up to its
// "Auto-update" box.
struct TOldProgram {
    std::string Exe;
    PROCESS_INFORMATION Process{};
    HWND Main = nullptr;
    HWND Prompt = nullptr;

    TOldProgram(const std::string& oldExe, const std::string& folder)
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        Exe = folder + "\\Orvane.exe";
        Check(CopyFileA(oldExe.c_str(), Exe.c_str(), FALSE) != 0, "old program copied");
        ForgetLiveUpdate();
        Process = Start(Exe, "");
        Main = WaitForWindow("Kestrova  Orvane  2.00", Process.dwProcessId, 20000);
        Check(Main != nullptr, "the 2.00 viewer shows");
        Prompt = WaitForWindow("Auto-update", Process.dwProcessId, 20000);
        Check(Prompt != nullptr, "the Auto-update box appears");
    }
    ~TOldProgram()
    {
        if (Process.hProcess) {
            CloseProgram(TopWindow("Kestrova  Orvane  2.00", Process.dwProcessId),
                         Process.hProcess);
            CloseHandle(Process.hProcess);
            CloseHandle(Process.hThread);
        }
    }
    void AnswerOk() { PostMessageA(Prompt, WM_COMMAND, IDOK, 0); }
};

void Screenshot(const std::string& folder, const std::string& name)
{
    std::printf("screenshot %s\n", name.c_str());
    std::fflush(stdout);
    std::string done = folder + "\\" + name + ".done";
    Poll(15000, [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

void UpdateScenario(const std::string& oldExe, const std::string& site)
{
    std::string served = ReadFile(site + "\\imaging\\tiff\\orvane\\liveupdate.txt");
    std::string newExe = ReadFile(site + "\\imaging\\tiff\\orvane\\installer.exe");
    TOldProgram old(oldExe, "C:\\update-e2e-full");
    Check(StoredLiveUpdate() == served, "the registry holds the served live-update text");
    Sleep(300);
    Check(CountWindows("Auto-update", old.Process.dwProcessId) == 1,
          "the Auto-update box shows once");
    old.AnswerOk();
    Check(WaitForSingleObject(old.Process.hProcess, 60000) == WAIT_OBJECT_0,
          "the old program ends after the download");
    HWND renewed = WaitForWindow("Kestrova  Orvane  2.01", 0, 30000);
    Check(renewed != nullptr, "the restarted program's caption reads Kestrova  Orvane  2.01");
    Check(ReadFile(old.Exe) == newExe, "the executable in its folder is now the 2.01 file");
    DWORD pid = 0;
    GetWindowThreadProcessId(renewed, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    CloseProgram(renewed, process);
    if (process)
        CloseHandle(process);
    CloseHandle(old.Process.hProcess);
    CloseHandle(old.Process.hThread);
    old.Process = {};
}

void NoInstallerScenario(const std::string& oldExe)
{
    std::vector<std::string> before = TempUpdateFiles();
    TOldProgram old(oldExe, "C:\\update-e2e-404");
    old.AnswerOk();
    HWND error = WaitForWindow("Error", old.Process.dwProcessId, 20000);
    Check(error != nullptr, "the Error box appears");
    char text[256] = {};
    GetDlgItemTextA(error, 0xFFFF, text, sizeof text);
    Check(std::string(text) == "Unable to download update, please try again later",
          std::string("the Error box says: ") + text);
    Check(TempUpdateFiles() == before, "no kvu file is left");
    PostMessageA(error, WM_COMMAND, IDOK, 0);
}

void SlowScenario(const std::string& oldExe, const std::string& shots)
{
    std::vector<std::string> before = TempUpdateFiles();
    TOldProgram old(oldExe, "C:\\update-e2e-slow");
    old.AnswerOk();
    HWND form = WaitForWindow("Orvane Update", old.Process.dwProcessId, 20000);
    Check(form != nullptr, "the update window appears");
    HWND bar = FindWindowExA(form, nullptr, "msctls_progress32", nullptr);
    Check(Poll(20000, [&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) > 0; }),
          "the bar moves while the download runs");
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(500);
    Screenshot(shots, "update-window");
    HWND cancel = FindWindowExA(form, nullptr, "Button", "Cancel");
    SendMessageA(cancel, BM_CLICK, 0, 0);
    Check(Poll(10000, [&] { return !IsWindowVisible(form); }), "Cancel closes the window");
    Check(Poll(5000, [&] { return TempUpdateFiles() == before; }), "no kvu file is left");
    Sleep(500);
    Check(TopWindow("Error", old.Process.dwProcessId) == nullptr, "nothing is shown");
    Check(WaitForSingleObject(old.Process.hProcess, 0) == WAIT_TIMEOUT, "the viewer keeps running");
}

void BadHandOverScenario(const std::string& oldExe)
{
    std::string folder = "C:\\update-e2e-handover";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string exe = folder + "\\Orvane.exe";
    CopyFileA(oldExe.c_str(), exe.c_str(), FALSE);
    std::string target = folder + "\\target.txt";
    std::ofstream(target, std::ios::binary) << "untouched";
    PROCESS_INFORMATION p = Start(exe, "/update abc \"" + target + "\"");
    Check(WaitForSingleObject(p.hProcess, 10000) == WAIT_OBJECT_0, "/update abc ends at once");
    Check(ReadFile(target) == "untouched", "/update abc changes nothing");
    CloseHandle(p.hProcess);
    CloseHandle(p.hThread);
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
    else if (scenario == "no-installer")
        NoInstallerScenario(argv[2]);
    else if (scenario == "slow")
        SlowScenario(argv[2], argv[4]);
    else if (scenario == "handover-bad")
        BadHandOverScenario(argv[2]);
    else
        Check(false, "known scenario " + scenario);
    return Failures == 0 ? 0 : 1;
}
