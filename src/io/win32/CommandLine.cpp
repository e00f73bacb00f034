#include "io/win32/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "io/win32/WidePath.h"

std::vector<std::string> CommandLineWords()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> words;
    if (!wide)
        return words;
    for (int i = 0; i < count; ++i)
        words.push_back(Utf8Text(wide[i]));
    LocalFree(wide);
    return words;
}

std::vector<std::string> CommandLineArguments()
{
    std::vector<std::string> words = CommandLineWords();
    if (!words.empty())
        words.erase(words.begin());
    return words;
}
