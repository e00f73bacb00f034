#include "shelldlg/win32/KvPlacesBar.h"

#include <windowsx.h>

#include "io/win32/WidePath.h"

namespace {

const char* const PlacesBarClass = "TKvPlacesBar";

std::vector<std::vector<bool>> FilledPlaces(const std::vector<TKvShellPlaces*>& lists)
{
    std::vector<std::vector<bool>> filled;
    for (TKvShellPlaces* l : lists) {
        filled.emplace_back();
        for (int p = 0; p < TKvShellPlaces::Count; ++p)
            filled.back().push_back(l->Item(p) != nullptr);
    }
    return filled;
}

}  // namespace

TKvPlacesBar::TKvPlacesBar(std::vector<TKvShellPlaces*> lists)
    : FLists(std::move(lists)), FModel(FilledPlaces(FLists)),
      FBlackPen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0))),
      FWhitePen(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)))
{
}

TKvPlacesBar::~TKvPlacesBar()
{
    if (Handle())
        DestroyWindow(Handle());
    DeleteObject(FBlackPen);
    DeleteObject(FWhitePen);
}

bool TKvPlacesBar::Create(HWND parent, int x, int y, int width, int height)
{
    RegisterOnce(PlacesBarClass, 0, nullptr);
    return CreateHandle(WS_EX_STATICEDGE, PlacesBarClass, "", WS_CHILD | WS_VISIBLE, x, y, width,
                        height, parent, 0);
}

void TKvPlacesBar::SetCurrentItem(LPCITEMIDLIST item)
{
    bool changed = FModel.SetCurrent([&](int list, int place) {
        LPCITEMIDLIST own = FLists[static_cast<std::size_t>(list)]->Item(place);
        return item && own && ILIsEqual(own, item);
    });
    if (changed)
        Apply({true, GetCapture() == Handle(), {}});
}

void TKvPlacesBar::Apply(const TKvPlacesAction& action)
{
    if (action.FCapture && GetCapture() != Handle())
        SetCapture(Handle());
    else if (!action.FCapture && GetCapture() == Handle())
        ReleaseCapture();
    if (action.FRepaint) {
        FDirty = true;
        InvalidateRect(Handle(), nullptr, FALSE);
    }
    if (action.FClicked.Valid() && FOnClick)
        FOnClick(action.FClicked.FList, action.FClicked.FPlace);
}

void TKvPlacesBar::PaintPlace(HDC dc, int list, int place)
{
    const int x = PlaceCellWidth * list, y = PlaceCellHeight * place;
    std::uint8_t state = FModel.State(list, place);
    bool sunken = FModel.Sunken(list, place);
    if (state != 0) {
        HPEN topLeft = sunken ? FBlackPen : FWhitePen, bottomRight = sunken ? FWhitePen : FBlackPen;
        HGDIOBJ old = SelectObject(dc, topLeft);
        MoveToEx(dc, x, y + 51, nullptr);
        LineTo(dc, x, y);
        LineTo(dc, x + 82, y);
        SelectObject(dc, bottomRight);
        LineTo(dc, x + 82, y + 51);
        LineTo(dc, x, y + 51);
        SelectObject(dc, old);
    }
    const int shift = sunken ? 1 : 0;
    TKvShellPlaces& places = *FLists[static_cast<std::size_t>(list)];
    int icon = places.Icon(place);
    if (places.LargeImages() && icon >= 0)
        ImageList_Draw(places.LargeImages(), icon, dc, x + 25 + shift, y + 3 + shift,
                       ILD_TRANSPARENT);
    RECT text{82 * list + 3 + shift, y + 33 + shift, 82 * list + 80 + shift, y + 53 + shift};
    DrawTextW(dc, WideText(places.Caption(place)).c_str(), -1, &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void TKvPlacesBar::Render(HDC dc, int width, int height)
{
    RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_APPWORKSPACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    HGDIOBJ oldFont = SelectObject(dc, DefaultUiFont());
    for (std::size_t l = 0; l < FLists.size(); ++l)
        for (int p = 0; p < TKvShellPlaces::Count; ++p)
            if (FLists[l]->Item(p))
                PaintPlace(dc, static_cast<int>(l), p);
    SelectObject(dc, oldFont);
}

void TKvPlacesBar::Paint(HDC dc, const RECT& band)
{
    RECT client;
    GetClientRect(Handle(), &client);
    HDC off = FBitmap.Prepare(dc, client.right, client.bottom);
    if (!off) {
        Render(dc, client.right, client.bottom);
        return;
    }
    if (FDirty) {
        Render(off, client.right, client.bottom);
        FDirty = false;
    }
    BitBlt(dc, band.left, band.top, band.right - band.left, band.bottom - band.top, off, band.left,
           band.top, SRCCOPY);
}

LRESULT TKvPlacesBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (HandlePaintMessage(msg, wParam, result))
        return result;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_MOUSEMOVE: Apply(FModel.MouseMove(x, y)); return 0;
    case WM_LBUTTONDOWN: Apply(FModel.MouseDown(x, y)); return 0;
    case WM_LBUTTONUP: Apply(FModel.MouseUp(x, y)); return 0;
    case WM_SIZE: FDirty = true; break;
    case WM_ERASEBKGND: return 1;
    }
    return Default(msg, wParam, lParam);
}
