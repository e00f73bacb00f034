// Writes the bundled sample files: a three-page TIFF with the tags real
// scanners and editors write (strips and tiles, texts, rationals, a colour
// map, a reduced-resolution page), little-endian and big-endian.
//
//   make-sample <folder>   writes <folder>/sample.tif and <folder>/sample-be.tif
#include <cstdio>
#include <stdexcept>
#include <string>

#include "TiffWriter.h"

using namespace tiffw;

namespace {

// Raster data is not decoded by the reader; the strips and tiles point at a
// zero-filled area after the directories.
constexpr std::uint32_t RasterStart = 8192;
constexpr std::uint32_t StripBytes = 1536;
constexpr std::uint32_t TileBytes = 704;
constexpr std::uint32_t FaxBytes = 912;

std::vector<std::uint32_t> Run(std::uint32_t start, std::uint32_t step, std::uint32_t n)
{
    std::vector<std::uint32_t> values;
    for (std::uint32_t i = 0; i < n; ++i)
        values.push_back(start + i * step);
    return values;
}

std::vector<std::uint16_t> GreyRampColorMap()
{
    std::vector<std::uint16_t> map;
    for (int channel = 0; channel < 3; ++channel)
        for (std::uint32_t i = 0; i < 256; ++i)
            map.push_back(static_cast<std::uint16_t>(i * 257));
    return map;
}

TIfd RgbStripPage()
{
    const std::uint32_t data = RasterStart;
    return TIfd{std::nullopt,
                {
                    Long(254, {0}),
                    Long(256, {640}),
                    Long(257, {480}),
                    Short(258, {8, 8, 8}),
                    Short(259, {5}),
                    Short(262, {2}),
                    Ascii(270, "Harbour at dusk, scanned from a 35 mm slide for the archive"),
                    Ascii(271, "Example Scanner Works"),
                    Ascii(272, "FS-4000"),
                    Long(273, Run(data, StripBytes, 4)),
                    Short(274, {1}),
                    Short(277, {3}),
                    Long(278, {120}),
                    Long(279, {StripBytes, StripBytes, StripBytes, StripBytes}),
                    Rational(282, {{300, 1}}),
                    Rational(283, {{300, 1}}),
                    Short(284, {1}),
                    Short(296, {2}),
                    Ascii(305, "make-sample 2.00"),
                    Ascii(306, "2024:05:17 10:30:00"),
                    Ascii(315, "Test Department"),
                    Short(317, {2}),
                },
                std::nullopt,
                std::nullopt};
}

TIfd PaletteTilePage()
{
    const std::uint32_t data = RasterStart + 4 * StripBytes;
    return TIfd{std::nullopt,
                {
                    Long(254, {2}),
                    Short(256, {512}),
                    Short(257, {512}),
                    Short(258, {8}),
                    Short(259, {32773}),
                    Short(262, {3}),
                    Rational(282, {{72, 1}}),
                    Rational(283, {{72, 1}}),
                    Ascii(285, "Palette page"),
                    Short(296, {2}),
                    Short(297, {1, 3}),
                    Short(320, GreyRampColorMap()),
                    Short(322, {256}),
                    Short(323, {256}),
                    Long(324, Run(data, TileBytes, 4)),
                    Long(325, {TileBytes, TileBytes, TileBytes, TileBytes}),
                },
                std::nullopt,
                std::nullopt};
}

TIfd FaxThumbnailPage()
{
    const std::uint32_t data = RasterStart + 4 * StripBytes + 4 * TileBytes;
    return TIfd{std::nullopt,
                {
                    Long(254, {1}),
                    Short(256, {160}),
                    Short(257, {120}),
                    Short(258, {1}),
                    Short(259, {4}),
                    Short(262, {0}),
                    Short(266, {1}),
                    Long(273, {data}),
                    Short(277, {1}),
                    Short(278, {120}),
                    Long(279, {FaxBytes}),
                    Rational(282, {{200, 3}}),
                    Rational(283, {{200, 3}}),
                    Long(293, {0}),
                    Short(296, {3}),
                },
                std::nullopt,
                std::nullopt};
}

TTiff Sample(TOrder order)
{
    TTiff tiff;
    tiff.Order = order;
    tiff.Ifds = {RgbStripPage(), PaletteTilePage(), FaxThumbnailPage()};
    tiff.Length = RasterStart + 4 * StripBytes + 4 * TileBytes + FaxBytes;
    return tiff;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make-sample <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    try {
        const TTiff little = Sample(TOrder::Little);
        TTiff structure = little;
        structure.Length.reset();
        if (Lay(structure).Length > RasterStart)
            throw std::logic_error("directories run into the raster area");
        WriteFile(folder + "/sample.tif", little);
        WriteFile(folder + "/sample-be.tif", Sample(TOrder::Big));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
