// Header, byte order, file size and the lazy, remembered open state.
#include "TiffTestFiles.h"

#include "tiff/SizeText.h"

using namespace tiffw;

using HeaderTest = TiffFileTest;

TEST_F(HeaderTest, ByteOrderFromMarkAndNumber)
{
    const struct {
        const char* Mark;
        TOrder MagicOrder;  // byte order the number is written in
        std::uint16_t Magic;
        const char* Expected;  // byte order text, or "" for an invalid header
    } cases[] = {
        {"II", TOrder::Little, 42, "Intel"},
        {"MM", TOrder::Big, 42, "Motorola"},
        {"II", TOrder::Big, 42, ""},  // 42 only in the opposite order
        {"MM", TOrder::Little, 42, ""},
        {"II", TOrder::Little, 43, "Intel"},  // wrong number, mark decides
        {"MM", TOrder::Big, 43, "Motorola"},
        {"XY", TOrder::Big, 42, "Motorola"},  // unknown mark, number decides
        {"XY", TOrder::Little, 42, "Intel"},
        {"XY", TOrder::Little, 43, ""},
    };
    for (const auto& c : cases) {
        // A file of its own: the reader keeps the one before open.
        const std::string name = std::string(c.Mark) +
                                 (c.MagicOrder == TOrder::Big ? "-big-" : "-little-") +
                                 std::to_string(c.Magic) + ".tif";
        SCOPED_TRACE(name);
        TTiff tiff = PagesFile(1, c.MagicOrder);
        tiff.Mark = c.Mark;
        tiff.Magic = c.Magic;
        tiff.Ifds[0].Offset = 16;  // not at 8: "II", 43, 8, 0 would be a BigTIFF header
        OpenTiff(tiff, name);
        std::string order;
        const std::string failure = Outcome([&] { Reader.GetByteOrder(order, Code, Text); });
        EXPECT_EQ(failure.empty() ? order : failure,
                  *c.Expected ? c.Expected
                              : "Invalid byte order indication and signature; file '" + name +
                                    "' is probably not a TIFF file");
        EXPECT_EQ(Reader.ByteOrderText(), c.Expected);
        if (*c.Expected) {
            LoadPage(0);
            EXPECT_EQ(Reader.ValueText(0, 25), "0, 0");
        }
    }
}

TEST_F(HeaderTest, ShortOrMissingFileFailsAndKeepsFailingUntilTheNextOpen)
{
    TTiff tiff = PagesFile(1);
    tiff.Length = 7;
    OpenTiff(tiff);
    const std::string expected = "Reading from file 't.tif': Premature end of data";
    EXPECT_EQ(Select(0), expected);
    EXPECT_EQ(Read(), expected);
    EXPECT_EQ(Read(), expected);
    bool final = false;
    EXPECT_EQ(Outcome([&] { Reader.ScanStep(final, Code, Text); }), expected);
    EXPECT_EQ(Reader.GetState(), trsFailed);
    EXPECT_THROW(Reader.FileSize(), std::runtime_error);

    OpenTiff(PagesFile(2), "good.tif");
    EXPECT_EQ(Reader.GetState(), trsOpened);
    EXPECT_EQ(CountPages(), 2u);

    OpenPath((Folder / "absent.tif").string());
    EXPECT_EQ(Read(), "Opening file 'absent.tif': ERROR_FILE_NOT_FOUND: The system cannot find the "
                      "file specified");
}

TEST_F(HeaderTest, HeaderIsReadWhenNeededAndASecondOpenResetsTheFirst)
{
    OpenTiff(PagesFile(3, TOrder::Big), "big.tif");
    EXPECT_EQ(Reader.GetState(), trsOpened);  // the header is read when first needed
    EXPECT_EQ(Reader.FileSize(), 8u + 3 * 18u);
    EXPECT_EQ(Reader.GetState(), trsReady);
    EXPECT_EQ(CountPages(), 3u);
    LoadPage(2);
    EXPECT_EQ(Reader.ByteOrderText(), "Motorola");

    OpenTiff(PagesFile(1), "little.tif");
    EXPECT_EQ(PageCountNow(), std::make_pair(false, 0u));
    EXPECT_EQ(Reader.ByteOrderText(), "Intel");
    // The previous file's entries are gone once the new header is read.
    EXPECT_EQ(Reader.EntryCount(), 0u);
    EXPECT_EQ(CountPages(), 1u);
}

TEST(SizeToTextTest, UnitsRoundingAndTies)
{
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 b"},
        {511, "511 b"},
        {512, "0.50 Kb"},
        {1024, "1.00 Kb"},
        {1029, "1.00 Kb"},  // 100.488 rounds down
        {1030, "1.01 Kb"},
        {524287, "512.00 Kb"},  // 51199.9 rounds up, still Kb
        {524288, "0.50 Mb"},
        {536870911, "512.00 Mb"},
        {536870912, "0.50 Gb"},
        {4294967295, "4.00 Gb"},
        {1099511627776, "1024.00 Gb"},
        {1664, "1.62 Kb"},  // 162.5 exactly: ties go to even
        {1920, "1.88 Kb"},  // 187.5
    };
    for (const auto& [size, text] : cases)
        EXPECT_EQ(SizeToText(size), text) << size;
}

// Open may name a directory before any header of the file was read, also
// right after another file failed: nothing is read before the header.
TEST_F(HeaderTest, OpenWithADirectoryOffsetBeforeTheHeader)
{
    const std::string good = Write(PagesFile(2), "good.tif");
    TTiff shortFile = PagesFile(1);
    shortFile.Length = 7;
    const std::string bad = Write(shortFile, "short.tif");
    for (const std::string& first : {std::string(), bad}) {
        TKvCodecTrnTiff reader;
        reader.EnablePageList(true, Code, Text);
        if (!first.empty()) {
            reader.Open(first, "short.tif", 0, 0, Code, Text);
            reader.ReadPage(Code, Text);
            EXPECT_EQ(reader.GetState(), trsFailed);
        }
        Code = ErrOk;
        reader.Open(good, "good.tif", 0, TKvCodecTrnTiff::BrokenMark, Code, Text);
        EXPECT_EQ(Code, ErrOk);
        reader.ReadPage(Code, Text);
        EXPECT_EQ(Text, "Reading from file 'good.tif': Premature end of data; Page list is broken");
        Code = ErrOk;
        reader.Open(good, "good.tif", 1, Lay(PagesFile(2)).IfdOffsets[1], Code, Text);
        reader.SelectPage(1, Code, Text);
        reader.ReadPage(Code, Text);
        EXPECT_EQ(Code, ErrOk);
        EXPECT_EQ(reader.EntryCount(), 1u);
    }
}
