#include "app/win32/OrvaneLiveUpdateWin.h"

#include "product/OrvaneProduct.h"
#include "update/win32/FUpdateWin.h"
#include "window/win32/KvMessages.h"

std::function<void()> TOrvaneLiveUpdateWin::LiveUpdatePoster()
{
    HWND wnd = FMainWindow;
    return [wnd] { PostMessageA(wnd, WM_LIVEUPDATE, 0, 0); };
}

void TOrvaneLiveUpdateWin::RebuildLiveUpdatePages()
{
    if (OnRebuildPages)
        OnRebuildPages();
}

bool TOrvaneLiveUpdateWin::AskForUpdate()
{
    return MessageBoxA(FMainWindow, UpdatePromptText, UpdatePromptCaption,
                       MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}

bool TOrvaneLiveUpdateWin::ShowUpdateWindow(TErrCode& status, std::string& message)
{
    TFrmUpdateWin form({WebHost, InstallerSize(), {}, {}});
    TModalResult result = form.ShowModal(FMainWindow);
    status = form.DownloadStatus();
    message = form.DownloadMessage();
    return result == TModalResult::Ok;
}
