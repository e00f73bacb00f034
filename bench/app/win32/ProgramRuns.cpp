#include "../ProgramRuns.h"

#include <windows.h>

#include <chrono>

namespace {

using TClock = std::chrono::steady_clock;

// A started program, ended by force if it still runs when the object goes.
class TProgram {
public:
    TProgram(const char* exe, const std::string& arguments, bool quiet)
    {
        std::string line = "\"" + WindowsPath(exe) + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        if (quiet) {
            FNul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = startup.hStdError = FNul;
        }
        FStarted = CreateProcessA(nullptr, line.data(), nullptr, nullptr, quiet, 0, nullptr,
                                  nullptr, &startup, &FInfo) != 0;
    }
    ~TProgram()
    {
        if (FStarted) {
            if (WaitForSingleObject(FInfo.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(FInfo.hProcess, 1);
            WaitForSingleObject(FInfo.hProcess, 10000);
            CloseHandle(FInfo.hThread);
            CloseHandle(FInfo.hProcess);
        }
        if (FNul != INVALID_HANDLE_VALUE)
            CloseHandle(FNul);
    }
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    bool Started() const { return FStarted; }
    DWORD Id() const { return FInfo.dwProcessId; }
    // Waits up to ms for the end; true with the exit code when it ended.
    bool Ended(DWORD ms, DWORD& exitCode) const
    {
        return WaitForSingleObject(FInfo.hProcess, ms) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(FInfo.hProcess, &exitCode);
    }

private:
    // The build's paths are Unix ones; Wine shows the Unix root as Z:.
    static std::string WindowsPath(const char* unixPath)
    {
        std::string path = unixPath[0] == '/' ? std::string("Z:") + unixPath : unixPath;
        for (char& c : path)
            if (c == '/')
                c = '\\';
        return path;
    }

    PROCESS_INFORMATION FInfo{};
    HANDLE FNul = INVALID_HANDLE_VALUE;
    bool FStarted = false;
};

struct TSearch {
    DWORD Process;
    const char* Class;
    const char* Text;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND wnd, LPARAM param)
{
    auto& search = *reinterpret_cast<TSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    char name[64] = "", text[64] = "";
    GetClassNameA(wnd, name, sizeof name);
    if (search.Text)
        GetWindowTextA(wnd, text, sizeof text);
    if (process == search.Process && lstrcmpiA(name, search.Class) == 0 &&
        (!search.Text || lstrcmpA(text, search.Text) == 0)) {
        search.Found = wnd;
        return FALSE;
    }
    return TRUE;
}

// The read-only field beside the "Number of pages" label, once the
// window has made it.
HWND PageCountField(DWORD process)
{
    TSearch main{process, "Kestrova TFrmOrvane", nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&main));
    if (!main.Found)
        return nullptr;
    TSearch label{process, "Static", "Number of pages"};
    EnumChildWindows(main.Found, MatchWindow, reinterpret_cast<LPARAM>(&label));
    return label.Found ? GetWindow(label.Found, GW_HWNDNEXT) : nullptr;
}

std::string FieldText(HWND field)
{
    char text[64] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(field, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 1000, &length);
    return text;
}

}  // namespace

double ViewerProgramCount(const std::string& path, unsigned expectedPages)
{
    const auto start = TClock::now();
    TProgram viewer(ORVANE_EXE, "\"" + path + "\"", false);
    if (!viewer.Started())
        return -1;
    const std::string final = std::to_string(expectedPages);
    HWND field = nullptr;
    DWORD exitCode = 0;
    // Polled every millisecond: the figure is as exact as the wait allows.
    while (TClock::now() < start + std::chrono::minutes(5) && !viewer.Ended(1, exitCode)) {
        if (!field)
            field = PageCountField(viewer.Id());
        if (field && FieldText(field) == final) {
            const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
            PostMessageA(GetAncestor(field, GA_ROOT), WM_CLOSE, 0, 0);
            return viewer.Ended(10000, exitCode) ? seconds : -1;
        }
    }
    return -1;
}

double DumpProgramRun(const std::string& path)
{
    const auto start = TClock::now();
    TProgram dump(ORVANE_DUMP_EXE, "--page 1 \"" + path + "\"", true);
    DWORD exitCode = 1;
    if (!dump.Started() || !dump.Ended(60000, exitCode) || exitCode != 0)
        return -1;
    return std::chrono::duration<double>(TClock::now() - start).count();
}
