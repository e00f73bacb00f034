// orvane-dump end to end: the plain dump of broken files, hex rows and
// options; the tree, full values, JSON and structure check on files with EXIF,
// GPS, Interoperability and SubIFD directories. The output on the bundled
// samples is compared with committed text by ctest.
#include "TiffTestFiles.h"

#include <fstream>
#include <sstream>

#include "DumpFiles.h"
#include "DumpTool.h"

using namespace tiffw;

class DumpToolTest : public TiffFileTest {
protected:
    int Run(std::vector<std::string> args)
    {
        Out.str("");
        Err.str("");
        return RunOrvaneDump(args, Out, Err);
    }
    // Each piece must be somewhere in the output.
    void ExpectIn(const std::vector<std::string>& pieces)
    {
        for (const std::string& piece : pieces)
            EXPECT_NE(Out.str().find(piece), std::string::npos) << piece << "\n" << Out.str();
    }
    void ExpectLines(const std::vector<std::string>& lines)
    {
        for (const std::string& line : lines)
            ExpectIn({"\n" + line + "\n"});
    }

    std::ostringstream Out, Err;
};

class DumpStructureTest : public DumpToolTest, public ::testing::WithParamInterface<TOrder> {};
// The shared fixtures instantiate the reader's byte-order suite, which has no
// tests here.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(TiffOrderTest);

// A value or raster size that cannot be read, a page that fails and a broken
// chain each show their text in place, and the tool goes on.
TEST_F(DumpToolTest, FailuresAreShownInPlaceAndTheToolGoesOn)
{
    TTiff tiff;
    tiff.Ifds = {Page({Bare(273, tLong, 3).WithField(60000)}),
                 Page(std::vector<TEntry>(1025, Short(256, {1})))};
    tiff.Ifds[1].Next = 90000;
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({path}), 1);
    ExpectIn({"Number of pages: 3\n",
              "\nPage 1 of 3\nPage offset: 8\nPage raster data size: (StripByteCounts Tag is "
              "missing; unable to deduct raster size)\nStripOffsets (3 Long): \n",
              "\nPage 2 of 3\nSanity check on number of tags failed (decoded value is 1025)\n",
              "\nPage 3 of 3\nReading from file '" + path +
                  "': Premature end of data; Page list is broken\n"});
    EXPECT_EQ(Err.str(), "");
}

// A cut page shows its whole entries and then the mark in the plain dump,
// the tree and the JSON; the chain is broken behind it, and the exit code
// says not everything was read.
TEST_F(DumpToolTest, CutDirectoryShowsItsEntriesThenTheMark)
{
    TTiff tiff;
    tiff.Ifds = {Page({Short(256, {1}), Short(257, {2}), Short(258, {8})})};
    tiff.Length = Lay(tiff).IfdOffsets[0] + 2 + 24 + 5;
    const std::string path = Write(tiff);
    for (auto args : {std::vector<std::string>{path}, {"--tree", "--values", "all", path}}) {
        EXPECT_EQ(Run(args), 1);
        ExpectIn({"ImageLength (1 Short): 2\nPremature end of data\n\nPage 2 of 2\nReading from"});
    }
    EXPECT_EQ(Run({"--json", path}), 1);
    ExpectIn({"\"failure\":null,\"cut\":true,\"reason\":\"Premature end of data\",\"entryCount\":3,"
              "\"nextOffset\":null,\"entries\":[{\"code\":256,"});
    EXPECT_EQ(Out.str().find("\"code\":258"), std::string::npos);
}

// Classic files have no format line (the bundled samples show it).
TEST_F(DumpToolTest, BigTiffSaysSo)
{
    TTiff tiff = PagesFile(2, TOrder::Big);
    tiff.Big = true;
    tiff.Ifds[1].Entries = {Long8(40000, {5000000000ull})};
    EXPECT_EQ(Run({Write(tiff)}), 0);
    ExpectIn({"Byte order: Motorola\nFormat: BigTIFF\nNumber of pages: 2\n",
              "\nPage 1 of 2\nPage offset: 16\n", "\n40000 (1 Long8): 5000000000\n"});
}

TEST_F(DumpToolTest, HexRowsAndCharacters)
{
    std::vector<std::uint8_t> bytes;
    for (int b : {0x00, 0x1F, 0x20, 0x41, 0x7F, 0x80, 0x81, 0xFF})
        bytes.push_back(static_cast<std::uint8_t>(b));
    for (int i = 0; i < 10; ++i)
        bytes.push_back(static_cast<std::uint8_t>('a' + i));
    TTiff tiff;
    tiff.Ifds = {Page({Short(256, {1})}), Page({Undefined(37724, bytes)})};
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({"--hex", "37724", "--page", "2", path}), 0) << Err.str();
    const std::string expected =
        "\nValue of 37724 (18 bytes)\n"
        "00000000  00 1F 20 41 7F 80 81 FF 61 62 63 64 65 66 67 68  .. A\x7F\x80..abcdefgh\n"
        "00000010  69 6A                                            ij\n";
    const std::string out = Out.str();
    ASSERT_GE(out.size(), expected.size());
    EXPECT_EQ(out.substr(out.size() - expected.size()), expected);

    EXPECT_EQ(Run({"--hex", "ImageLength", path}), 1);
    EXPECT_EQ(Err.str(), "Tag ImageLength is not on page 1\n");
}

TEST_F(DumpToolTest, OptionsUsageAndUnreadableFiles)
{
    TTiff tiff;
    tiff.Ifds = {Page({Short(256, {1})})};
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({"--page", "2", path}), 1);
    EXPECT_EQ(Err.str(), "Page 2 does not exist; the file has 1 pages\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{},
          {"--page", "0", path},
          {"--limit", "x", path},
          {"--page"},
          {path, path},
          {"--bogus", path},
          {"--decode", "270", "--json", path},
          {"--extract", "270", path},
          {"--decode", "270", "--extract", "270", path, "o"}})
        EXPECT_EQ(Run(args), 2);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(Out.str(), OrvaneDumpUsage);

    tiff.Mark = "XY";  // unreadable: only standard error says why
    tiff.Magic = 7;
    Write(tiff);
    EXPECT_EQ(Run({path}), 1);
    EXPECT_EQ(Out.str(), "");
    EXPECT_EQ(Err.str(), "Invalid byte order indication and signature; file '" + path +
                             "' is probably not a TIFF file\n");
}

INSTANTIATE_TEST_SUITE_P(Orders, DumpStructureTest, ::testing::Values(TOrder::Little, TOrder::Big),
                         OrderName);

TEST_P(DumpStructureTest, TreeShowsEveryChildDirectoryUnderItsPointer)
{
    const std::string path = Write(ExifFile(GetParam()));
    ASSERT_EQ(Run({path}), 0) << Err.str();
    const std::string plain = Out.str();
    EXPECT_EQ(plain.find("  "), std::string::npos);

    ASSERT_EQ(Run({"--tree", path}), 0) << Err.str();
    ExpectLines({
        "SubIFD (2 Long): 2800, 3600",
        "  SubIFD 1 at offset 2800: 12 entries",
        "  SubIFD 1.2 at offset 3200: 12 entries",
        "  SubIFD 2 at offset 3600: 12 entries",
        "34665 (1 Long): 1600",
        "  EXIF directory at offset 1600: 13 entries",
        "  ExposureTime (1 Rational): 0.008",
        "  ExifVersion (4 Undefined): 30 32 33 32",
        "  ExposureBiasValue (1 SRational): -1/3",
        "  InteroperabilityIFDPointer (1 Long): 2200",
        "    Interoperability directory at offset 2200: 2 entries",
        "    InteroperabilityIndex (4 ASCII): R98 ",
        "  SourceImageNumberOfCompositeImage (2 SLong): -70000, 3",
        "  Gamma (1 Double): 2.2",
        "  GPS directory at offset 2400: 6 entries",
        "  GPSLatitude (3 Rational): 52/1, 31/1, 1234/100",
        "  GPSDifferential (1 SByte): -1",
    });
    // Without the child lines the tree is the plain output.
    std::string withoutChildren;
    std::istringstream lines(Out.str());
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("  ", 0) != 0)
            withoutChildren += line + "\n";
    EXPECT_EQ(withoutChildren, plain);
}

TEST_P(DumpStructureTest, LoopsAndChildrenOutsideTheFileAreShownInPlace)
{
    const std::string path = Write(BrokenExifFile(GetParam()));
    EXPECT_EQ(Run({"--tree", path}), 1);
    ExpectLines({
        "  SubIFD 2 at offset 8: The directory at offset 8 has been read before; not read again",
        "    Interoperability directory at offset 1600: The directory at offset 1600 has been "
        "read before; not read again",
        "  GPS directory at offset 90000: Reading from file '" + path + "': Premature end of data",
    });
}

// The files carry values of unusual types on purpose (for the dump); the
// structure rules are looked at alone.
const std::string StructureOnly = "tag-type,tag-count,version-missing";

TEST_P(DumpStructureTest, CheckReportsEveryProblemWithItsOffset)
{
    EXPECT_EQ(Run({"--check", "--ignore", StructureOnly, Write(ExifFile(GetParam()))}), 0);
    EXPECT_EQ(Out.str(),
              "offset 1000: page 2: warning [resolution-missing]: required ResolutionUnit (296) "
              "is missing\n1 problem found (0 errors, 1 warning, 0 infos)\n");
    const std::string path = Write(BrokenExifFile(GetParam()));
    EXPECT_EQ(Run({"--check", "--ignore", StructureOnly, "--ignore", "resolution-missing", path}),
              1);
    EXPECT_EQ(
        Out.str(),
        "offset 3214: page 1 > SubIFD 1.2: error [tag-order]: ImageWidth (256) out of "
        "ascending order (after 257)\n"
        "offset 3200: page 1 > SubIFD 1.2: error [tag-repeated]: ResolutionUnit (296) "
        "appears more than once\n"
        "offset 3200: page 1 > SubIFD 1.2: error [layout-geometry]: StripOffsets has 1 "
        "values; the image geometry needs 2\n"
        "offset 8: page 1 > SubIFD 2: error [child-unreadable]: The directory at offset 8 "
        "has been read before; not read again\n"
        "offset 1600: page 1 > EXIF directory > Interoperability directory: error "
        "[child-unreadable]: The directory at offset 1600 has been read before; not read "
        "again\n"
        "offset 90000: page 2 > GPS directory: error [child-unreadable]: Reading from file '" +
            path +
            "': Premature end of data\n"
            "offset 4016: page 1 strip 2 (bytes 4016 to 4047): error [overlap]: overlaps "
            "page 1 strip 1 (bytes 4000 to 4031)\n"
            "offset 4040: page 1 value of tag 305 (bytes 4040 to 4052): error [overlap]: "
            "overlaps page 1 strip 2 (bytes 4016 to 4047)\n"
            "8 problems found (8 errors, 0 warnings, 0 infos)\n");
}

// EXIF, GPS and Interoperability directories may declare next directories
// (normally they do not): the check follows them like any chain, maps their
// bytes, and holds them to no image rules.
TEST_P(DumpStructureTest, CheckFollowsChainsOfExifGpsAndInteropDirectories)
{
    TTiff tiff = ExifFile(GetParam());
    const std::size_t exif = 2, interop = 3, gps = 4;  // as ExifFile lays them out
    tiff.Ifds[exif].Next = 3800;
    TIfd exif2 = ChildIfd({Short(34855, {400}), Ascii(42016, "0123456789")});
    exif2.Offset = 3800;
    tiff.Ifds.push_back(exif2);
    EXPECT_EQ(Run({"--check", "--ignore", StructureOnly, Write(tiff)}), 0) << Out.str();

    tiff.Ifds.back().Entries[1].At(4000);  // into strip 1 of page 1
    tiff.Ifds.back().Next = 3901;
    TIfd exif3 = ChildIfd({Short(34855, {800})});
    exif3.Offset = 3901;
    tiff.Ifds.push_back(exif3);
    tiff.Ifds[gps].Next = 1600;       // back to the EXIF directory
    tiff.Ifds[interop].Next = 90000;  // beyond the end of the file
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({"--check", "--ignore", StructureOnly, "--ignore", "resolution-missing", path}),
              1);
    EXPECT_EQ(Out.str(),
              "offset 90000: page 1 > EXIF directory > Interoperability directory 1.2: error "
              "[child-unreadable]: Reading from file '" +
                  path +
                  "': Premature end of data\n"
                  "offset 3901: page 1 > EXIF directory 1.3: error [directory-odd-offset]: "
                  "directory at an odd offset\n"
                  "offset 1600: page 1 > GPS directory 1.2: error [child-unreadable]: The "
                  "directory at offset 1600 has been read before; not read again\n"
                  "offset 4000: page 1 > EXIF directory 1.2 value of tag 42016 (bytes 4000 to "
                  "4010): error [overlap]: overlaps page 1 strip 1 (bytes 4000 to 4031)\n"
                  "4 problems found (4 errors, 0 warnings, 0 infos)\n");
}

// Structures of different pages that collide, far apart in the walk; a
// strip that only touches another is no overlap.
TEST_F(DumpStructureTest, CheckFindsOverlapsAcrossPages)
{
    TTiff tiff;
    for (std::uint32_t strip : {1000u, 1052u, 1020u, 30u})
        tiff.Ifds.push_back(Page({Long(273, {strip}), Long(279, {strip == 1052 ? 16u : 32u})}));
    tiff.Ifds[3].Entries[1] = Long(279, {4});
    tiff.Length = 4096;
    EXPECT_EQ(Run({"--check", Write(tiff)}), 1);
    const std::string out = Out.str();
    const std::size_t first = out.find("offset 30: ");
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_EQ(out.substr(first, out.rfind('\n', out.size() - 2) + 1 - first),
              "offset 30: page 4 strip 1 (bytes 30 to 33): error [overlap]: overlaps page 1 "
              "directory (bytes 8 to 37)\n"
              "offset 1020: page 3 strip 1 (bytes 1020 to 1051): error [overlap]: overlaps page "
              "1 strip 1 (bytes 1000 to 1031)\n");
}

TEST_F(DumpStructureTest, CheckFollowsTheChainAndItsEnd)
{
    TTiff tiff = PagesFile(3);
    tiff.Ifds[2].Next = 8;
    tiff.Ifds[1].Offset = 27;
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({"--check", path}), 1);
    ExpectIn({"offset 27: page 2: error [directory-odd-offset]: directory at an odd offset\n",
              ": page 4: error [chain-loop]: the page chain loops back to the directory at offset "
              "8\n",
              "offset 8: page 1: error [tag-missing]: required ImageWidth (256) is missing\n"});

    tiff.Ifds[2].Next = 70000;
    EXPECT_EQ(Run({"--check", Write(tiff)}), 1);
    ExpectIn({": page 4: error [chain-outside]: the page chain leads to offset 70000, beyond the "
              "end of the file\n"});

    tiff.Mark = "XY";
    tiff.Magic = 7;
    EXPECT_EQ(Run({"--check", Write(tiff)}), 2);
    EXPECT_NE(Err.str().find("is probably not a TIFF file"), std::string::npos);
}

TEST_F(DumpStructureTest, ValuesAllShowsEveryTypeInFullAndLimitStillCuts)
{
    TTiff tiff;
    tiff.Order = TOrder::Big;
    tiff.Ifds = {Page({Short(259, {5}), Ascii(270, std::string(60, 'x')), SByte(40001, {-1, 2}),
                       Undefined(40002, {0xAB, 1, 2, 3, 4}), SShort(40003, {-1, 2, 3}),
                       SLong(40004, {-2147483647 - 1}), SRational(40005, {{-1, 2}, {3, -4}}),
                       Float(40006, {0.1f, -2.5f}), Double(40007, {0.1, 1e300}),
                       Rational(40008, {{1, 3}, {2, 0}}), Rational(40009, {{1, 3}}),
                       Long(40010, std::vector<std::uint32_t>(30, 4000000000u))})};
    const std::string path = Write(tiff);
    ASSERT_EQ(Run({"--values", "all", path}), 0) << Err.str();
    ExpectLines({
        "Compression (1 Short): LZW",
        "ImageDescription (61 ASCII): " + std::string(60, 'x') + " ",
        "40001 (2 SByte): -1, 2",
        "40002 (5 Undefined): AB 01 02 03 04",
        "40003 (3 SShort): -1, 2, 3",
        "40004 (1 SLong): -2147483648",
        "40005 (2 SRational): -1/2, 3/-4",
        "40006 (2 Float): 0.1, -2.5",
        "40007 (2 Double): 0.1, 1e+300",
        "40008 (2 Rational): 1/3, 2/0",
        "40009 (1 Rational): 0.333333333333333",
    });
    ExpectIn({"40010 (30 Long): 4000000000, "});
    EXPECT_EQ(Out.str().find(",..."), std::string::npos);

    ASSERT_EQ(Run({"--values", "all", "--limit", "10", path}), 0);
    ExpectLines({"ImageDescription (61 ASCII): xxxxxxxxxx...", "40002 (5 Undefined): AB 01 02 0...",
                 "40003 (3 SShort): -1, 2, 3", "40010 (30 Long): 4000000000,..."});
    EXPECT_EQ(Run({"--values", "some", path}), 2);
}

TEST_F(DumpStructureTest, JsonHoldsValuesTextsAndFailures)
{
    TTiff tiff;
    tiff.Ifds = {Page({AsciiRaw(270, std::string("one\0tw\xE9\0", 8)), Float(40006, {0.1f}),
                       Undefined(40002, {0xAB, 1, 2, 3, 4}), SRational(40005, {{-1, 2}}),
                       Bare(40011, tShort, 10).WithField(90000)})};
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({"--json", path}), 1);
    ExpectIn({"\"values\":[\"one\",\"tw\xC3\xA9\"]", "\"values\":[0.1]",
              "\"values\":\"AB01020304\"", "\"values\":[[-1,2]]",
              "\"count\":10,\"inline\":false,\"offset\":90000,\"values\":null,"
              "\"failure\":\"Reading from file '"});
    EXPECT_EQ(Run({"--json", "--tree", path}), 2);
}

TEST_F(DumpStructureTest, NestingDeeperThanTheLimitIsNotFollowed)
{
    TTiff tiff;
    tiff.Ifds = {Page({Pointer(330, {1})})};
    for (std::size_t i = 1; i <= 20; ++i)
        tiff.Ifds.push_back(ChildIfd({Pointer(330, {i + 1})}));
    tiff.Ifds.back() = ChildIfd({Short(256, {1})});
    EXPECT_EQ(Run({"--tree", Write(tiff)}), 1);
    ExpectIn({"Not followed: directories nested deeper than 16 levels\n"});
}

// BigTIFF: 8-byte counts and offsets, 20-byte entries, SubIFDs as IFD8.
TEST_F(DumpStructureTest, CheckWalksBigTiffAndItsIfd8SubIfds)
{
    TTiff tiff;
    tiff.Big = true;
    tiff.Ifds = {Page({Long8(256, {7}), Ifd8(330, {}).PointingTo({1})}),
                 ChildIfd({Short(257, {5})})};
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({"--check", path}), 1);
    ExpectIn({"offset 16: page 1: error [tag-missing]: required ImageLength (257) is missing\n",
              "offset 72: page 1 > SubIFD 1: error [tag-missing]: required ImageWidth (256) is "
              "missing\n"});
    EXPECT_EQ(Out.str().find("overlaps"), std::string::npos) << Out.str();
}

// IPTC stored as LONGs must come out as the bytes the file holds, whatever
// its byte order: the reader turns LONGs to host order.
TEST_P(DumpStructureTest, DecodeAndExtractUseTheFileBytes)
{
    const std::string stream = std::string("\x1C\x02\x19\x00\x05"
                                           "alpha\0\0",
                                           12);
    std::vector<std::uint32_t> longs;
    for (std::size_t i = 0; i < stream.size(); i += 4) {
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < 4; ++b) {
            const auto byte = static_cast<std::uint8_t>(stream[i + b]);
            value |= std::uint32_t(byte) << (GetParam() == TOrder::Big ? 24 - 8 * b : 8 * b);
        }
        longs.push_back(value);
    }
    TTiff tiff;
    tiff.Order = GetParam();
    tiff.Ifds = {Page({Short(256, {1}), Long(33723, longs)})};
    const std::string path = Write(tiff);
    ASSERT_EQ(Run({"--decode", "IPTC", path}), 0) << Err.str();
    EXPECT_EQ(Out.str(), "2:25 Keywords: alpha\n");
    const std::string out = path + ".iptc";
    ASSERT_EQ(Run({"--extract", "33723", path, out}), 0) << Err.str();
    std::ifstream file(out, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), stream);
    EXPECT_EQ(Run({"--decode", "256", path}), 1);
    EXPECT_EQ(Err.str(), "Tag ImageWidth has no decoded view\n");
}
