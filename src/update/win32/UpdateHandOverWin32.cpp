#include <windows.h>

#include "io/SysErr.h"
#include "io/win32/SysElevation.h"
#include "io/win32/WideCalls.h"
#include "io/win32/WidePath.h"
#include "update/FUpdateHandOver.h"
#include "update/win32/UpdateProcessWin32.h"

namespace {

class TWinHandOverSystem : public IKvHandOverSystem {
public:
    bool WaitForOldProgram(std::uint64_t handle) override
    {
        auto process = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
        if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0)
            return false;
        CloseHandle(process);
        return true;
    }

    std::string OwnExecutable() override { return ModulePath(); }

    std::uint32_t CopyNextTo(const std::string& source, const std::string& target,
                             std::string& staged) override
    {
        std::string folder = target.substr(0, target.find_last_of("\\/:") + 1);
        std::string name;
        if (std::uint32_t code = CreateUniqueTempFile(folder.empty() ? "." : folder, "kvu", name))
            return code;
        if (!CopyFileW(SystemPath(source).c_str(), SystemPath(name).c_str(), FALSE)) {
            DWORD code = GetLastError();
            DeleteFileW(SystemPath(name).c_str());
            return code;
        }
        staged = name;
        return 0;
    }

    std::uint32_t ReplaceFile(const std::string& staged, const std::string& target) override
    {
        return MoveFileExW(SystemPath(staged).c_str(), SystemPath(target).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? 0
                   : GetLastError();
    }

    void RemoveFile(const std::string& path) override { DeleteFileW(SystemPath(path).c_str()); }

    bool IsReadOnly(const std::string& path) override
    {
        DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    }

    bool CanElevate() override { return SysCanElevate(); }
    std::uint32_t RunElevated(const std::string& arguments) override
    {
        return SysRunElevated(arguments);
    }

    std::uint32_t Milliseconds() override { return GetTickCount(); }
    void Pause(std::uint32_t milliseconds) override { Sleep(milliseconds); }

    void ShowError(std::uint32_t code) override
    {
        MessageBoxA(nullptr, SysErrorText(code).c_str(), "Error", MB_OK | MB_ICONERROR);
    }

    void StartProgram(const std::string& path) override { StartProgramLine("\"" + path + "\""); }
};

}  // namespace

void RunUpdateHandOver(const std::vector<std::string>& arguments)
{
    TWinHandOverSystem sys;
    std::uint32_t code = RunHandOver(sys, arguments);
    // The elevated run reports to the copy that waits for it, and nothing
    // else of this process matters.
    if (arguments.size() > 2 && arguments[2] == ElevatedHandOverMark)
        ExitProcess(code);
}
