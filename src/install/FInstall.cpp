#include "install/FInstall.h"

#include <cmath>

#include "product/OrvaneProduct.h"

TKvRgb MixColours(TKvRgb top, TKvRgb bottom, int band)
{
    TKvXyz t = RgbToXyz(top), b = RgbToXyz(bottom);
    const double last = InstallBandCount - 1;
    auto mix = [&](double tc, double bc) { return (band * bc + (last - band) * tc) / last; };
    return XyzToRgb({mix(t.X, b.X), mix(t.Y, b.Y), mix(t.Z, b.Z)});
}

std::vector<TKvBand> InstallBackgroundBands(std::int32_t clientHeight, TKvRgb top, TKvRgb bottom)
{
    std::vector<TKvBand> bands(InstallBandCount);
    std::int32_t row = 0;
    for (int i = 0; i < InstallBandCount; ++i) {
        // nearbyint rounds half to even in the default rounding mode.
        double edge = static_cast<double>(clientHeight) / InstallBandCount * (i + 1);
        std::int32_t bottomRow = static_cast<std::int32_t>(std::nearbyint(edge));
        bands[static_cast<std::size_t>(i)] = {row, bottomRow, MixColours(top, bottom, i)};
        row = bottomRow;
    }
    return bands;
}

std::string InstallBannerText()
{
    return std::string("Kestrova  Orvane ") + ProgramVersion;
}
