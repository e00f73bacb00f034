// The flat glyph button of the page navigation: three pre-rendered images,
// its own pointer tracking, a click on release over the button.
#pragma once

#include <functional>

#include "window/win32/KvWindow.h"
#include "shelldlg/KvExplorerButtonModel.h"

class TKvExplorerButton : public TKvPaintedWindow {
public:
    ~TKvExplorerButton() override;

    bool Create(HWND parent, int x, int y, int width = 21, int height = 21);
    void SetGlyph(const TKvImage& glyph);
    void SetEnabled(bool enabled);
    bool Enabled() const { return FModel.Enabled(); }
    TButtonState State() const { return FModel.State(); }

    std::function<void()> OnClick;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool PointerInside(LPARAM lParam) const;
    void Apply(const TButtonReaction& r);
    void Paint(HDC dc, const RECT& band) override;
    void RepaintNow();

    TKvExplorerButtonModel FModel;
    HBITMAP FStrip = nullptr;
    int FImageWidth = 0;
};
