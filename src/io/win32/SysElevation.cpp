#include "io/win32/SysElevation.h"

#include <windows.h>
#include <shellapi.h>

bool SysCanElevate()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    bool limited = GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size) &&
                   type == TokenElevationTypeLimited;
    CloseHandle(token);
    return limited;
}

std::uint32_t SysRunElevated(const std::string& arguments)
{
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return GetLastError();
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    run.lpVerb = "runas";
    run.lpFile = exe;
    run.lpParameters = arguments.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&run))
        return GetLastError();
    if (!run.hProcess)
        return ERROR_ACCESS_DENIED;
    DWORD code = ERROR_ACCESS_DENIED;
    WaitForSingleObject(run.hProcess, INFINITE);
    GetExitCodeProcess(run.hProcess, &code);
    CloseHandle(run.hProcess);
    return code;
}
