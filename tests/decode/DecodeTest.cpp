// The decoders on values built here: what users read from good values, and
// a message, never a crash or a partial view, from hostile ones.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "decode/DescriptionDecode.h"
#include "decode/TagDecoders.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes Be16(std::initializer_list<unsigned> values)
{
    TBytes bytes;
    for (unsigned v : values) {
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return bytes;
}

void Be32(TBytes& bytes, std::size_t at, std::uint32_t value)
{
    if (bytes.size() < at + 4)
        bytes.resize(at + 4);
    for (unsigned i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

TBytes Text(const std::string& text)
{
    return TBytes(text.begin(), text.end());
}

template <typename T>
TBytes HostBytes(const std::vector<T>& values)
{
    TBytes bytes(values.size() * sizeof(T));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

std::string Decoded(std::uint16_t tag, std::uint16_t type, const TBytes& bytes,
                    const TBytes& doubles = {}, const std::string& ascii = {})
{
    TDecodeInput input;
    input.Tag = tag;
    input.Type = type;
    input.Bytes = bytes;
    input.GeoDoubles = doubles;
    input.GeoAscii = {reinterpret_cast<const std::uint8_t*>(ascii.data()), ascii.size()};
    input.PageCount = 2;
    const auto view = DecodeTagValue(input);
    if (!view)
        return "(no view)";
    return view->Failure.empty() ? ViewText(*view) : "failure: " + view->Failure;
}

// An ICC profile of a header, the tag table and a 'mluc' description.
TBytes IccProfile(std::uint32_t tagCount = 1)
{
    TBytes profile(128);
    Be32(profile, 4, 0x6C636D73);   // 'lcms'
    Be32(profile, 8, 0x04300000);   // 4.3
    Be32(profile, 12, 0x6D6E7472);  // 'mntr'
    Be32(profile, 16, 0x52474220);  // 'RGB '
    Be32(profile, 20, 0x58595A20);  // 'XYZ '
    const TBytes date = Be16({2024, 5, 17, 13, 4, 59});
    std::copy(date.begin(), date.end(), profile.begin() + 24);
    Be32(profile, 36, 0x61637370);  // 'acsp'
    Be32(profile, 64, 1);
    Be32(profile, 128, tagCount);
    Be32(profile, 132, 0x64657363);  // 'desc'
    Be32(profile, 136, 144);
    const TBytes text = Be16({'s', 0xE9, 'R', 'G', 'B'});
    Be32(profile, 140, 28 + static_cast<std::uint32_t>(text.size()));
    Be32(profile, 144, 0x6D6C7563);  // 'mluc'
    Be32(profile, 152, 1);
    Be32(profile, 156, 12);
    profile.insert(profile.end(), {'e', 'n', 'U', 'S'});
    Be32(profile, 164, static_cast<std::uint32_t>(text.size()));
    Be32(profile, 168, 28);
    profile.insert(profile.end(), text.begin(), text.end());
    Be32(profile, 0, static_cast<std::uint32_t>(profile.size()));
    return profile;
}

TBytes IptcDataset(unsigned record, unsigned dataset, const std::string& value)
{
    TBytes bytes{0x1C, static_cast<std::uint8_t>(record), static_cast<std::uint8_t>(dataset)};
    const TBytes length = Be16({static_cast<unsigned>(value.size())});
    bytes.insert(bytes.end(), length.begin(), length.end());
    bytes.insert(bytes.end(), value.begin(), value.end());
    return bytes;
}

}  // namespace

TEST(Decoders, GeoKeysResolveEveryPlaceAValueCanLie)
{
    const std::vector<std::uint16_t> keys{1,    1,     0, 5, 1024, 0, 1, 2,    2049, 34737, 7, 0,
                                          2057, 34736, 1, 0, 3076, 0, 1, 9001, 3080, 34736, 1, 5};
    const std::string text =
        Decoded(34735, 3, HostBytes(keys), HostBytes(std::vector{6378137.0}), "WGS 84|");
    EXPECT_EQ(text, "GeoTIFF version 1, key revision 1.0, 5 keys\n"
                    "  GTModelTypeGeoKey (1024, SHORT, 1): 2 ModelTypeGeographic\n"
                    "  GeogCitationGeoKey (2049, ASCII, 7): \"WGS 84\"\n"
                    "  GeogSemiMajorAxisGeoKey (2057, DOUBLE, 1): 6378137\n"
                    "  ProjLinearUnitsGeoKey (3076, SHORT, 1): 9001 Linear_Meter\n"
                    "  ProjNatOriginLongGeoKey (3080, DOUBLE, 1): (beyond the 1 values of "
                    "GeoDoubleParams)\n"
                    "Problem: GeoKey 3080 takes values 5 to 6 of tag 34736, which has 1\n");
}

TEST(Decoders, ModelTagsAsPointsAndMatrix)
{
    std::vector<double> matrix(16);
    for (std::size_t i = 0; i < 16; ++i)
        matrix[i] = static_cast<double>(i) / 2;
    EXPECT_EQ(Decoded(33922, 12, HostBytes(std::vector{0.0, 0.0, 0.0, 10.5, -50.25, 0.0})),
              "Tiepoint 1: raster (0, 0, 0) -> model (10.5, -50.25, 0)\n");
    EXPECT_NE(Decoded(34264, 12, HostBytes(matrix)).find("  [6, 6.5, 7, 7.5]\n"),
              std::string::npos);
}

TEST(Decoders, IccHeaderTableAndUnicodeDescription)
{
    const std::string text = Decoded(34675, 7, IccProfile());
    for (const char* line :
         {"CMM: 'lcms'\n", "Version: 4.3.0\n", "Class: 'mntr' Display Device Profile\n",
          "Colour space: 'RGB ' RGB\n", "Date: 2024:05:17 13:04:59\n",
          "Rendering intent: 1 Media-Relative Colorimetric\n",
          "  'desc' ProfileDescription: offset 144, 38 bytes\n",
          "ProfileDescription (en-US): s\xC3\xA9RGB\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST(Decoders, PhotoshopBlocksCarryIptcDecodedUnderThem)
{
    TBytes iptc = IptcDataset(2, 25, "alpha");
    const TBytes city = IptcDataset(2, 90, "Z\xFCrich");  // ISO-8859-1
    iptc.insert(iptc.end(), city.begin(), city.end());
    TBytes blocks = Text("8BIM");
    const TBytes header = Be16({1028, 0x0000});  // id, empty name padded to two bytes
    blocks.insert(blocks.end(), header.begin(), header.end());
    Be32(blocks, blocks.size(), static_cast<std::uint32_t>(iptc.size()));
    blocks.insert(blocks.end(), iptc.begin(), iptc.end());
    blocks.resize(blocks.size() + 3);  // the block's padding and the tag's LONG padding
    EXPECT_EQ(Decoded(34377, 7, blocks), "1028 IPTC-NAA: 21 bytes\n"
                                         "  2:25 Keywords: alpha\n"
                                         "  2:90 City: Z\xC3\xBCrich\n");
}

TEST(Decoders, XmlIndentedInTheEncodingFound)
{
    const std::string utf16 = std::string("\xFF\xFE<\0a\0>\0\xE9\0<\0/\0a\0>\0", 18);
    EXPECT_EQ(Decoded(700, 1, Text(utf16)),
              "Encoding: UTF-16LE with byte order mark\n<a>\xC3\xA9</a>\n");
    EXPECT_EQ(Decoded(700, 1,
                      Text("<?xml version='1.0' encoding='ISO-8859-1'?><r><b>\xE9</b>"
                           "<!-- c --><e/></r>")),
              "Encoding: ISO-8859-1 (declared)\n<?xml version='1.0' encoding='ISO-8859-1'?>\n"
              "<r>\n  <b>\xC3\xA9</b>\n  <!-- c -->\n  <e/>\n</r>\n");
}

TEST(Decoders, DescriptionsWithStructureOnly)
{
    EXPECT_EQ(Decoded(270, 2, Text("A scan of a page")), "(no view)");
    EXPECT_EQ(
        Decoded(270, 2, Text("ImageJ=1.54f\nimages=4\nunit=micron\n")),
        "ImageJ metadata\n  ImageJ: 1.54f\n  images: 4\n  unit: micron\nPages in the file: 2\n");
    EXPECT_EQ(OmeDeclaredPlanes("<OME><Image><Pixels SizeZ=\"3\" SizeC=\"2\"></Pixels></Image>"
                                "<Image><Pixels SizeT=\"4\"/></Image></OME>"),
              10u);
}

TEST(Decoders, HostileValuesGiveAMessage)
{
    TBytes manyTags = IccProfile(0x10000000);
    TBytes manyRecords = IccProfile();
    Be32(manyRecords, 152, 0xFFFFFFFF);
    TBytes textOutside = IccProfile();
    Be32(textOutside, 168, 0xFFFFFFF0);
    std::string nested;
    for (int i = 0; i < 70; ++i)
        nested += "<a>";
    std::string wide;
    for (int i = 0; i < 25000; ++i)
        wide += "<a/>";
    const struct {
        std::uint16_t Tag, Type;
        TBytes Value;
        const char* Message;
    } cases[] = {
        {34735, 3, Be16({1, 1}), "header needs 4"},
        {34735, 4, Be16({1, 1, 0, 0}), "decoder reads SHORT"},
        {33922, 12, HostBytes(std::vector{1.0, 2.0}), "not whole points"},
        {34675, 7, TBytes(100), "header of 128 bytes"},
        {34675, 7, manyTags, "declares 268435456 tags"},
        {34675, 7, manyRecords, "records"},
        {34675, 7, textOutside, "lies beyond"},
        {33723, 4, TBytes{0x1C, 2, 25, 0x00, 0x40, 'a'}, "needs 64 bytes"},
        {33723, 4, TBytes{0x1C, 2, 25, 0x80, 0x08}, "length of 8 bytes"},
        {33723, 4, TBytes{'x', 0, 0}, "no dataset marker at byte 0"},
        {34377, 7, Text("8BIM\x04\x04\x20xy"), "a block name"},
        {34377, 7, Text("8BIX"), "no block signature"},
        {700, 1, Text("<a><b"), "unclosed tag at byte 3"},
        {700, 1, Text("<a></a></b>"), "closes no element"},
        {700, 1, Text(nested), "deeper than 64"},
        {700, 1, Text(wide), "more than 20000 lines"},
    };
    for (const auto& c : cases) {
        const std::string text = Decoded(c.Tag, c.Type, c.Value);
        EXPECT_EQ(text.rfind("failure: ", 0), 0u) << c.Message << ": " << text;
        EXPECT_NE(text.find(c.Message), std::string::npos) << text;
    }
}

TEST(Decoders, FileOrderRestoredPerElement)
{
    TBytes longs{1, 2, 3, 4, 5, 6, 7, 8};
    RestoreFileOrder(longs, 4, std::endian::native == std::endian::little);
    EXPECT_EQ(longs, (TBytes{4, 3, 2, 1, 8, 7, 6, 5}));
    RestoreFileOrder(longs, 4, std::endian::native == std::endian::big);
    EXPECT_EQ(longs, (TBytes{4, 3, 2, 1, 8, 7, 6, 5}));
}
