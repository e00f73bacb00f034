#include <windows.h>

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
    std::string argument = __argc > 1 ? __argv[1] : "";
    TFrmOrvaneWin main(argument, &CreateTiffCodecPages);
    if (!main.Create())
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(main.Handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
