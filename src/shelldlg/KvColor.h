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

struct TKvXyz {
    double X = 0;
    double Y = 0;
    double Z = 0;
};

TKvLab RgbToLab(TKvRgb rgb);
// sRGB decoded with the 0.03928 threshold of the original sRGB papers, so
// mixes in XYZ of the system colours round back as the program always did.
TKvXyz RgbToXyz(TKvRgb rgb);
TKvRgb XyzToRgb(const TKvXyz& xyz);
TKvRgb LabToRgb(const TKvLab& lab);
