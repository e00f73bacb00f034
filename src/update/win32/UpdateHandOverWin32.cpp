#include <windows.h>

#include "io/SysErr.h"
#include "io/win32/WideCalls.h"
#include "io/win32/WidePath.h"
#include "update/FUpdateHandOver.h"
#include "update/win32/UpdateProcessWin32.h"

void RunUpdateHandOver(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 4)
        return;
    std::uint64_t value = HandOverHandleValue(arguments[2]);
    if (value == 0)
        return;
    auto oldProcess = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
    if (WaitForSingleObject(oldProcess, INFINITE) != WAIT_OBJECT_0)
        return;
    CloseHandle(oldProcess);
    const std::string& oldPath = arguments[3];
    // A copy that fails leaves the old program in place: say why, and start
    // it all the same so the user keeps a working program.
    const std::string self = ModulePath();
    if (self.empty() || !CopyFileW(SystemPath(self).c_str(), SystemPath(oldPath).c_str(), FALSE))
        MessageBoxA(nullptr, SysErrorText(GetLastError()).c_str(), "Error", MB_OK | MB_ICONERROR);
    StartProgramLine("\"" + oldPath + "\"");
}
