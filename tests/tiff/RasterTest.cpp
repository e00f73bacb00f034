// Raster data size of a page from its strip or tile byte counts.
#include "TiffTestFiles.h"

using namespace tiffw;

namespace {

struct TRasterCase {
    const char* Name;
    std::vector<TEntry> Entries;
    std::uint32_t Size;  // when Error is empty
    std::string Error;
};

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

std::vector<TRasterCase> RasterCases()
{
    return {
        {"Strips", {Long(273, {8, 9, 10}), Long(279, {100, 200, 300})}, 600, ""},
        {"CountsOnly", {Short(279, {100, 200})}, 300, ""},
        {"ByteCounts", {Byte(273, {1, 2}), Byte(279, {10, 20})}, 30, ""},
        {"Tiles", {Long(324, {1, 2}), Short(325, {1000, 24})}, 1024, ""},
        {"StripsWinOverTiles",
         {Long(273, {1}), Long(279, {5}), Long(324, {1}), Long(325, {7})},
         5,
         ""},
        {"TilesWithOneStripTag", {Long(273, {1}), Long(324, {1}), Long(325, {7})}, 7, ""},
        {"Wraps", {Long(279, {4294967295u, 2})}, 1, ""},
        {"BigEndianConverted", {Long(279, {0x01000000, 0x01000000})}, 0x02000000, ""},
        {"OffsetsWithoutCounts",
         {Long(273, {8})},
         0,
         "StripByteCounts Tag is missing; unable to deduct raster size"},
        {"TileOffsetsWithoutCounts",
         {Long(324, {8})},
         0,
         "TileByteCounts Tag is missing; unable to deduct raster size"},
        {"CountsDiffer",
         {Long(273, {1, 2}), Long(279, {1, 2, 3})},
         0,
         "StripByteCounts and StripByteOffsets Tag Count differs" + Unable},
        {"RationalCounts",
         {Long(273, {1}), Rational(279, {{1, 2}})},
         0,
         "Invalid StripByteCounts DataType (rational)" + Unable},
        {"UnknownTypeCounts",
         {Bare(325, 14, 1)},
         0,
         "Invalid TileByteCounts DataType (unknown)" + Unable},
        {"Missing", {Short(256, {1})}, 0, "Missing Strip/Tile tags" + Unable},
        {"Conflicting",
         {Long(273, {1}), Long(325, {1})},
         0,
         "Conflicting combination of Strip and Tile oriented tags" + Unable},
    };
}

}  // namespace

TEST_P(TiffOrderTest, RasterSizesAndFailureTexts)
{
    for (const TRasterCase& c : RasterCases()) {
        TTiff tiff;
        tiff.Order = GetParam();
        tiff.Ifds.push_back(Page(c.Entries));
        OpenTiff(tiff, std::string(c.Name) + ".tif");
        LoadPage(0);
        const bool sized = c.Error.empty();
        EXPECT_EQ(RasterSize(Reader), sized ? std::to_string(c.Size) : c.Error) << c.Name;
        EXPECT_EQ(Reader.RasterSizeText(), sized ? SizeToText(c.Size) : "") << c.Name;
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
