#include <windows.h>
#include <objbase.h>

#include <clocale>
#include <cstdlib>

#include "app/KvTiffCodecPages.h"
#include "app/StartUp.h"
#include "app/win32/FOrvaneWin.h"

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
        std::string argument = __argc > 1 ? __argv[1] : "";
        TFrmOrvaneWin main(argument, &CreateTiffCodecPages);
        if (main.Create())
            exitCode = main.RunMessageLoop();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
