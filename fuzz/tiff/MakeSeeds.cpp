// Writes the fuzzer's seed files with the test TIFF writer: small files that
// reach every path of the reader (both byte orders, every type, strips and
// tiles, broken and looping chains, oversized counts).
// The seeds with EXIF, GPS, Interoperability and SubIFD directories
// (children-*.tif) come from tests/inspect (make-dump-files).
//   make-tiff-seeds <folder>
#include <cstdio>
#include <string>

#include "TiffWriter.h"

using namespace tiffw;

namespace {

std::vector<TEntry> EveryType()
{
    return {
        Long(254, {2}),
        Short(256, {64}),
        Short(257, {32}),
        Short(258, {8, 8, 8}),
        Short(259, {5}),
        Short(262, {2}),
        Ascii(270, "seed file"),
        Long(273, {8, 16}),
        Short(274, {1}),
        Long(279, {100, 200}),
        Rational(282, {{300, 1}}),
        Rational(283, {{1, 3}}),
        Short(284, {1}),
        Short(296, {2}),
        Byte(40000, {1, 2, 3, 4, 5}),
        SByte(40001, {-1, 2}),
        Undefined(40002, {1, 2, 3, 4, 5}),
        SShort(40003, {-1, 2, 3}),
        SLong(40004, {-1, 2}),
        SRational(40005, {{-1, 2}}),
        Float(40006, {1.5f, 2.5f}),
        Double(40007, {0.25}),
        Ifd(330, {8, 26}),
        Bare(40008, 14, 3),
    };
}

void Seed(const std::string& folder, const std::string& name, const TTiff& tiff)
{
    WriteFile(folder + "/" + name, tiff);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make-tiff-seeds <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (TOrder order : {TOrder::Little, TOrder::Big}) {
        const std::string suffix = order == TOrder::Big ? "-be.tif" : "-le.tif";
        TTiff types;
        types.Order = order;
        types.Ifds = {TIfd{std::nullopt, EveryType(), std::nullopt, std::nullopt},
                      TIfd{std::nullopt,
                           {Long(324, {1, 2}), Short(325, {10, 20})},
                           std::nullopt,
                           std::nullopt}};
        Seed(folder, "types" + suffix, types);

        TTiff loop = types;
        loop.Ifds[1].Next = Lay(types).IfdOffsets[0];
        Seed(folder, "loop" + suffix, loop);

        TTiff broken = types;
        broken.Ifds[1].Next = 5000;
        broken.Ifds[0].Entries.push_back(Bare(40009, 4, 0x40000001));
        Seed(folder, "broken" + suffix, broken);

        TTiff cut = types;
        cut.Length = Lay(types).IfdOffsets[1] + 10;
        Seed(folder, "cut" + suffix, cut);

        // BigTIFF: every type plus the 8-byte ones, and a loop.
        TTiff big = types;
        big.Big = true;
        big.Ifds[0].Entries.push_back(Long8(40010, {5000000000ull, 1}));
        big.Ifds[0].Entries.push_back(SLong8(40011, {-1}));
        big.Ifds[0].Entries.push_back(Ifd8(40012, {16}));
        Seed(folder, "bigtiff" + suffix, big);

        TTiff bigLoop = big;
        bigLoop.Ifds[1].Next = Lay(big).IfdOffsets[0];
        Seed(folder, "bigtiff-loop" + suffix, bigLoop);
    }
    return 0;
}
