#include "window/win32/KvApplicationWindow.h"

#include <algorithm>

#include "window/win32/KvMessages.h"

namespace {

constexpr const char* ApplicationClass = "Kestrova TApplication";

struct TOwnedWindows {
    HWND Application;
    std::vector<HWND> Found;
};

// The end of the chain of owners. GetAncestor's root owner follows only the
// owners of pop-up windows, and the main window is an overlapped one.
HWND FirstOwner(HWND wnd)
{
    while (HWND owner = GetWindow(wnd, GW_OWNER))
        wnd = owner;
    return wnd;
}

// Visible windows of the thread whose first owner is the application window,
// in the order of the z-order, topmost first.
BOOL CALLBACK CollectOwnedWindow(HWND wnd, LPARAM param)
{
    auto* owned = reinterpret_cast<TOwnedWindows*>(param);
    if (wnd != owned->Application && IsWindowVisible(wnd) && FirstOwner(wnd) == owned->Application)
        owned->Found.push_back(wnd);
    return TRUE;
}

std::vector<HWND> OwnedWindows(HWND application)
{
    TOwnedWindows owned{application, {}};
    EnumThreadWindows(GetCurrentThreadId(), &CollectOwnedWindow, reinterpret_cast<LPARAM>(&owned));
    return owned.Found;
}

bool CanActivate(HWND wnd)
{
    return wnd && IsWindowVisible(wnd) && IsWindowEnabled(wnd);
}

}  // namespace

bool TKvApplicationWindow::Create(const std::string& title)
{
    RegisterOnce(ApplicationClass, 0, nullptr);
    // Of no size in the middle of the work area, where the system's
    // minimise and restore animations then start and end.
    TKvRect wa = ScreenWorkArea();
    return CreateHandle(0, ApplicationClass, title.c_str(),
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                        wa.Left + wa.Width() / 2, wa.Top + wa.Height() / 2, 0, 0, nullptr, 0);
}

void TKvApplicationWindow::SetTitle(const std::string& title)
{
    SetCaptionText(Handle(), title);
}

std::string TKvApplicationWindow::Title() const
{
    return CaptionText(Handle());
}

void TKvApplicationWindow::ShowInTaskBar()
{
    ShowWindow(Handle(), SW_SHOWNA);
}

// The window the user last worked in, unless it is gone, hidden or disabled
// by a modal window; then the main window or the modal window that disabled
// it.
HWND TKvApplicationWindow::ActivationTarget() const
{
    HWND last = GetLastActivePopup(Handle());
    if (last != Handle() && CanActivate(last))
        return last;
    if (CanActivate(FMain))
        return FMain;
    for (HWND wnd : OwnedWindows(Handle()))
        if (IsWindowEnabled(wnd))
            return wnd;
    return nullptr;
}

void TKvApplicationWindow::ActivateTarget()
{
    if (HWND target = ActivationTarget())
        SetActiveWindow(target);
}

void TKvApplicationWindow::HideOwnedWindows()
{
    std::vector<HWND> owned = OwnedWindows(Handle());
    for (HWND wnd : owned)
        ShowWindow(wnd, SW_HIDE);
    FHidden.insert(FHidden.end(), owned.begin(), owned.end());
}

// Bottom first, so that each comes back above the one below it.
void TKvApplicationWindow::ShowHiddenWindows()
{
    std::vector<HWND> hidden;
    hidden.swap(FHidden);
    for (auto it = hidden.rbegin(); it != hidden.rend(); ++it)
        if (IsWindow(*it))
            ShowWindow(*it, SW_SHOWNA);
}

LRESULT TKvApplicationWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFOCUS: PostMessageA(Handle(), WM_ACTIVATETARGET, 0, 0); return 0;
    case WM_ACTIVATETARGET:
        if (GetActiveWindow() == Handle() && !IsIconic(Handle()))
            ActivateTarget();
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) {
            HideOwnedWindows();
        } else if (wParam == SIZE_RESTORED && !FHidden.empty()) {
            ShowHiddenWindows();
            PostMessageA(Handle(), WM_ACTIVATETARGET, 0, 0);
        }
        return 0;
    case WM_CLOSE:
        // The task bar's Close: the main window closes as its own close box
        // would close it, unless a modal window is open, which gets the focus.
        if (CanActivate(FMain))
            PostMessageA(FMain, WM_CLOSE, 0, 0);
        else
            ActivateTarget();
        return 0;
    }
    return Default(msg, wParam, lParam);
}
