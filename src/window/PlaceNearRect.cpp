#include "window/PlaceNearRect.h"

#include <cstdlib>
#include <optional>
#include <utility>

namespace {

struct TCandidate {
    TKvPoint Pos;
    std::int32_t Shift = 0;
};

// Moves start..start+size into low..high; returns the new start.
std::int32_t FitInto(std::int32_t start, std::int32_t size, std::int32_t low, std::int32_t high)
{
    if (start + size > high)
        start = high - size;
    if (start < low)
        start = low;
    return start;
}

// A candidate above or below the anchor at y; sideways it is centred on the
// anchor and then fitted into the work area.
std::optional<TCandidate> Vertical(const TKvRect& a, std::int32_t y, std::int32_t w, std::int32_t h,
                                   const TKvRect& wa)
{
    if (y < wa.Top || y + h > wa.Bottom)
        return std::nullopt;
    std::int32_t x = a.Left + (a.Width() - w) / 2;
    std::int32_t fitted = FitInto(x, w, wa.Left, wa.Right);
    return TCandidate{{fitted, y}, std::abs(fitted - x)};
}

TKvRect Transposed(const TKvRect& r)
{
    return {r.Top, r.Left, r.Bottom, r.Right};
}

// Left and right are the vertical cases with the axes swapped.
std::optional<TCandidate> Horizontal(const TKvRect& a, std::int32_t x, std::int32_t w,
                                     std::int32_t h, const TKvRect& wa)
{
    auto c = Vertical(Transposed(a), x, h, w, Transposed(wa));
    if (c)
        std::swap(c->Pos.X, c->Pos.Y);
    return c;
}

}  // namespace

TKvPoint PlaceNearRect(const TKvRect& anchor, std::int32_t width, std::int32_t height,
                       const TKvRect& workArea)
{
    if (width > workArea.Width() || height > workArea.Height())
        return {0, 0};
    const std::optional<TCandidate> candidates[] = {
        Vertical(anchor, anchor.Bottom + 5, width, height, workArea),
        Vertical(anchor, anchor.Top - 5 - height, width, height, workArea),
        Horizontal(anchor, anchor.Right + 5, width, height, workArea),
        Horizontal(anchor, anchor.Left - 5 - width, width, height, workArea),
    };
    std::optional<TCandidate> best;
    for (const auto& c : candidates)
        if (c && (!best || c->Shift < best->Shift))
            best = c;
    if (best)
        return best->Pos;
    return {workArea.Left + (workArea.Width() - width) / 2,
            workArea.Top + (workArea.Height() - height) / 2};
}
