#include "update/win32/UpdateProcessWin32.h"

#include <windows.h>

#include "io/win32/WideCalls.h"

bool StartProgramLine(std::string commandLine)
{
    TProcessStart start;
    start.CommandLine = std::move(commandLine);
    start.InheritHandles = true;
    const std::uint32_t error = StartProcess(start);
    SetLastError(error);
    return error == 0;
}
