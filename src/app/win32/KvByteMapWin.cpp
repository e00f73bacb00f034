#include "app/win32/KvByteMapWin.h"

#include <windowsx.h>

#include "app/KvByteMapLegend.h"

namespace {

const char* const ByteMapClass = "KvByteMap";

COLORREF ColourRef(std::uint32_t rgb)
{
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

}  // namespace

bool TKvByteMapWin::Create(HWND parent, int x, int y, int width, int height, UINT_PTR id)
{
    RegisterOnce(ByteMapClass, CS_HREDRAW | CS_VREDRAW, nullptr);
    if (!CreateHandle(0, ByteMapClass, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, id))
        return false;
    Rasterise();
    return true;
}

void TKvByteMapWin::SetMap(std::shared_ptr<const TKvStructureAnalysisResult> result)
{
    FResult = std::move(result);
    Rasterise();
    if (Handle())
        InvalidateRect(Handle(), nullptr, FALSE);
}

const TByteClassMap* TKvByteMapWin::Map() const
{
    return FResult && FResult->Readable ? &FResult->Map : nullptr;
}

RECT TKvByteMapWin::PictureRect() const
{
    RECT rc{};
    if (!Handle())
        return rc;
    GetClientRect(Handle(), &rc);
    const TKvLegendLayout layout =
        LayoutByteMap(UnscaleFromDpi(rc.right), UnscaleFromDpi(rc.bottom));
    rc.bottom = ScaleToDpi(layout.PictureHeight);
    return rc;
}

std::uint32_t TKvByteMapWin::PicturePixels() const
{
    const RECT picture = PictureRect();
    return static_cast<std::uint32_t>(picture.right * picture.bottom);
}

// The pixels are classified once per map and size: a file of a million
// pages holds some millions of regions, too many to walk on every paint.
void TKvByteMapWin::Rasterise()
{
    const RECT picture = PictureRect();
    FPixelWidth = picture.right;
    FPixelHeight = picture.bottom;
    FPixels.clear();
    const TByteClassMap* map = Map();
    if (!map || FPixelWidth <= 0 || FPixelHeight <= 0)
        return;
    const auto count = static_cast<std::uint32_t>(FPixelWidth * FPixelHeight);
    const std::vector<TByteClass> classes =
        FResult->Pixels.size() == count ? FResult->Pixels : map->PixelClasses(count);
    FPixels.reserve(classes.size());
    for (TByteClass byteClass : classes)
        FPixels.push_back(ByteClassColour(byteClass));
}

void TKvByteMapWin::Paint(HDC dc, const RECT& band)
{
    if (IsRectEmpty(&band))
        return;
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
    if (!FPixels.empty()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = FPixelWidth;
        info.bmiHeader.biHeight = -FPixelHeight;  // rows from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(FPixelWidth),
                          static_cast<DWORD>(FPixelHeight), 0, 0, 0,
                          static_cast<UINT>(FPixelHeight), FPixels.data(), &info, DIB_RGB_COLORS);
    }
    PaintLegend(dc, client);
}

void TKvByteMapWin::PaintLegend(HDC dc, const RECT& client) const
{
    const TKvLegendLayout layout =
        LayoutByteMap(UnscaleFromDpi(client.right), UnscaleFromDpi(client.bottom));
    const TByteClassMap* map = Map();
    HGDIOBJ oldFont = SelectObject(dc, DefaultUiFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const int top = ScaleToDpi(layout.PictureHeight + LegendGap);
    int index = 0;
    for (const TKvLegendEntry& entry : ByteMapLegend()) {
        const int x = ScaleToDpi((index % layout.Columns) * layout.ColumnWidth);
        const int y = top + ScaleToDpi((index / layout.Columns) * LegendRowHeight);
        ++index;
        const int swatch = ScaleToDpi(LegendSwatch);
        const int swatchTop = y + (ScaleToDpi(LegendRowHeight) - swatch) / 2;
        RECT box{x, swatchTop, x + swatch, swatchTop + swatch};
        HBRUSH brush = CreateSolidBrush(ColourRef(entry.Colour));
        FillRect(dc, &box, brush);
        DeleteObject(brush);
        FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNTEXT));
        const std::string text =
            map ? LegendText(entry, map->Count(entry.Class)) : std::string(entry.Name);
        RECT line{x + swatch + ScaleToDpi(LegendGap), y, x + ScaleToDpi(layout.ColumnWidth),
                  y + ScaleToDpi(LegendRowHeight)};
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &line,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, oldFont);
}

void TKvByteMapWin::Click(int x, int y) const
{
    const TByteClassMap* map = Map();
    if (!map || FPixels.empty() || !FOnClick || x < 0 || y < 0 || x >= FPixelWidth ||
        y >= FPixelHeight)
        return;
    const auto pixel = static_cast<std::uint32_t>(y * FPixelWidth + x);
    FOnClick(map->PixelOffset(pixel, static_cast<std::uint32_t>(FPixels.size())));
}

LRESULT TKvByteMapWin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        Rasterise();
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN: Click(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    }
    LRESULT painted;
    if (HandlePaintMessage(msg, wParam, painted))
        return painted;
    return Default(msg, wParam, lParam);
}
