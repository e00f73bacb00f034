#include <windows.h>
#include <objbase.h>

#include <clocale>
#include <cstdlib>
#include <vector>

#include "app/KvTiffCodecPages.h"
#include "app/StartUp.h"
#include "app/win32/FOrvaneWin.h"
#include "io/win32/CommandLine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Rational values show the user's decimal separator, as the rest of
    // Windows does.
    std::setlocale(LC_NUMERIC, "");
    // The shell's path parsing (display paths, the file dialog's item
    // identifiers) needs COM on this thread; without it some paths crash
    // inside the shell.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int exitCode = 1;
    {
        // From the wide command line: the ANSI one loses names outside the
        // code page.
        const std::vector<std::string> args = CommandLineArguments();
        TFrmOrvaneWin main(args.empty() ? std::string() : args.front(), &CreateTiffCodecPages);
        if (main.Create())
            exitCode = main.RunMessageLoop();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
