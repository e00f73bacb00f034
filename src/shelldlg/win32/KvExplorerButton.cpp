#include "shelldlg/win32/KvExplorerButton.h"

#include <windowsx.h>

namespace {

constexpr const char* ButtonClass = "Kestrova TKvExplorerButton";

TKvRgb FromColorRef(COLORREF c)
{
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// A bottom-up 24-bit DIB section holding the image.
HBITMAP ToBitmap(const TKvImage& img)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = img.Width;
    bi.bmiHeader.biHeight = img.Height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp)
        return nullptr;
    int stride = (img.Width * 3 + 3) & ~3;
    auto* rows = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < img.Height; ++y) {
        std::uint8_t* p = rows + std::size_t(img.Height - 1 - y) * std::size_t(stride);
        for (int x = 0; x < img.Width; ++x, p += 3) {
            TKvRgb c = img.At(x, y);
            p[0] = c.B;
            p[1] = c.G;
            p[2] = c.R;
        }
    }
    return bmp;
}

}  // namespace

TKvExplorerButton::~TKvExplorerButton()
{
    if (FStrip)
        DeleteObject(FStrip);
}

bool TKvExplorerButton::Create(HWND parent, int x, int y, int width, int height)
{
    RegisterOnce(ButtonClass, CS_HREDRAW | CS_VREDRAW, GetSysColorBrush(COLOR_BTNFACE));
    return CreateHandle(0, ButtonClass, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, 0);
}

void TKvExplorerButton::SetGlyph(const TKvImage& glyph)
{
    RECT rc;
    GetClientRect(Handle(), &rc);
    TKvImage strip =
        RenderButtonStrip(glyph, rc.right, rc.bottom, FromColorRef(GetSysColor(COLOR_BTNFACE)));
    if (FStrip)
        DeleteObject(FStrip);
    FStrip = ToBitmap(strip);
    FImageWidth = rc.right;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TKvExplorerButton::SetEnabled(bool enabled)
{
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(Handle(), &pt);
    RECT rc;
    GetClientRect(Handle(), &rc);
    Apply(FModel.SetEnabled(enabled, PtInRect(&rc, pt) != FALSE));
}

bool TKvExplorerButton::PointerInside(LPARAM lParam) const
{
    RECT rc;
    GetClientRect(Handle(), &rc);
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    return x >= 0 && x < rc.right && y >= 0 && y < rc.bottom;
}

void TKvExplorerButton::Apply(const TButtonReaction& r)
{
    if (r.Capture)
        SetCapture(Handle());
    if (r.Release && GetCapture() == Handle())
        ReleaseCapture();
    if (r.Repaint)
        RepaintNow();
    if (r.Click && OnClick)
        OnClick();
}

// Paints at once instead of waiting for WM_PAINT, so state changes show
// while the pointer moves.
void TKvExplorerButton::RepaintNow()
{
    HDC dc = GetDC(Handle());
    RECT rc;
    GetClientRect(Handle(), &rc);
    Paint(dc, rc);
    ReleaseDC(Handle(), dc);
    ValidateRect(Handle(), nullptr);
}

void TKvExplorerButton::Paint(HDC dc, const RECT& band)
{
    if (IsRectEmpty(&band))
        return;
    RECT rc;
    GetClientRect(Handle(), &rc);
    HDC mem = FStrip ? CreateCompatibleDC(dc) : nullptr;
    HGDIOBJ old = mem ? SelectObject(mem, FStrip) : nullptr;
    if (FModel.Enabled()) {
        bool down = FModel.State() == TButtonState::Pressed;
        DrawEdge(dc, &rc, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        RECT inner{2, 2, rc.right - 2, rc.bottom - 2};
        if (mem)
            BitBlt(dc, 2, 2, inner.right - 2, inner.bottom - 2, mem, 2, 2, SRCCOPY);
        else
            FillRect(dc, &inner, GetSysColorBrush(COLOR_BTNFACE));
    } else if (mem) {
        BitBlt(dc, band.left, band.top, band.right - band.left, band.bottom - band.top, mem,
               FImageWidth + band.left, band.top, SRCCOPY);
    } else {
        FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (mem) {
        SelectObject(mem, old);
        DeleteDC(mem);
    }
}

LRESULT TKvExplorerButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE: Apply(FModel.Move(PointerInside(lParam))); return 0;
    case WM_LBUTTONDOWN: Apply(FModel.LeftDown(PointerInside(lParam))); return 0;
    case WM_LBUTTONUP: Apply(FModel.LeftUp(PointerInside(lParam))); return 0;
    case WM_CANCELMODE: {
        TButtonReaction r = FModel.CaptureLost();
        r.Release = true;
        Apply(r);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Handle())
            Apply(FModel.CaptureLost());
        return 0;
    }
    LRESULT painted;
    if (HandlePaintMessage(msg, wParam, painted))
        return painted;
    return Default(msg, wParam, lParam);
}
