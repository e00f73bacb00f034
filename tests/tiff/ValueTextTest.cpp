// Tag names, data type names, value texts and the tag dump.
#include "TiffTestFiles.h"

#include <clocale>

using namespace tiffw;

namespace {

struct TTextCase {
    TEntry Entry;
    std::uint32_t Limit;
    std::string Expected;
};

std::vector<std::uint16_t> OneTo(std::uint16_t n)
{
    std::vector<std::uint16_t> values;
    for (std::uint16_t i = 1; i <= n; ++i)
        values.push_back(i);
    return values;
}

std::vector<TTextCase> TextCases()
{
    const std::string sixty(60, 'x');
    return {
        // Named values.
        {Long(254, {0}), 25, "Zero"},
        {Long(254, {7}), 25, "ReducedImage, Page, Mask"},
        {Long(254, {8}), 25, "Zero"},
        {Short(259, {1}), 25, "Uncompressed"},
        {Short(259, {32773}), 25, "PackBits (aka Macintosh RLE)"},
        {Short(259, {9}), 25, ""},
        {Short(262, {5}), 25, "Seperated"},
        {Short(262, {7}), 25, "Unknown (7)"},
        {Byte(266, {2}), 25, "Lsb2Msb"},
        {Short(274, {8}), 25, "LeftBot"},
        {Short(274, {1, 1}), 25, "Unexpected count"},
        {SShort(259, {1}), 25, "Unexpected datatype"},
        {Short(284, {2}), 25, "Seperate"},
        {Long(296, {3}), 25, "Centimeter"},
        // Numbers and lists.
        {Short(256, {800}), 25, "800"},
        {Short(258, OneTo(3)), 25, "1, 2, 3"},
        {Short(258, OneTo(10)), 25, "1, 2, 3, 4, 5, 6, 7, 8,..."},
        {Short(258, OneTo(10)), 1, "1,..."},
        {Byte(40000, {1, 2, 3, 4, 255}), 25, "1, 2, 3, 4, 255"},
        {Byte(40000, {200}), 25, "200"},
        {Long(257, {4294967295u}), 25, "4294967295"},
        {Long(273, {100000, 200000, 300000, 400000}), 25, "100000, 200000, 300000,..."},
        {Ifd(330, {8, 4294967295u}), 45, "8, 4294967295"},
        {Long(40000, {}), 25, ""},
        // Rationals.
        {Rational(282, {{300, 1}}), 25, "300"},
        {Rational(282, {{1, 3}}), 25, "0.333333333333333"},
        {Rational(282, {{2, 3}}), 25, "0.666666666666667"},
        {Rational(282, {{4294967295u, 1}}), 25, "4294967295"},
        {Rational(282, {{1, 4294967295u}}), 25, "2.3283064370808e-10"},
        {Rational(282, {{1, 0}}), 25, "Unexpected numeric"},
        {Rational(282, {{1, 2}, {3, 4}}), 25, ""},
        // ASCII.
        {Ascii(305, "hello"), 25, "hello "},
        {AsciiRaw(305, std::string("a\tb\x01z", 5)), 25, "a b z"},
        {Ascii(270, sixty), 45, std::string(45, 'x') + "..."},
        {Ascii(270, sixty), 25, std::string(25, 'x') + "..."},
        {AsciiRaw(270, ""), 25, ""},
        // Types without a text.
        {SShort(40000, {-1}), 25, ""},
        {SLong(40000, {-1}), 25, ""},
        {Float(40000, {1.0f}), 25, ""},
        {Double(40000, {1.0}), 25, ""},
        {Undefined(40000, {1, 2, 3, 4, 5}), 25, ""},
        {Bare(40000, 14, 3), 25, ""},
    };
}

}  // namespace

TEST_P(TiffOrderTest, ValueTexts)
{
    const std::vector<TTextCase> cases = TextCases();
    TTiff tiff;
    tiff.Order = GetParam();
    TIfd page;
    for (const TTextCase& c : cases)
        page.Entries.push_back(c.Entry);
    tiff.Ifds.push_back(page);
    OpenTiff(tiff);
    LoadPage(0);
    ASSERT_EQ(Reader.EntryCount(), cases.size());
    for (std::uint32_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(Reader.ValueText(i, cases[i].Limit), cases[i].Expected)
            << "case " << i << " tag " << cases[i].Entry.Tag;
        // Asking again gives the same text (the value is not read twice).
        EXPECT_EQ(Reader.ValueText(i, cases[i].Limit), cases[i].Expected) << "case " << i;
    }
}

using NameTest = TiffFileTest;

TEST_F(NameTest, TagAndTypeNames)
{
    TTiff tiff;
    tiff.Ifds.push_back(Page({
        Short(256, {1}),
        Short(263, {1}),
        Short(33301, {1}),
        Short(37439, {1}),
        Short(40000, {1}),
        Bare(254, 14, 1),
        Bare(255, 13, 0),
        Bare(256, 0, 0),
        Bare(257, 10, 0),
        Bare(258, 6, 0),
    }));
    OpenTiff(tiff);
    LoadPage(0);
    const char* tags[] = {"ImageWidth",  "Tresholding",  "Pixar_ImageFIllLength", "Stonits",
                          "40000",       "SubFileType",  "OldSubFileType",        "ImageWidth",
                          "ImageLength", "BitsPerSample"};
    const char* types[] = {"Short", "Short", "Short",  "Short",     "Short",
                           "14",    "IFD",   "NoType", "SRational", "SByte"};
    for (std::uint32_t i = 0; i < 10; ++i) {
        EXPECT_EQ(Reader.TagName(i), tags[i]);
        EXPECT_EQ(Reader.DataTypeName(i), types[i]);
    }
    const std::pair<std::uint32_t, const char*> lower[] = {
        {0, "no type"},  {2, "ASCII"},    {6, "signed byte"}, {10, "signed rational"},
        {13, "unknown"}, {14, "unknown"}, {65535, "unknown"},
    };
    std::string text;
    for (const auto& [type, name] : lower) {
        TKvCodecTrnTiff::DataTypeNameLower(type, text);
        EXPECT_EQ(text, name);
    }
}

TEST_F(NameTest, RationalUsesTheLocaleDecimalSeparator)
{
    TTiff tiff;
    tiff.Ifds.push_back(Page({Rational(282, {{1, 4}})}));
    OpenTiff(tiff);
    LoadPage(0);
    EXPECT_EQ(Reader.ValueText(0, 25), "0.25");
    const char* names[] = {"de_DE.UTF-8", "de_DE",  "fr_FR.UTF-8",
                           "nl_NL.UTF-8", "German", "French"};
    const char* selected = nullptr;
    for (const char* name : names)
        if ((selected = std::setlocale(LC_NUMERIC, name)))
            break;
    if (!selected)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string text = Reader.ValueText(0, 25);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(text, "0,25");
}

// The tag dump: one CR LF terminated line per entry, values cut as the list shows them.
TEST_F(NameTest, TagDumpLinesInEntryOrderEachEndingInCrLf)
{
    TTiff tiff;
    tiff.Order = TOrder::Big;
    tiff.Ifds.push_back(Page({
        Short(256, {800}),
        Short(259, {5}),
        Rational(282, {{300, 1}}),
        Ascii(270, std::string(50, 'd')),
        Short(40000, {1, 2}),
        Bare(40001, 14, 7),
    }));
    tiff.Ifds.push_back(Page({}));
    OpenTiff(tiff);
    LoadPage(0);
    EXPECT_EQ(BuildTagDump(Reader), "ImageWidth (1 Short): 800\r\n"
                                    "Compression (1 Short): LZW\r\n"
                                    "XResolution (1 Rational): 300\r\n"
                                    "ImageDescription (51 ASCII): " +
                                        std::string(45, 'd') +
                                        "...\r\n"
                                        "40000 (2 Short): 1, 2\r\n"
                                        "40001 (7 14): \r\n");
    LoadPage(1);
    EXPECT_EQ(BuildTagDump(Reader), "");
}
