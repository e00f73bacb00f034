// Where to put a pop-up window so that it sits beside the control that opened
// it and stays inside the screen's work area.
#pragma once

#include <cstdint>

struct TKvRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
};

struct TKvPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool operator==(const TKvPoint&) const = default;
};

// Tries below, above, right and left of the anchor in that order; a later
// side wins only with a strictly smaller sideways shift. A window larger than
// the work area goes to (0, 0); one that fits on no side is centred.
TKvPoint PlaceNearRect(const TKvRect& anchor, std::int32_t width, std::int32_t height,
                       const TKvRect& workArea);

// The work area used when the platform cannot report one.
inline constexpr TKvRect FallbackWorkArea{0, 0, 1024, 768};
