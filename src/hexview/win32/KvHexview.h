// The hex dump control: a custom-painted child window with a vertical scroll
// bar over TKvHexviewModel.
#pragma once

#include "hexview/KvHexviewModel.h"
#include "window/win32/KvWindow.h"

class TKvHexview : public TKvPaintedWindow {
public:
    enum TBorderStyle { bsNone = 0, bsSingle = 1 };

    bool Create(HWND parent, int x, int y, int width, int height);
    void SetData(std::uint32_t size, const std::uint8_t* bytes);
    // Changing the style once the window exists is refused ("KvcHexer").
    void SetBorderStyle(TBorderStyle style);

    const TKvHexviewModel& Model() const { return FModel; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateScrollBar();
    void Paint(HDC dc, const RECT& band) override;

    TKvHexviewModel FModel;
    TBorderStyle FBorderStyle = bsNone;
};
