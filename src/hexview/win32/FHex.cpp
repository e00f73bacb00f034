#include "hexview/win32/FHex.h"

namespace {

constexpr const char* HexFormClass = "Kestrova TFrmHex";

}  // namespace

bool TFrmHex::Create(HWND owner)
{
    FOwner = owner;
    RegisterOnce(HexFormClass, 0, GetSysColorBrush(COLOR_BTNFACE));
    if (!CreateHandle(WS_EX_DLGMODALFRAME, HexFormClass, "Tag view",
                      WS_OVERLAPPEDWINDOW & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX), CW_USEDEFAULT,
                      CW_USEDEFAULT, ScaleToDpi(OuterWidth), ScaleToDpi(OuterHeight), owner, 0))
        return false;
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    FBev = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, 0, 0,
                           Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    FButClose = CreateWindowExA(
        0, "BUTTON", "Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
        Handle(), reinterpret_cast<HMENU>(IDOK), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(FButClose, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    return true;
}

void TFrmHex::SetValue(const std::uint8_t* bytes, std::uint32_t size)
{
    FHexview = std::make_unique<TKvHexview>();
    FHexview->Create(Handle(), 10, 10, 41, 41);
    FHexview->SetData(size, bytes);
}

void TFrmHex::MoveTo(int left, int top)
{
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFrmHex::FormShow()
{
    LayoutControls();
    FLayoutActive = true;
}

void TFrmHex::LayoutControls()
{
    FLayoutActive = false;
    RECT rc;
    GetClientRect(Handle(), &rc);
    int w = rc.right, h = rc.bottom;
    auto s = ScaleToDpi;
    if (FHexview)
        MoveWindow(FHexview->Handle(), s(10), s(10), w - s(19), h - s(69), TRUE);
    // The bevel is (10, H - 50, W - 19, 11), drawn as its bottom line: an
    // etched line of two pixels at its lower edge.
    MoveWindow(FBev, s(10), h - s(50) + s(11) - 2, w - s(19), 2, TRUE);
    MoveWindow(FButClose, w - s(90), h - s(30), s(81), s(21), TRUE);
    FLayoutActive = true;
}

void TFrmHex::ShowModal()
{
    FDone = false;
    TFrmHex* outer = FShowing;
    FShowing = this;
    FormShow();
    EnableWindow(FOwner, FALSE);
    ShowWindow(Handle(), SW_SHOW);
    SetFocus(FButClose);
    RunModalLoop(Handle(), FOwner, FDone);
    if (Handle())
        ShowWindow(Handle(), SW_HIDE);
    FShowing = outer;
}

LRESULT TFrmHex::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            ButCloseClick();
        return 0;
    case WM_CLOSE: ButCloseClick(); return 0;
    case WM_SIZE:
        if (FLayoutActive)
            LayoutControls();
        return 0;
    }
    return Default(msg, wParam, lParam);
}
