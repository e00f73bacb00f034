#include "Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace sample {

namespace {

struct TRgb {
    int R, G, B;
};

TRgb Mix(TRgb a, TRgb b, double t)
{
    auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return {mix(a.R, b.R), mix(a.G, b.G), mix(a.B, b.B)};
}

struct TRect {
    int Left, Top, Right, Bottom;
    bool Holds(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
};

constexpr TRgb Night{18, 22, 68};
constexpr TRgb Dusk{150, 62, 112};
constexpr TRgb Glow{250, 152, 70};
constexpr TRgb SunLight{255, 224, 128};
constexpr TRgb SeaNear{10, 14, 36};
constexpr TRgb SeaFar{44, 40, 84};
constexpr TRgb Shadow{16, 12, 26};
constexpr TRgb Lamp{255, 244, 190};

// Everything is laid out on a 640 x 480 canvas and scaled to the picture.
constexpr int Horizon = 300;
constexpr int SunX = 430, SunY = 288, SunRadius = 46;

TRgb Sky(int y)
{
    double t = static_cast<double>(y) / Horizon;
    return t < 0.6 ? Mix(Night, Dusk, t / 0.6) : Mix(Dusk, Glow, (t - 0.6) / 0.4);
}

TRgb Sea(int x, int y)
{
    int depth = y - Horizon;
    int glitter = 44 - depth / 5;
    if (glitter > 0 && (depth / 3) % 2 == 0 && std::abs(x - SunX) < glitter)
        return Mix(Glow, SeaFar, depth / 180.0);
    return Mix(SeaFar, SeaNear, depth / 180.0);
}

bool InSilhouette(int x, int y)
{
    static constexpr std::array<TRect, 6> Shapes = {{
        {0, 284, 228, 296},    // pier deck
        {56, 196, 88, 284},    // lighthouse tower
        {60, 186, 84, 196},    // lantern room
        {292, 292, 372, 306},  // boat hull
        {330, 226, 333, 292},  // mast
        {310, 280, 346, 292},  // cabin
    }};
    bool post = y >= 296 && y < 320 && x < 228 && x % 28 < 4;
    bool roof = y >= 174 && y < 186 && std::abs(x - 72) <= (y - 174) + 1;
    return post || roof ||
           std::any_of(Shapes.begin(), Shapes.end(), [&](const TRect& r) { return r.Holds(x, y); });
}

TRgb HarbourPixel(int x, int y)
{
    if (TRect{62, 188, 82, 194}.Holds(x, y))
        return Lamp;
    if (InSilhouette(x, y))
        return Shadow;
    if (y >= Horizon)
        return Sea(x, y);
    int dx = x - SunX, dy = y - SunY;
    if (dx * dx + dy * dy < SunRadius * SunRadius)
        return SunLight;
    return Sky(y);
}

TRgb HueLightness(double hue, double saturation, double lightness)
{
    auto channel = [&](double n) {
        double k = std::fmod(n + hue * 12, 12);
        double a = saturation * std::min(lightness, 1 - lightness);
        double v = lightness - a * std::max(-1.0, std::min({k - 3, 9 - k, 1.0}));
        return static_cast<int>(std::lround(v * 255));
    };
    return {channel(0), channel(8), channel(4)};
}

int Luminance(const std::uint8_t* rgb)
{
    return (299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2]) / 1000;
}

}  // namespace

TImage HarbourAtDusk(std::uint32_t width, std::uint32_t height)
{
    TImage image{width, height, std::size_t(width) * 3, {}};
    image.Bytes.reserve(image.RowBytes * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            TRgb c =
                HarbourPixel(static_cast<int>(x * 640 / width), static_cast<int>(y * 480 / height));
            for (int v : {c.R, c.G, c.B})
                image.Bytes.push_back(static_cast<std::uint8_t>(v));
        }
    return image;
}

std::vector<std::uint16_t> ChartColorMap()
{
    std::vector<std::uint16_t> map(3 * 256);
    for (int i = 0; i < 256; ++i) {
        int row = i / 16, column = i % 16;
        double saturation = row == 15 ? 0 : 0.85;
        double lightness = row == 15 ? column / 15.0 : (column + 1) / 17.0;
        TRgb c = HueLightness(row / 15.0, saturation, lightness);
        map[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(c.R * 257);
        map[static_cast<std::size_t>(256 + i)] = static_cast<std::uint16_t>(c.G * 257);
        map[static_cast<std::size_t>(512 + i)] = static_cast<std::uint16_t>(c.B * 257);
    }
    return map;
}

TImage ColourChart(std::uint32_t side)
{
    TImage image{side, side, side, {}};
    const std::uint32_t square = side / 16;
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x)
            image.Bytes.push_back(static_cast<std::uint8_t>(y / square * 16 + x / square));
    return image;
}

TImage DitheredThumbnail(const TImage& rgb, std::uint32_t factor)
{
    static constexpr int Bayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    TImage image{rgb.Width / factor, rgb.Height / factor, (rgb.Width / factor + 7) / 8, {}};
    image.Bytes.assign(image.RowBytes * image.Height, 0);
    for (std::uint32_t y = 0; y < image.Height; ++y)
        for (std::uint32_t x = 0; x < image.Width; ++x) {
            const std::uint8_t* source = &rgb.Bytes[(y * factor + factor / 2) * rgb.RowBytes +
                                                    (x * factor + factor / 2) * 3];
            if (Luminance(source) <= Bayer[y % 4][x % 4] * 16 + 8)
                image.Bytes[y * image.RowBytes + x / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    return image;
}

}  // namespace sample
