#include "window/win32/KvWindow.h"

#include <exception>

#include "io/win32/WidePath.h"

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
    MessageBoxW(owner, WideText(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
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

int ScreenDpi()
{
    static int dpi = 0;
    if (dpi == 0) {
        HDC dc = GetDC(nullptr);
        dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc)
            ReleaseDC(nullptr, dc);
        if (dpi <= 0)
            dpi = 96;
    }
    return dpi;
}

int ScaleToDpi(int pixels96)
{
    return MulDiv(pixels96, ScreenDpi(), 96);
}

int UnscaleFromDpi(int screenPixels)
{
    return MulDiv(screenPixels, 96, ScreenDpi());
}

void SetCaptionText(HWND wnd, const std::string& text)
{
    const std::wstring wide = WideText(text);
    DefWindowProcW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string CaptionText(HWND wnd)
{
    // Asked without a message, so no ANSI procedure converts it; a text
    // that fills the buffer may have been cut.
    std::wstring text;
    int copied = 0;
    do {
        text.assign(text.size() * 2 + 256, L'\0');
        copied = InternalGetWindowText(wnd, text.data(), static_cast<int>(text.size()));
    } while (copied >= static_cast<int>(text.size()) - 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Utf8Text(text);
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
    case WM_ERASEBKGND: result = 1; return true;
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

void SetFixedTrackSize(MINMAXINFO& info, int clientWidth, int clientHeight)
{
    int w = clientWidth + 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
    int h = clientHeight + 2 * GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION);
    info.ptMinTrackSize = info.ptMaxTrackSize = {w, h};
}

void RunModalLoop(HWND dialog, HWND owner, const bool& done)
{
    if (owner)
        EnableWindow(owner, FALSE);
    MSG msg;
    while (!done && IsWindow(dialog)) {
        // The wide loop hands typed characters beyond the code page to the
        // (wide) edit controls intact.
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

TKvOffscreenBitmap::~TKvOffscreenBitmap()
{
    Release();
}

HDC TKvOffscreenBitmap::Prepare(HDC reference, int width, int height)
{
    if (FDc && width <= FWidth && height <= FHeight)
        return FDc;
    Release();
    FDc = CreateCompatibleDC(reference);
    if (!FDc)
        return nullptr;
    FBitmap = CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1);
    if (!FBitmap) {
        Release();
        return nullptr;
    }
    FOldBitmap = SelectObject(FDc, FBitmap);
    FWidth = width;
    FHeight = height;
    return FDc;
}

void TKvOffscreenBitmap::CopyTo(HDC dest, int x, int y, int width, int height) const
{
    if (FDc)
        BitBlt(dest, x, y, width, height, FDc, 0, 0, SRCCOPY);
}

void TKvOffscreenBitmap::Release()
{
    if (FDc && FOldBitmap)
        SelectObject(FDc, FOldBitmap);
    if (FBitmap)
        DeleteObject(FBitmap);
    if (FDc)
        DeleteDC(FDc);
    FDc = nullptr;
    FBitmap = nullptr;
    FOldBitmap = nullptr;
    FWidth = FHeight = 0;
}
