// Rectangles and points in screen or client pixels, shared by the window
// logic that is built and tested without a window system.
#pragma once

#include <cstdint>

struct TKvRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
    bool Contains(std::int32_t x, std::int32_t y) const
    {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }
    bool operator==(const TKvRect&) const = default;
};

struct TKvPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool operator==(const TKvPoint&) const = default;
};

// The work area used when the platform cannot report one.
inline constexpr TKvRect FallbackWorkArea{0, 0, 1024, 768};
