#include "io/win32/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "io/win32/WidePath.h"

std::vector<std::string> CommandLineArguments()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    if (!wide)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(Utf8Text(wide[i]));
    LocalFree(wide);
    return args;
}
