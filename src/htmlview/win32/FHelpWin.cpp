#include "htmlview/win32/FHelpWin.h"

#include "htmlview/FHelp.h"

namespace {

constexpr const char* HelpClass = "Kestrova TFrmHelp";
constexpr int ClientLeft = 122;
constexpr int ClientTop = 148;
constexpr int ClientWidth = 688;
constexpr int ClientHeight = 453;

}  // namespace

TFrmHelp::TFrmHelp(std::function<std::string()> news, TKvHtmlViewer::TGetImage getImage,
                   TKvHtmlViewer::TLinkClick linkClick)
    : FNews(std::move(news))
{
    FViewer.Logic().OnGetImage = std::move(getImage);
    FViewer.Logic().OnLinkClick = std::move(linkClick);
}

TFrmHelp::~TFrmHelp()
{
    if (FFont)
        DeleteObject(FFont);
}

bool TFrmHelp::Create(HWND owner)
{
    RegisterOnce(HelpClass, 0, GetSysColorBrush(COLOR_BTNFACE));
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT r{ClientLeft, ClientTop, ClientLeft + ClientWidth, ClientTop + ClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    if (!CreateHandle(0, HelpClass, ManualCaption, style, r.left, r.top, r.right - r.left,
                      r.bottom - r.top, owner, 0))
        return false;
    // "MS Sans Serif" at 11 pixels, not scaled: the viewer's own texts.
    FFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    RECT client;
    GetClientRect(Handle(), &client);
    if (!FViewer.Create(Handle(), 0, 0, client.right, client.bottom, false))
        return false;
    SendMessageA(FViewer.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
    BuildManualPage();
    return true;
}

void TFrmHelp::BuildManualPage()
{
    FViewer.SetHtml(BuildManualPageText(FNews()));
}

void TFrmHelp::ShowModal()
{
    FModal = true;
    FClosed = false;
    ShowWindow(Handle(), SW_SHOWMAXIMIZED);
    SetForegroundWindow(Handle());
    RunModalLoop(Handle(), nullptr, FClosed);
    FModal = false;
}

void TFrmHelp::ShowFront()
{
    ShowWindow(Handle(),
               IsIconic(Handle()) || !IsWindowVisible(Handle()) ? SW_SHOWMAXIMIZED : SW_SHOW);
    SetForegroundWindow(Handle());
    BringWindowToTop(Handle());
}

LRESULT TFrmHelp::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        if (FViewer.Handle())
            MoveWindow(FViewer.Handle(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (FViewer.Handle())
            SetFocus(FViewer.Handle());
        return 0;
    case WM_SYSCOMMAND:
        // An owned window has no task bar button to come back from: the
        // application window minimises instead, hiding every window of the
        // program, and its button restores them.
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            if (HWND owner = GetWindow(Handle(), GW_OWNER)) {
                ShowWindow(owner, SW_MINIMIZE);
                return 0;
            }
        }
        break;
    case WM_CLOSE:
        FClosed = true;
        ShowWindow(Handle(), SW_HIDE);
        return 0;
    }
    return Default(msg, wParam, lParam);
}
