#include "hexview/win32/KvHexview.h"

#include "io/SysErr.h"

namespace {

constexpr const char* HexviewClass = "Kestrova TKvHexview";

// The model lays out at 96 DPI; the canvas maps its positions and the
// measured widths between that and the screen.
class TDcCanvas : public IKvHexCanvas {
public:
    explicit TDcCanvas(HDC dc) : FDc(dc) {}
    std::int32_t CharWidth(unsigned char ch) override
    {
        INT w = 0;
        GetCharWidth32A(FDc, ch, ch, &w);
        return UnscaleFromDpi(w);
    }
    void DrawChar(std::int32_t x, std::int32_t y, char ch) override
    {
        TextOutA(FDc, ScaleToDpi(x), ScaleToDpi(y), &ch, 1);
    }

private:
    HDC FDc;
};

THexScroll ScrollCode(WORD code)
{
    switch (code) {
    case SB_LINEUP: return THexScroll::LineUp;
    case SB_LINEDOWN: return THexScroll::LineDown;
    case SB_PAGEUP: return THexScroll::PageUp;
    case SB_PAGEDOWN: return THexScroll::PageDown;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return THexScroll::Thumb;
    case SB_TOP: return THexScroll::Top;
    case SB_BOTTOM: return THexScroll::Bottom;
    default: return THexScroll::Other;
    }
}

}  // namespace

bool TKvHexview::Create(HWND parent, int x, int y, int width, int height)
{
    RegisterOnce(HexviewClass, CS_HREDRAW | CS_VREDRAW, nullptr);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL;
    DWORD exStyle = FBorderStyle == bsSingle ? WS_EX_CLIENTEDGE : 0;
    if (!CreateHandle(exStyle, HexviewClass, "", style, x, y, width, height, parent, 0))
        return false;
    SendMessageA(Handle(), WM_SETFONT, static_cast<WPARAM>(SendMessageA(parent, WM_GETFONT, 0, 0)),
                 FALSE);
    return true;
}

void TKvHexview::SetBorderStyle(TBorderStyle style)
{
    if (style == FBorderStyle)
        return;
    if (Handle())
        RaiseInternal("KvcHexer");
    FBorderStyle = style;
}

void TKvHexview::SetData(std::uint32_t size, const std::uint8_t* bytes)
{
    FModel.SetData(bytes, size);
    if (Handle()) {
        UpdateScrollBar();
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

// Disabled rather than hidden when there is nothing to scroll.
void TKvHexview::UpdateScrollBar()
{
    THexScrollBar bar = FModel.ScrollBar();
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = bar.Min;
    si.nMax = bar.Max;
    si.nPage = static_cast<UINT>(bar.Page);
    si.nPos = bar.Pos;
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
}

void TKvHexview::Paint(HDC dc, const RECT& band)
{
    if (IsRectEmpty(&band))
        return;
    HBRUSH back = reinterpret_cast<HBRUSH>(GetClassLongPtrA(Handle(), GCLP_HBRBACKGROUND));
    FillRect(dc, &band, back ? back : GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : DefaultUiFont());
    TDcCanvas canvas(dc);
    FModel.Paint(UnscaleFromDpi(band.top), UnscaleFromDpi(band.bottom) + 1, canvas);
    SelectObject(dc, old);
}

LRESULT TKvHexview::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_WINDOWPOSCHANGED: {
        LRESULT r = Default(msg, wParam, lParam);
        RECT rc;
        GetClientRect(Handle(), &rc);
        if (FModel.Resize(UnscaleFromDpi(rc.right), UnscaleFromDpi(rc.bottom)))
            UpdateScrollBar();
        return r;
    }
    case WM_VSCROLL: {
        THexScroll code = ScrollCode(LOWORD(wParam));
        SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(Handle(), SB_VERT, &si);
        bool changed = false;
        if (!FModel.Scroll(code, static_cast<std::uint32_t>(si.nTrackPos), changed))
            return Default(msg, wParam, lParam);
        if (changed) {
            UpdateScrollBar();
            InvalidateRect(Handle(), nullptr, FALSE);
        }
        return 0;
    }
    }
    LRESULT painted;
    if (HandlePaintMessage(msg, wParam, painted))
        return painted;
    return Default(msg, wParam, lParam);
}
