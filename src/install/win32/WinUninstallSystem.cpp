#include "install/win32/WinUninstallSystem.h"

#include <windows.h>

#include "io/SysErr.h"
#include "io/win32/WideCalls.h"
#include "io/win32/WidePath.h"

std::uint32_t TKvWinUninstallSystem::CreateTempFile(const std::string& prefix, std::string& path)
{
    const std::string folder = TempFolderPath();
    if (folder.empty())
        return GetLastError();
    return CreateUniqueTempFile(folder, prefix, path);
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
    TProcessStart start;
    start.Application = tempCopy;
    start.CommandLine = commandLine;
    start.InheritHandles = true;
    const std::uint32_t code = StartProcess(start);
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
    wchar_t systemFolder[MAX_PATH] = {};
    const std::string own = ModulePath();
    if (own.empty() || !GetSystemDirectoryW(systemFolder, MAX_PATH))
        return;
    const std::string system = Utf8Text(systemFolder);
    // The interpreter retries for about half a minute: the copy's file is
    // free only once this process is gone.
    const std::string quoted = "\"" + own + "\"";
    std::string commandLine =
        "\"" + system + "\\cmd.exe\" /d /q /c for /l %i in (1,1,60) do (del /f /q " + quoted +
        " >nul 2>nul & (if not exist " + quoted + " exit) & ping -n 2 127.0.0.1 >nul)";
    TProcessStart start;
    start.CommandLine = commandLine;
    start.Folder = system;
    start.CreationFlags = CREATE_NO_WINDOW;
    StartProcess(start);
}
