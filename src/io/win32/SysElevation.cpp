#include "io/win32/SysElevation.h"

#include <windows.h>
#include <shellapi.h>

#include "io/win32/WideCalls.h"
#include "io/win32/WidePath.h"

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
    // The arguments carry paths, so both go through the wide call.
    const std::wstring exe = WideText(ModulePath());
    const std::wstring parameters = WideText(arguments);
    if (exe.empty())
        return ERROR_FILE_NOT_FOUND;
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    run.lpVerb = L"runas";
    run.lpFile = exe.c_str();
    run.lpParameters = parameters.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&run))
        return GetLastError();
    if (!run.hProcess)
        return ERROR_ACCESS_DENIED;
    DWORD code = ERROR_ACCESS_DENIED;
    WaitForSingleObject(run.hProcess, INFINITE);
    GetExitCodeProcess(run.hProcess, &code);
    CloseHandle(run.hProcess);
    return code;
}
