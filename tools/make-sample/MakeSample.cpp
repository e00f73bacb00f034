// Writes the bundled sample files: a three-page TIFF with the tags real
// scanners and editors write (strips and tiles, texts, rationals, a colour
// map, a reduced-resolution page), little-endian and big-endian. Its pixels
// decode in every reader, so a newcomer can open it anywhere: a Deflate RGB
// picture with the horizontal predictor, a PackBits palette chart in tiles
// and an uncompressed black-and-white thumbnail.
//
//   make-sample <folder>   writes <folder>/sample.tif and <folder>/sample-be.tif
#include <cstdio>
#include <stdexcept>
#include <string>

#include "Deflate.h"
#include "PackBits.h"
#include "Pictures.h"
#include "RasterParts.h"
#include "TiffWriter.h"

using namespace tiffw;
using namespace sample;

namespace {

// A page's directory and its coded strips or tiles; the offsets entry is
// filled in once the directories are laid out and the data can follow them.
struct TRasterPage {
    TIfd Ifd;
    std::uint16_t OffsetsTag = 0;
    std::vector<TBytes> Parts;
};

TEntry Offsets(std::uint16_t tag, const std::vector<TBytes>& parts)
{
    return Long(tag, std::vector<std::uint32_t>(parts.size(), 0));
}

TEntry ByteCounts(std::uint16_t tag, const std::vector<TBytes>& parts)
{
    std::vector<std::uint32_t> counts;
    for (const TBytes& part : parts)
        counts.push_back(static_cast<std::uint32_t>(part.size()));
    return Long(tag, counts);
}

TRasterPage RgbStripPage(const TImage& picture)
{
    constexpr std::uint32_t RowsPerStrip = 120;
    std::vector<TBytes> strips;
    for (TBytes& strip : Strips(picture, RowsPerStrip))
        strips.push_back(ZlibCompress(DifferenceRows(std::move(strip), picture.RowBytes, 3)));
    TIfd ifd;
    ifd.Entries = {
        Long(254, {0}),
        Long(256, {picture.Width}),
        Long(257, {picture.Height}),
        Short(258, {8, 8, 8}),
        Short(259, {8}),
        Short(262, {2}),
        Ascii(270, "Harbour at dusk, scanned from a 35 mm slide for the archive"),
        Ascii(271, "Example Scanner Works"),
        Ascii(272, "FS-4000"),
        Offsets(273, strips),
        Short(274, {1}),
        Short(277, {3}),
        Long(278, {RowsPerStrip}),
        ByteCounts(279, strips),
        Rational(282, {{300, 1}}),
        Rational(283, {{300, 1}}),
        Short(284, {1}),
        Short(296, {2}),
        Ascii(305, "make-sample 2.00"),
        Ascii(306, "2024:05:17 10:30:00"),
        Ascii(315, "Test Department"),
        Short(317, {2}),
    };
    return {ifd, 273, strips};
}

TRasterPage PaletteTilePage()
{
    constexpr std::uint32_t Side = 512, TileSide = 256;
    std::vector<TBytes> tiles;
    for (const TBytes& tile : Tiles(ColourChart(Side), TileSide, 1))
        tiles.push_back(PackBitsRows(tile, TileSide));
    TIfd ifd;
    ifd.Entries = {
        Long(254, {2}),           Short(256, {Side}),       Short(257, {Side}),
        Short(258, {8}),          Short(259, {32773}),      Short(262, {3}),
        Rational(282, {{72, 1}}), Rational(283, {{72, 1}}), Ascii(285, "Palette page"),
        Short(296, {2}),          Short(297, {1, 3}),       Short(320, ChartColorMap()),
        Short(322, {TileSide}),   Short(323, {TileSide}),   Offsets(324, tiles),
        ByteCounts(325, tiles),
    };
    return {ifd, 324, tiles};
}

TRasterPage BilevelThumbnailPage(const TImage& picture)
{
    const TImage thumbnail = DitheredThumbnail(picture, 4);
    const std::vector<TBytes> strips = {thumbnail.Bytes};
    TIfd ifd;
    ifd.Entries = {
        Long(254, {1}),
        Short(256, {static_cast<std::uint16_t>(thumbnail.Width)}),
        Short(257, {static_cast<std::uint16_t>(thumbnail.Height)}),
        Short(258, {1}),
        Short(259, {1}),
        Short(262, {0}),
        Short(266, {1}),
        Ascii(270, "Page 1 at a quarter of its size, dithered to black and white"),
        Offsets(273, strips),
        Short(277, {1}),
        Short(278, {static_cast<std::uint16_t>(thumbnail.Height)}),
        ByteCounts(279, strips),
        Rational(282, {{200, 3}}),
        Rational(283, {{200, 3}}),
        Short(296, {3}),
    };
    return {ifd, 273, strips};
}

std::vector<TRasterPage> Pages()
{
    const TImage picture = HarbourAtDusk(640, 480);
    return {RgbStripPage(picture), PaletteTilePage(), BilevelThumbnailPage(picture)};
}

std::uint64_t Align4(std::uint64_t offset)
{
    return (offset + 3) & ~std::uint64_t(3);
}

// The directories first, then every page's data in page order.
TLayout LayOut(TOrder order, std::vector<TRasterPage> pages)
{
    TTiff tiff;
    tiff.Order = order;
    for (const TRasterPage& page : pages)
        tiff.Ifds.push_back(page.Ifd);
    const std::uint64_t dataStart = Align4(Lay(tiff).Length);

    std::vector<TPiece> data;
    std::uint64_t at = dataStart;
    for (std::size_t p = 0; p < pages.size(); ++p)
        for (TEntry& entry : tiff.Ifds[p].Entries) {
            if (entry.Tag != pages[p].OffsetsTag)
                continue;
            for (std::size_t i = 0; i < pages[p].Parts.size(); ++i) {
                entry.Units[i] = at;
                data.push_back({at, std::move(pages[p].Parts[i])});
                at = Align4(at + data.back().Bytes.size());
            }
        }

    TLayout layout = Lay(tiff);
    if (layout.Length > dataStart)
        throw std::logic_error("directories run into the raster data");
    for (TPiece& piece : data) {
        layout.Length = piece.Offset + piece.Bytes.size();
        layout.Pieces.push_back(std::move(piece));
    }
    return layout;
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
        const std::vector<TRasterPage> pages = Pages();
        WriteFile(folder + "/sample.tif", LayOut(TOrder::Little, pages));
        WriteFile(folder + "/sample-be.tif", LayOut(TOrder::Big, pages));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
