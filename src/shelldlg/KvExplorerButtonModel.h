// The glyph button's behaviour without a window system: its pointer states
// and the three images it pre-renders from one glyph.
#pragma once

#include <cstdint>
#include <vector>

#include "shelldlg/KvColor.h"

// A 24-bit picture, row by row from the top.
struct TKvImage {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<TKvRgb> Pixels;

    TKvImage() = default;
    TKvImage(std::int32_t width, std::int32_t height, TKvRgb fill = {255, 255, 255})
        : Width(width), Height(height), Pixels(std::size_t(width) * std::size_t(height), fill)
    {
    }
    TKvRgb& At(std::int32_t x, std::int32_t y)
    {
        return Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
    }
    TKvRgb At(std::int32_t x, std::int32_t y) const
    {
        return Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
    }
};

// Normal, disabled and down images side by side, each width x height.
TKvImage RenderButtonStrip(const TKvImage& glyph, std::int32_t width, std::int32_t height,
                           TKvRgb background);

enum class TButtonState : std::uint32_t { Normal = 0, Hot = 1, Pressed = 2, PressedOutside = 3 };

// What the control must do after a pointer event.
struct TButtonReaction {
    bool Capture = false;
    bool Release = false;
    bool Repaint = false;
    bool Click = false;
};

class TKvExplorerButtonModel {
public:
    bool Enabled() const { return FEnabled; }
    TButtonState State() const { return FState; }

    TButtonReaction SetEnabled(bool enabled, bool pointerInside);
    TButtonReaction Move(bool inside);
    TButtonReaction LeftDown(bool inside);
    TButtonReaction LeftUp(bool inside);
    TButtonReaction CaptureLost();

private:
    TButtonReaction Go(TButtonState state);

    bool FEnabled = true;
    TButtonState FState = TButtonState::Normal;
};
