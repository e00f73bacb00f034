#include "shelldlg/KvExplorerButtonModel.h"

namespace {

constexpr TKvRgb White{255, 255, 255};

TKvRgb Disabled(TKvRgb pixel, const TKvLab& back)
{
    TKvLab own = RgbToLab(pixel);
    return LabToRgb({(own.L + back.L) / 2, back.A, back.B});
}

TKvRgb Lightened(const TKvLab& back)
{
    return LabToRgb({back.L / 2 + 50, back.A / 2, back.B / 2});
}

}  // namespace

TKvImage RenderButtonStrip(const TKvImage& glyph, std::int32_t width, std::int32_t height,
                           TKvRgb background)
{
    TKvImage strip(3 * width, height, background);
    const TKvLab back = RgbToLab(background);
    const TKvRgb downBack = Lightened(back);
    const std::int32_t dx = (width - glyph.Width) / 2;
    const std::int32_t dy = (height - glyph.Height) / 2;
    for (std::int32_t y = 0; y < glyph.Height; ++y) {
        for (std::int32_t x = 0; x < glyph.Width; ++x) {
            std::int32_t tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= width || ty >= height)
                continue;
            TKvRgb p = glyph.At(x, y);
            bool clear = p == White;
            strip.At(tx, ty) = clear ? background : p;
            strip.At(width + tx, ty) = clear ? background : Disabled(p, back);
            strip.At(2 * width + tx, ty) = clear ? downBack : p;
        }
    }
    return strip;
}

TButtonReaction TKvExplorerButtonModel::Go(TButtonState state)
{
    TButtonReaction r;
    r.Repaint = state != FState;
    FState = state;
    return r;
}

TButtonReaction TKvExplorerButtonModel::SetEnabled(bool enabled, bool pointerInside)
{
    if (enabled == FEnabled)
        return {};
    FEnabled = enabled;
    TButtonReaction r;
    r.Repaint = true;
    if (enabled) {
        FState = pointerInside ? TButtonState::Hot : TButtonState::Normal;
        r.Capture = pointerInside;
    } else {
        FState = TButtonState::Normal;
        r.Release = true;
    }
    return r;
}

TButtonReaction TKvExplorerButtonModel::Move(bool inside)
{
    if (!FEnabled)
        return {};
    TButtonReaction r;
    switch (FState) {
    case TButtonState::Normal:
        if (inside) {
            r = Go(TButtonState::Hot);
            r.Capture = true;
        }
        break;
    case TButtonState::Hot:
        if (!inside) {
            r = Go(TButtonState::Normal);
            r.Release = true;
        }
        break;
    case TButtonState::Pressed:
        if (!inside)
            r = Go(TButtonState::PressedOutside);
        break;
    case TButtonState::PressedOutside:
        if (inside)
            r = Go(TButtonState::Pressed);
        break;
    }
    return r;
}

TButtonReaction TKvExplorerButtonModel::LeftDown(bool inside)
{
    if (!FEnabled || !inside)
        return {};
    if (FState != TButtonState::Normal && FState != TButtonState::Hot)
        return {};
    bool wasNormal = FState == TButtonState::Normal;
    TButtonReaction r = Go(TButtonState::Pressed);
    r.Capture = wasNormal;
    r.Repaint = true;
    return r;
}

TButtonReaction TKvExplorerButtonModel::LeftUp(bool inside)
{
    if (!FEnabled)
        return {};
    if (FState != TButtonState::Pressed && FState != TButtonState::PressedOutside)
        return {};
    TButtonReaction r = Go(inside ? TButtonState::Hot : TButtonState::Normal);
    r.Repaint = true;
    r.Release = !inside;
    r.Click = inside;
    return r;
}

// Someone else took the mouse (a message box disabled the window, a menu
// opened): the button cannot know where the pointer is, so it goes back to
// normal, and a press in progress is no click.
TButtonReaction TKvExplorerButtonModel::CaptureLost()
{
    if (FState == TButtonState::Normal)
        return {};
    return Go(TButtonState::Normal);
}
