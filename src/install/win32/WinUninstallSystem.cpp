#include "install/win32/WinUninstallSystem.h"

#include <windows.h>

#include "io/SysErr.h"

std::uint32_t TKvWinUninstallSystem::CreateTempFile(const std::string& prefix, std::string& path)
{
    char folder[MAX_PATH] = {}, name[MAX_PATH] = {};
    if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, prefix.c_str(), 0, name))
        return GetLastError();
    path = name;
    return 0;
}

std::uint32_t TKvWinUninstallSystem::StartSecondStage(const std::string& tempCopy,
                                                      const std::string& installedExe)
{
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE, TRUE, 0))
        RaiseInternal("FUninstall 263.85");
    std::string commandLine =
        SecondStageCommandLine(tempCopy, reinterpret_cast<std::uintptr_t>(self), installedExe);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::uint32_t code = 0;
    if (CreateProcessA(tempCopy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        code = GetLastError();
    }
    CloseHandle(self);
    return code;
}

bool TKvWinUninstallSystem::WaitForProcess(std::uintptr_t handle)
{
    HANDLE process = reinterpret_cast<HANDLE>(handle);
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0)
        return false;
    CloseHandle(process);
    return true;
}

std::string TKvWinUninstallSystem::ErrorText(std::uint32_t code)
{
    return SysErrorText(code);
}

void DeleteOwnCopyWhenEnded()
{
    char own[MAX_PATH] = {}, system[MAX_PATH] = {};
    if (!GetModuleFileNameA(nullptr, own, MAX_PATH) || !GetSystemDirectoryA(system, MAX_PATH))
        return;
    // The interpreter retries for about half a minute: the copy's file is
    // free only once this process is gone.
    const std::string quoted = "\"" + std::string(own) + "\"";
    std::string commandLine =
        "\"" + std::string(system) + "\\cmd.exe\" /d /q /c for /l %i in (1,1,60) do (del /f /q " +
        quoted + " >nul 2>nul & (if not exist " + quoted + " exit) & ping -n 2 127.0.0.1 >nul)";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                       nullptr, system, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
