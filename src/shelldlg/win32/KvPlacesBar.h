// A column of shell places with large icons; a click on one calls the
// handler. Painted into an off-screen bitmap only when something changed.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "shelldlg/KvPlacesBarModel.h"
#include "shelldlg/win32/KvShellPlaces.h"
#include "window/win32/KvWindow.h"

class TKvPlacesBar : public TKvPaintedWindow {
public:
    using TClickHandler = std::function<void(int list, int place)>;

    explicit TKvPlacesBar(std::vector<TKvShellPlaces*> lists);
    ~TKvPlacesBar() override;
    bool Create(HWND parent, int x, int y, int width, int height);
    void SetOnClick(TClickHandler handler) { FOnClick = std::move(handler); }
    std::int32_t BarWidth() const { return FModel.Width(); }
    // Marks as current the places equal to item.
    void SetCurrentItem(LPCITEMIDLIST item);
    const TKvPlacesBarModel& Model() const { return FModel; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& band) override;

private:
    void Apply(const TKvPlacesAction& action);
    void Render(HDC dc, int width, int height);
    void PaintPlace(HDC dc, int list, int place);

    std::vector<TKvShellPlaces*> FLists;
    TKvPlacesBarModel FModel;
    TClickHandler FOnClick;
    TKvOffscreenBitmap FBitmap;
    bool FDirty = true;
    HPEN FBlackPen;
    HPEN FWhitePen;
};
