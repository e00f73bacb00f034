// The installer's full-screen background: a vertical gradient from the
// active caption colour to the button face colour, with the banner on top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shelldlg/KvColor.h"

inline constexpr int InstallBandCount = 512;

struct TKvBand {
    std::int32_t FTop = 0;
    std::int32_t FBottom = 0;
    TKvRgb FColour;
};

// Band i ends at the row height / 512 * (i + 1), rounded half to even; its
// colour mixes top and bottom in CIE XYZ.
std::vector<TKvBand> InstallBackgroundBands(std::int32_t clientHeight, TKvRgb top, TKvRgb bottom);
TKvRgb MixColours(TKvRgb top, TKvRgb bottom, int band);

// "Kestrova  Orvane 2.00": drawn black at (24, 24), then white at (20, 20).
std::string InstallBannerText();
inline constexpr int InstallBannerHeight = 45;
