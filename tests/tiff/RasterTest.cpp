// Raster data size of a page from its strip or tile byte counts.
#include "TiffTestFiles.h"

using namespace tiffw;

namespace {

const std::string Unable = "; Unable to deduct raster size";

// The raster size in bytes, or the failure text.
std::string RasterSize(TKvCodecTrnTiff& reader)
{
    std::uint32_t size = 12345;
    TErrCode code = ErrOk;
    std::string text;
    reader.GetRasterSize(size, code, text);
    return code == ErrOk ? std::to_string(size) : text;
}

}  // namespace

TEST_P(TiffOrderTest, RasterSizesAndFailureTexts)
{
    const std::pair<std::vector<TEntry>, std::string> cases[] = {
        {{Long(273, {8, 9, 10}), Long(279, {100, 200, 300})}, "600"},
        {{Short(279, {100, 200})}, "300"},  // counts without offsets
        {{Byte(273, {1, 2}), Byte(279, {10, 20})}, "30"},
        {{Long(324, {1, 2}), Short(325, {1000, 24})}, "1024"},                    // tiles
        {{Long(273, {1}), Long(279, {5}), Long(324, {1}), Long(325, {7})}, "5"},  // strips win
        {{Long(273, {1}), Long(324, {1}), Long(325, {7})}, "7"},
        {{Long(279, {4294967295u, 2})}, "1"},  // the sum wraps
        {{Long(279, {0x01000000, 0x01000000})}, "33554432"},
        {{Long(273, {8})}, "StripByteCounts Tag is missing; unable to deduct raster size"},
        {{Long(324, {8})}, "TileByteCounts Tag is missing; unable to deduct raster size"},
        {{Long(273, {1, 2}), Long(279, {1, 2, 3})},
         "StripByteCounts and StripByteOffsets Tag Count differs" + Unable},
        {{Long(273, {1}), Rational(279, {{1, 2}})},
         "Invalid StripByteCounts DataType (rational)" + Unable},
        {{Bare(325, 14, 1)}, "Invalid TileByteCounts DataType (unknown)" + Unable},
        {{Short(256, {1})}, "Missing Strip/Tile tags" + Unable},
        {{Long(273, {1}), Long(325, {1})},
         "Conflicting combination of Strip and Tile oriented tags" + Unable},
    };
    int n = 0;
    for (const auto& [entries, expected] : cases) {
        TTiff tiff;
        tiff.Order = GetParam();
        tiff.Ifds.push_back(Page(entries));
        OpenTiff(tiff, std::to_string(++n) + ".tif");
        LoadPage(0);
        const bool sized = expected.find(' ') == std::string::npos;
        EXPECT_EQ(RasterSize(Reader), expected) << n;
        EXPECT_EQ(Reader.RasterSizeText(), sized ? SizeToText(std::stoul(expected)) : "") << n;
    }
}

using RasterMemoryTest = TiffFileTest;

TEST_F(RasterMemoryTest, OutcomeIsRememberedPerPageLoad)
{
    TTiff tiff;
    tiff.Ifds.push_back(Page({Long(279, {10, 20, 30}).At(2000)}));
    tiff.Ifds.push_back(Page({Short(256, {1})}));
    tiff.Length = 3000;
    OpenTiff(tiff);
    LoadPage(1);
    EXPECT_EQ(RasterSize(Reader), "Missing Strip/Tile tags" + Unable);
    LoadPage(0);
    EXPECT_EQ(Reader.RasterSizeText(), "60 b");
    EXPECT_EQ(Reader.RasterSizeText(), "60 b");
    LoadPage(1);
    EXPECT_EQ(RasterSize(Reader), "Missing Strip/Tile tags" + Unable);
}
