// BigTIFF files: the 16-byte header, 8-byte counts and offsets, 20-byte
// entries, the 8-byte types, and positions beyond 4 GiB.
#include "TiffTestFiles.h"

#include <cstring>
#include <fstream>

using namespace tiffw;

namespace {

constexpr std::uint64_t GiB = 1ull << 30;

TTiff BigPages(std::uint32_t pages, TOrder order)
{
    TTiff tiff = PagesFile(pages, order);
    tiff.Big = true;
    return tiff;
}

}  // namespace

TEST_P(TiffOrderTest, BigTiffEntriesTypesAndValueTexts)
{
    TTiff tiff = BigPages(2, GetParam());
    tiff.Ifds[0].Entries = {
        Short(258, {8, 8, 8, 8}),                                   // 8 bytes: inline in BigTIFF
        Long8(273, {5000000000ull, 7}),                             // out of line
        Long8(279, {100, 200}),         Rational(282, {{300, 1}}),  // inline in BigTIFF
        Ascii(305, "abcdef"),                                       // 7 bytes, inline
        Long8(40000, {5000000000ull}),  SLong8(40001, {-5}),       Ifd8(40002, {1ull << 33}),
        Long(40003, {1, 2, 3}),         Short(259, {5}),
    };
    OpenTiff(tiff);
    EXPECT_EQ(Reader.ByteOrderText(), GetParam() == TOrder::Big ? "Motorola" : "Intel");
    EXPECT_EQ(CountPages(), 2u);
    LoadPage(0);
    EXPECT_TRUE(Reader.IsBigTiff());
    EXPECT_EQ(Reader.IfdOffset(), Lay(tiff).IfdOffsets[0]);
    ASSERT_EQ(Reader.EntryCount(), 10u);
    const char* types[] = {"Short", "Long8",  "Long8", "Rational", "ASCII",
                           "Long8", "SLong8", "IFD8",  "Long",     "Short"};
    const char* values[] = {
        "8, 8, 8, 8", "5000000000, 7", "100, 200", "300", "abcdef ", "5000000000",
        "",           "8589934592",    "1, 2, 3",  "LZW"};
    for (std::uint32_t i = 0; i < 10; ++i) {
        EXPECT_EQ(Reader.DataTypeName(i), types[i]) << i;
        EXPECT_EQ(Reader.ValueText(i, 25), values[i]) << i;
    }
    EXPECT_EQ(Reader.ValueCount(1), 2u);
    EXPECT_EQ(Reader.ValueSize(1), 16);
    const std::uint8_t* bytes = Reader.ValuePointer(1);
    std::uint64_t first = 0;
    std::memcpy(&first, bytes, 8);
    EXPECT_EQ(first, 5000000000ull);
    EXPECT_EQ(Reader.RasterSizeText(), "300 b");
    LoadPage(1);
    EXPECT_EQ(Reader.IfdOffset(), Lay(tiff).IfdOffsets[1]);
}

// The 8-byte types and a header of 43 without offset size 8 and reserved 0
// keep the classic rules.
TEST_P(TiffOrderTest, BigTiffTypesAndHeaderOutsideBigTiffKeepClassicRules)
{
    TTiff tiff = PagesFile(1, GetParam());
    tiff.Magic = 43;
    tiff.Ifds[0].Offset = 16;
    tiff.Ifds[0].Entries = {Bare(40000, tLong8, 1)};
    OpenTiff(tiff);
    LoadPage(0);
    EXPECT_FALSE(Reader.IsBigTiff());
    EXPECT_EQ(Reader.DataTypeName(0), "16");
    EXPECT_EQ(Reader.ValueText(0, 25), "");

    // BigTIFF header with reserved field 1: the classic rule reads the first
    // offset from bytes 4 to 7, which point nowhere useful.
    TTiff odd = BigPages(1, GetParam());
    std::vector<std::uint8_t> bytes = Bytes(odd);
    bytes[GetParam() == TOrder::Big ? 7 : 6] = 1;
    std::ofstream(Folder / "odd.tif", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    OpenPath((Folder / "odd.tif").string());
    EXPECT_EQ(Reader.ByteOrderText(), GetParam() == TOrder::Big ? "Motorola" : "Intel");
    EXPECT_FALSE(Reader.IsBigTiff());
}

TEST_P(TiffOrderTest, BigTiffCountsBeyondTheFile)
{
    TTiff counts = BigPages(2, GetParam());
    counts.Ifds[0].Entries = {Bare(40000, tLong8, 1ull << 40), Bare(40001, tAscii, ~0ull)};
    counts.Ifds[1].CountField = 1ull << 40;
    OpenTiff(counts);
    LoadPage(0);
    EXPECT_EQ(Reader.ValueCount(0), 1ull << 40);
    EXPECT_EQ(Reader.ValueText(0, 25), "");
    EXPECT_EQ(Reader.ValueText(1, 25), "");
    EXPECT_EQ(ValueFailure(0), "Premature end of data");
    Select(1);
    EXPECT_EQ(ReadPageInternal(), "KvCodecTiff N.N");
    EXPECT_EQ(Text, "Sanity check on number of tags failed (decoded value is 1099511627776)");
}

// A sparse file of 5 GiB whose only directory and values lie beyond 4 GiB.
TEST_P(TiffOrderTest, BigTiffDirectoryBeyondFourGiB)
{
    TTiff tiff = BigPages(1, GetParam());
    tiff.Ifds[0].Offset = 5 * GiB - 4096;
    tiff.Ifds[0].Entries = {Long(273, {1, 2, 3}), Ascii(305, "far away")};
    tiff.Length = 5 * GiB;
    OpenTiff(tiff);
    EXPECT_EQ(CountPages(), 1u);
    LoadPage(0);
    EXPECT_EQ(Reader.IfdOffset(), 5 * GiB - 4096);
    EXPECT_EQ(Reader.FileSize(), 5 * GiB);
    EXPECT_EQ(Reader.ValueText(0, 25), "1, 2, 3");
    EXPECT_EQ(Reader.ValueText(1, 25), "far away ");
}
