#include "../RealWindow.h"

#include <windows.h>

#include <chrono>

#include "app/KvTiffCodecPages.h"
#include "app/win32/FOrvaneWin.h"

namespace {

using TClock = std::chrono::steady_clock;

void DispatchWaiting()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

double CountInRealWindow(const std::string& path, unsigned expectedPages)
{
    const auto start = TClock::now();
    TFrmOrvaneWin win(path, &CreateTiffCodecPages);
    if (!win.Create())
        return -1;
    TFrmOrvane& logic = win.Logic();
    const auto giveUp = start + std::chrono::minutes(10);
    while (!logic.FPageCountFinal && TClock::now() < giveUp) {
        DispatchWaiting();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    const bool counted =
        logic.FPageCountFinal && logic.FPageCount == static_cast<std::int32_t>(expectedPages);
    SendMessageA(win.Handle(), WM_CLOSE, 0, 0);
    DispatchWaiting();
    return counted ? seconds : -1;
}
