// 24-bit colours and their CIE L*a*b* form (D65 white, sRGB primaries).
#pragma once

#include <cstdint>

struct TKvRgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    bool operator==(const TKvRgb&) const = default;
};

struct TKvLab {
    double L = 0;
    double A = 0;
    double B = 0;
};

TKvLab RgbToLab(TKvRgb rgb);
TKvRgb LabToRgb(const TKvLab& lab);
