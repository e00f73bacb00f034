#include "htmlview/win32/KvHtmlViewerWin.h"

#include <cstring>

#include "html/KvHtmlDump.h"
#include "io/SysErr.h"
#include "window/win32/KvMessages.h"

namespace {

constexpr const char* ViewerClass = "Kestrova TKvHtmlViewer";
constexpr const char* HintClass = "KvHtmlViewerHintClass";
constexpr UINT_PTR TipTimerId = 1;

HCURSOR ViewerCursor(bool onLink)
{
    return LoadCursorA(nullptr, onLink ? MAKEINTRESOURCEA(32649) : MAKEINTRESOURCEA(32512));
}

TKvScrollRequest ScrollRequest(WORD code)
{
    switch (code) {
    case SB_LINEUP: return TKvScrollRequest::LineUp;
    case SB_LINEDOWN: return TKvScrollRequest::LineDown;
    case SB_PAGEUP: return TKvScrollRequest::PageUp;
    case SB_PAGEDOWN: return TKvScrollRequest::PageDown;
    case SB_THUMBPOSITION: return TKvScrollRequest::ThumbPosition;
    case SB_THUMBTRACK: return TKvScrollRequest::ThumbTrack;
    case SB_TOP: return TKvScrollRequest::Top;
    case SB_BOTTOM: return TKvScrollRequest::Bottom;
    case SB_ENDSCROLL: return TKvScrollRequest::EndScroll;
    }
    RaiseInternal("KvHtmlViewer 371.77");
}

}  // namespace

// The tip: a bordered pop-up that never takes the focus.
class TKvHtmlViewerHint : public TKvPaintedWindow {
public:
    TKvHtmlViewerHint(HFONT font, std::string title) : FFont(font), FTitle(std::move(title)) {}

    void Open(HWND viewer, int screenX, int screenY)
    {
        HDC dc = GetDC(viewer);
        if (!dc)
            RaiseInternal("KvHtmlViewer 327.89");
        HGDIOBJ old = SelectObject(dc, FFont);
        RECT text{0, 0, 0, 0};
        DrawTextA(dc, FTitle.c_str(), static_cast<int>(FTitle.size()), &text,
                  DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
        SelectObject(dc, old);
        ReleaseDC(viewer, dc);
        RegisterOnce(HintClass, 0, nullptr);
        int width = text.right + 8 + 2 * GetSystemMetrics(SM_CXBORDER);
        int height = text.bottom + 4 + 2 * GetSystemMetrics(SM_CYBORDER);
        if (!CreateHandle(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, HintClass, "KvHtmlViewerHintWindow",
                          WS_POPUP | WS_BORDER, screenX, screenY, width, height, viewer, 0))
            RaiseInternal("KvHtmlViewer 359.105");
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = 0;
        if (HandlePaintMessage(msg, wParam, result))
            return result;
        if (msg == WM_SETFOCUS && wParam) {
            SetFocus(reinterpret_cast<HWND>(wParam));
            return 0;
        }
        return Default(msg, wParam, lParam);
    }
    void Paint(HDC dc, const RECT&) override
    {
        RECT client;
        GetClientRect(Handle(), &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        HGDIOBJ old = SelectObject(dc, FFont);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT text{4, 2, client.right, client.bottom};
        DrawTextA(dc, FTitle.c_str(), static_cast<int>(FTitle.size()), &text,
                  DT_NOPREFIX | DT_SINGLELINE);
        SelectObject(dc, old);
    }

private:
    HFONT FFont;
    std::string FTitle;
};

TKvHtmlViewerWin::TKvHtmlViewerWin() : FLogic(*this) {}

TKvHtmlViewerWin::~TKvHtmlViewerWin()
{
    FHint.reset();
    if (Handle())
        DestroyWindow(Handle());
}

bool TKvHtmlViewerWin::Create(HWND parent, int x, int y, int width, int height, bool border)
{
    RegisterOnce(ViewerClass, 0, nullptr);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL;
    if (!CreateHandle(border ? WS_EX_CLIENTEDGE : 0, ViewerClass, "", style, x, y, width, height,
                      parent, 0))
        return false;
    FFont = DefaultUiFont();
    ShowScrollBar(Handle(), SB_BOTH, FALSE);
    PostLayout();
    return true;
}

void TKvHtmlViewerWin::SetBounds(int x, int y, int width, int height)
{
    MoveWindow(Handle(), x, y, width, height, TRUE);
}

LRESULT TKvHtmlViewerWin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (HandlePaintMessage(msg, wParam, result))
        return result;
    switch (msg) {
    case WM_LAYOUT: FLogic.Layout(); return 0;
    case WM_SIZE: PostLayout(); break;
    case WM_VSCROLL: VerticalScroll(LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL:
        if (FLogic.Wheel(GET_WHEEL_DELTA_WPARAM(wParam)))
            return 0;
        break;
    case WM_MOUSEMOVE:
        FLogic.MouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_LBUTTONDOWN: SetFocus(Handle()); break;
    case WM_LBUTTONUP:
        Default(msg, wParam, lParam);
        FLogic.Click();
        return 0;
    case WM_TIMER:
        if (wParam == TipTimerId) {
            FLogic.TipTimer();
            return 0;
        }
        break;
    case WM_CANCELMODE:
    case WM_MOUSELEAVE: FLogic.MouseLeave(); break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(ViewerCursor(FOnLink));
            return TRUE;
        }
        break;
    case WM_SETFONT: FFont = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(FFont);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(ReadableText().size());
    case WM_GETTEXT: {
        std::string text = ReadableText();
        if (wParam == 0 || !lParam)
            return 0;
        std::size_t count = text.size() < wParam ? text.size() : wParam - 1;
        std::memcpy(reinterpret_cast<char*>(lParam), text.data(), count);
        reinterpret_cast<char*>(lParam)[count] = 0;
        return static_cast<LRESULT>(count);
    }
    case WM_DESTROY:
        FHint.reset();
        KillTimer(Handle(), TipTimerId);
        break;
    }
    return Default(msg, wParam, lParam);
}

// The window text is what the page reads, or the failure it shows, so that
// tools that read controls (screen readers among them) get the words.
std::string TKvHtmlViewerWin::ReadableText()
{
    if (!FLogic.FailureText().empty())
        return FLogic.FailureText();
    return FLogic.Document() ? KvHtmlPlainText(*FLogic.Document()) : std::string();
}

void TKvHtmlViewerWin::VerticalScroll(WORD code)
{
    TKvScrollRequest request = ScrollRequest(code);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_TRACKPOS | SIF_POS;
    GetScrollInfo(Handle(), SB_VERT, &si);
    FLogic.Scroll(request, request == TKvScrollRequest::ThumbTrack ? si.nTrackPos : si.nPos);
}

void TKvHtmlViewerWin::Paint(HDC dc, const RECT&)
{
    RECT client;
    GetClientRect(Handle(), &client);
    if (FBitmapDc) {
        FBitmap.CopyTo(dc, 0, 0, client.right, client.bottom);
        return;
    }
    HBRUSH brush = GetSysColorBrush(COLOR_BTNFACE);
    if (!brush)
        RaiseInternal("KvHtmlViewer 163.89");
    FillRect(dc, &client, brush);
}

void TKvHtmlViewerWin::ClientSize(std::int32_t& width, std::int32_t& height)
{
    RECT client{};
    GetClientRect(Handle(), &client);
    width = client.right;
    height = client.bottom;
}

std::int32_t TKvHtmlViewerWin::VerticalBarWidth()
{
    return GetSystemMetrics(SM_CXVSCROLL);
}

std::int32_t TKvHtmlViewerWin::HorizontalBarHeight()
{
    return GetSystemMetrics(SM_CYHSCROLL);
}

void TKvHtmlViewerWin::ShowBars(bool vertical, bool horizontal)
{
    ShowScrollBar(Handle(), SB_VERT, vertical);
    ShowScrollBar(Handle(), SB_HORZ, horizontal);
}

void TKvHtmlViewerWin::SetVerticalBar(std::int32_t position, std::int32_t maximum,
                                      std::int32_t page)
{
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = maximum;
    si.nPage = static_cast<UINT>(page);
    si.nPos = position;
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
}

void TKvHtmlViewerWin::SetHorizontalBar(std::int32_t maximum, std::int32_t page)
{
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = maximum;
    si.nPage = static_cast<UINT>(page);
    SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
}

void TKvHtmlViewerWin::SetVerticalPosition(std::int32_t position)
{
    SetScrollPos(Handle(), SB_VERT, position, TRUE);
}

TKvHtmlCanvas* TKvHtmlViewerWin::Surface(std::int32_t width, std::int32_t height)
{
    if (width != FSurfaceWidth || height != FSurfaceHeight) {
        FCanvas.reset();
        FBitmapDc = nullptr;
        FBitmap.Release();
    }
    if (!FBitmapDc) {
        HDC screen = GetDC(nullptr);
        FBitmapDc = FBitmap.Prepare(screen, width, height);
        ReleaseDC(nullptr, screen);
        if (!FBitmapDc)
            return nullptr;
        FSurfaceWidth = width;
        FSurfaceHeight = height;
        RECT all{0, 0, width, height};  // the control colour until a page is drawn
        FillRect(FBitmapDc, &all, GetSysColorBrush(COLOR_BTNFACE));
        FCanvas = std::make_unique<TKvHtmlCanvasGdi>(FBitmapDc);
    }
    return FCanvas.get();
}

void TKvHtmlViewerWin::DrawFailure(const std::string& text, std::int32_t width, std::int32_t height)
{
    if (!FBitmapDc)
        return;
    RECT area{0, 0, width, height};
    FillRect(FBitmapDc, &area, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(FBitmapDc, FFont);
    SetBkMode(FBitmapDc, TRANSPARENT);
    SetTextColor(FBitmapDc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(FBitmapDc, text.c_str(), static_cast<int>(text.size()), &area,
              DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(FBitmapDc, old);
}

void TKvHtmlViewerWin::Invalidate()
{
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TKvHtmlViewerWin::UpdateNow()
{
    UpdateWindow(Handle());
}

void TKvHtmlViewerWin::PostLayout()
{
    if (Handle())
        PostMessageA(Handle(), WM_LAYOUT, 0, 0);
}

void TKvHtmlViewerWin::StartTipTimer(std::uint32_t ms)
{
    if (!SetTimer(Handle(), TipTimerId, ms, nullptr))
        RaiseInternal("KvHtmlViewer 296.110");
}

void TKvHtmlViewerWin::StopTipTimer()
{
    KillTimer(Handle(), TipTimerId);
}

void TKvHtmlViewerWin::SetLinkCursor(bool onLink)
{
    FOnLink = onLink;
    SetCursor(ViewerCursor(onLink));
}

void TKvHtmlViewerWin::ShowTip(std::int32_t x, std::int32_t y, const std::string& title)
{
    POINT at{x, y};
    ClientToScreen(Handle(), &at);
    FHint = std::make_unique<TKvHtmlViewerHint>(FFont, title);
    FHint->Open(Handle(), at.x, at.y);
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = Handle();
    if (!TrackMouseEvent(&track))
        RaiseInternal("KvHtmlViewer 366.110");
}

void TKvHtmlViewerWin::HideTip()
{
    FHint.reset();
}
