// "Tag view": the modal window that shows one tag value as a hex dump.
#pragma once

#include <cstdint>
#include <memory>

#include "hexview/win32/KvHexview.h"

class TFrmHex : public TKvWindow {
public:
    static constexpr int OuterWidth = 338;
    static constexpr int OuterHeight = 317;

    // Created hidden, owned by Owner.
    bool Create(HWND owner);
    void SetValue(const std::uint8_t* bytes, std::uint32_t size);
    void MoveTo(int left, int top);
    // Runs until Close (Enter, Escape or the window's close box).
    void ShowModal();

    TKvHexview* Hexview() const { return FHexview.get(); }
    static TFrmHex* Showing() { return FShowing; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FormShow();
    void LayoutControls();
    void ButCloseClick() { FDone = true; }

    HWND FOwner = nullptr;
    HWND FBev = nullptr;
    HWND FButClose = nullptr;
    std::unique_ptr<TKvHexview> FHexview;
    bool FLayoutActive = false;
    bool FDone = false;
    static inline TFrmHex* FShowing = nullptr;
};
