#include "shelldlg/KvColor.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double WhiteX = 0.95047;
constexpr double WhiteY = 1.0;
constexpr double WhiteZ = 1.08883;
constexpr double Epsilon = 216.0 / 24389.0;
constexpr double Kappa = 24389.0 / 27.0;

double ToLinear(std::uint8_t c)
{
    double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

std::uint8_t FromLinear(double v)
{
    v = std::clamp(v, 0.0, 1.0);
    double s = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(std::clamp(s, 0.0, 1.0) * 255));
}

double LabF(double t)
{
    return t > Epsilon ? std::cbrt(t) : (Kappa * t + 16) / 116;
}

double LabFInverse(double f)
{
    double cube = f * f * f;
    return cube > Epsilon ? cube : (116 * f - 16) / Kappa;
}

double ToLinearXyz(std::uint8_t c)
{
    double v = c / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

}  // namespace

TKvXyz RgbToXyz(TKvRgb rgb)
{
    double r = ToLinearXyz(rgb.R), g = ToLinearXyz(rgb.G), b = ToLinearXyz(rgb.B);
    return {0.4124564 * r + 0.3575761 * g + 0.1804375 * b,
            0.2126729 * r + 0.7151522 * g + 0.0721750 * b,
            0.0193339 * r + 0.1191920 * g + 0.9503041 * b};
}

TKvRgb XyzToRgb(const TKvXyz& xyz)
{
    double r = 3.2404542 * xyz.X - 1.5371385 * xyz.Y - 0.4985314 * xyz.Z;
    double g = -0.9692660 * xyz.X + 1.8760108 * xyz.Y + 0.0415560 * xyz.Z;
    double b = 0.0556434 * xyz.X - 0.2040259 * xyz.Y + 1.0572252 * xyz.Z;
    return {FromLinear(r), FromLinear(g), FromLinear(b)};
}

TKvLab RgbToLab(TKvRgb rgb)
{
    double r = ToLinear(rgb.R), g = ToLinear(rgb.G), b = ToLinear(rgb.B);
    double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / WhiteX;
    double y = (0.2126729 * r + 0.7151522 * g + 0.0721750 * b) / WhiteY;
    double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / WhiteZ;
    double fx = LabF(x), fy = LabF(y), fz = LabF(z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

TKvRgb LabToRgb(const TKvLab& lab)
{
    double fy = (lab.L + 16) / 116;
    double x = LabFInverse(fy + lab.A / 500) * WhiteX;
    double y = LabFInverse(fy) * WhiteY;
    double z = LabFInverse(fy - lab.B / 200) * WhiteZ;
    double r = 3.2404542 * x - 1.5371385 * y - 0.4985314 * z;
    double g = -0.9692660 * x + 1.8760108 * y + 0.0415560 * z;
    double b = 0.0556434 * x - 0.2040259 * y + 1.0572252 * z;
    return {FromLinear(r), FromLinear(g), FromLinear(b)};
}
