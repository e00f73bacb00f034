#include "hexview/win32/KvWindow.h"

#include <exception>

TKvWindow::~TKvWindow()
{
    if (FHandle) {
        SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
        DestroyWindow(FHandle);
    }
}

void TKvWindow::RegisterOnce(const char* className, UINT classStyle, HBRUSH background)
{
    WNDCLASSEXA wc{};
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &wc))
        return;
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = &TKvWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
}

bool TKvWindow::CreateHandle(DWORD exStyle, const char* className, const char* text, DWORD style,
                             int x, int y, int width, int height, HWND parent, UINT_PTR id)
{
    CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent,
                    reinterpret_cast<HMENU>(id), GetModuleHandleA(nullptr), this);
    return FHandle != nullptr;
}

LRESULT TKvWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Default(msg, wParam, lParam);
}

// Own classes keep the font they are given, as the system controls do.
LRESULT TKvWindow::Default(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETFONT) {
        FFont = reinterpret_cast<HFONT>(wParam);
        return 0;
    }
    if (msg == WM_GETFONT)
        return reinterpret_cast<LRESULT>(FFont);
    return DefWindowProcA(FHandle, msg, wParam, lParam);
}

LRESULT CALLBACK TKvWindow::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<TKvWindow*>(cs->lpCreateParams);
        self->FHandle = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TKvWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(wnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
    try {
        return self->WindowProc(msg, wParam, lParam);
    } catch (const std::exception& e) {
        ReportWindowFailure(wnd, e.what());
    } catch (...) {
        ReportWindowFailure(wnd, "Unexpected error: KvWindow");
    }
    return 0;
}

void ReportWindowFailure(HWND owner, const std::string& text)
{
    MessageBoxA(owner, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

TKvRect ScreenWorkArea()
{
    RECT r;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0))
        return FallbackWorkArea;
    return {r.left, r.top, r.right, r.bottom};
}

TKvRect WindowRectOf(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

HFONT DefaultUiFont(bool bold)
{
    static HFONT fonts[2] = {};
    HFONT& font = fonts[bold ? 1 : 0];
    if (!font) {
        HDC dc = GetDC(nullptr);
        int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(nullptr, dc);
        font = CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    }
    return font;
}

bool TKvPaintedWindow::HandlePaintMessage(UINT msg, WPARAM wParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PRINTCLIENT: {
        RECT rc;
        GetClientRect(Handle(), &rc);
        Paint(reinterpret_cast<HDC>(wParam), rc);
        return true;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc, ps.rcPaint);
        EndPaint(Handle(), &ps);
        return true;
    }
    }
    return false;
}
