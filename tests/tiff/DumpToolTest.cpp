// orvane-dump on files that are broken in different ways; the output on the
// bundled samples is compared with committed text by ctest.
#include "TiffTestFiles.h"

#include <sstream>

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

    std::ostringstream Out, Err;
};

TEST_F(DumpToolTest, BrokenPageShowsItsTextAndTheToolGoesOn)
{
    TTiff tiff = PagesFile(2);
    tiff.Ifds[1].Next = 90000;
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({path}), 1);
    const std::string out = Out.str();
    EXPECT_NE(out.find("Number of pages: 3\n"), std::string::npos);
    EXPECT_NE(
        out.find("\nPage 2 of 3\nPage offset: 26\nPage raster data size: (Missing "
                 "Strip/Tile tags; Unable to deduct raster size)\nPageNumber (2 Short): 1, 0\n"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("\nPage 3 of 3\nReading from file '" + path +
                       "': Premature end of data; Page list is broken\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(Err.str(), "");
}

TEST_F(DumpToolTest, BigTiffSaysSoAndClassicDoesNot)
{
    TTiff tiff = PagesFile(2, TOrder::Big);
    tiff.Big = true;
    tiff.Ifds[1].Entries = {Long8(40000, {5000000000ull})};
    EXPECT_EQ(Run({Write(tiff)}), 0);
    const std::string out = Out.str();
    EXPECT_NE(out.find("Byte order: Motorola\nFormat: BigTIFF\nNumber of pages: 2\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\nPage 1 of 2\nPage offset: 16\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n40000 (1 Long8): 5000000000\n"), std::string::npos) << out;

    EXPECT_EQ(Run({Write(PagesFile(1))}), 0);
    EXPECT_NE(Out.str().find("Byte order: Intel\nNumber of pages: 1\n"), std::string::npos)
        << Out.str();
}

TEST_F(DumpToolTest, FailuresOfAPageAreShownInPlace)
{
    std::vector<TEntry> tooMany(1025, Short(256, {1}));
    TTiff tiff;
    tiff.Ifds = {Page({Bare(273, tLong, 3).WithField(60000)}), Page(tooMany)};
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({path}), 1);
    const std::string out = Out.str();
    EXPECT_NE(out.find("Page 1 of 2\nPage offset: 8\nPage raster data size: (StripByteCounts Tag "
                       "is missing; unable to deduct raster size)\nStripOffsets (3 Long): \n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Page 2 of 2\nSanity check on number of tags failed (decoded value is "
                       "1025)\n"),
              std::string::npos)
        << out;
}

TEST_F(DumpToolTest, UnreadableFileGoesToStandardError)
{
    TTiff tiff = PagesFile(1);
    tiff.Mark = "XY";
    tiff.Magic = 7;
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({path}), 1);
    EXPECT_EQ(Out.str(), "");
    EXPECT_EQ(Err.str(), "Invalid byte order indication and signature; file '" + path +
                             "' is probably not a TIFF file\n");
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

    EXPECT_EQ(Run({"--hex", "ImageWidth", path}), 0);
    EXPECT_NE(Out.str().find("Value of ImageWidth (2 bytes)\n00000000  01 00 "), std::string::npos);
    EXPECT_EQ(Run({"--hex", "ImageLength", path}), 1);
    EXPECT_EQ(Err.str(), "Tag ImageLength is not on page 1\n");
}

TEST_F(DumpToolTest, OptionsAndUsage)
{
    TTiff tiff;
    tiff.Ifds = {Page({Ascii(270, std::string(50, 'x'))})};
    const std::string path = Write(tiff);
    EXPECT_EQ(Run({"--limit", "5", path}), 0);
    EXPECT_NE(Out.str().find("ImageDescription (51 ASCII): xxxxx...\n"), std::string::npos);
    EXPECT_EQ(Run({"--page", "2", path}), 1);
    EXPECT_EQ(Err.str(), "Page 2 does not exist; the file has 1 pages\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--page", "0", path},
                                                 {"--limit", "x", path},
                                                 {"--page"},
                                                 {path, path},
                                                 {"--bogus", path}})
        EXPECT_EQ(Run(args), 2);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(Out.str(), OrvaneDumpUsage);
}
