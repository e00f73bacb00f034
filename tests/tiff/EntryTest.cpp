// Directory entries and their values in both byte orders: inline and out of
// line, conversion to host order, the buffer pool, and directories or values
// that the file cannot hold.
#include "TiffTestFiles.h"

#include <algorithm>
#include <bit>
#include <cstring>

using namespace tiffw;

namespace {

// The entry's value as the host keeps it: each unit in host byte order, the
// low bytes of its 64-bit value on the little-endian hosts the program runs on.
static_assert(std::endian::native == std::endian::little);
std::string HostBytes(const TEntry& entry)
{
    std::string out;
    for (const std::uint64_t& unit : entry.Units)
        out.append(reinterpret_cast<const char*>(&unit), entry.UnitSize);
    return out;
}

}  // namespace

// Every type, inline and out of line, reaches the caller in host order.
TEST_P(TiffOrderTest, ValuesArriveInHostOrder)
{
    TTiff tiff;
    tiff.Order = GetParam();
    tiff.Ifds.push_back(Page({
        Short(300, {0x1234}),
        Short(301, {0x1234, 0xABCD}),
        Short(302, {1, 2, 0x8001}),
        SShort(303, {-2}),
        SShort(304, {-2, 300, -400}),
        Long(305, {0x12345678}),
        Long(306, {0x12345678, 0x9ABCDEF0}),
        SLong(307, {-5}),
        SLong(308, {-5, 7}),
        Float(309, {1.5f}),
        Float(310, {1.5f, -2.25f}),
        Double(311, {3.25}),
        Rational(312, {{300, 1}}),
        SRational(313, {{-1, 3}, {7, -9}}),
        Ifd(314, {0x01020304, 0x05060708}),
        Undefined(315, {1, 2, 3}),
        Undefined(316, {1, 2, 3, 4, 5, 6}),
        SByte(317, {-1, -2, -3, -4, -5}),
        Ascii(318, "abc"),
    }));
    OpenTiff(tiff);
    LoadPage(0);
    const std::vector<TEntry>& entries = tiff.Ifds[0].Entries;
    ASSERT_EQ(Reader.EntryCount(), entries.size());
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        const auto* bytes = reinterpret_cast<const char*>(Reader.ValuePointer(i));
        EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(Reader.ValueSize(i))),
                  HostBytes(entries[i]))
            << "tag " << entries[i].Tag;
    }

    // The page after it loads too: no value is left half converted.
    EXPECT_EQ(Reader.ValueText(12, 25), "300");
    TTiff next = tiff;
    next.Ifds.push_back(Page({Short(256, {7})}));
    OpenTiff(next, "next.tif");
    LoadPage(0);
    for (std::uint32_t i = 0; i < Reader.EntryCount(); ++i)
        Reader.ValuePointer(i);
    LoadPage(1);
    EXPECT_EQ(Reader.ValueText(0, 25), "7");
}

TEST_P(TiffOrderTest, ValueIsReadOnceAndBuffersAreRecycled)
{
    TTiff tiff;
    tiff.Order = GetParam();
    tiff.Ifds.push_back(Page({Long(273, {1, 2, 3}), Long(279, {4, 5, 6})}));
    tiff.Ifds.push_back(Page({Long(273, {7, 8})}));
    OpenTiff(tiff);
    LoadPage(0);
    const std::uint8_t* first = Reader.ValuePointer(0);
    EXPECT_EQ(Reader.ValuePointer(0), first);
    Reader.ValuePointer(1);
    EXPECT_EQ(Reader.GetPoolCount(), 0u);
    LoadPage(1);
    const std::uint32_t buffersPerValue = GetParam() == TOrder::Big ? 2 : 1;
    EXPECT_EQ(Reader.GetPoolCount(), 2 * buffersPerValue);
    EXPECT_EQ(Reader.ValueText(0, 25), "7, 8");
    EXPECT_EQ(Reader.GetPoolCount(), buffersPerValue);
}

TEST_P(TiffOrderTest, ALargerPageAfterASmallOneLoadsWhole)
{
    TTiff tiff;
    tiff.Order = GetParam();
    std::vector<TEntry> five, forty;
    for (std::uint16_t i = 0; i < 40; ++i)
        (i < 5 ? five : forty).push_back(Short(40000 + i, {i}));
    for (std::uint16_t i = 0; i < 5; ++i)
        forty.push_back(Short(40000 + i, {i}));
    tiff.Ifds = {Page(five), Page(forty), Page({})};
    OpenTiff(tiff);
    LoadPage(0);
    LoadPage(1);
    EXPECT_EQ(Reader.EntryCount(), 40u);
    EXPECT_EQ(Reader.ValueText(39, 25), "4");
    LoadPage(2);
    EXPECT_EQ(Reader.EntryCount(), 0u);
    EXPECT_EQ(Reader.CursorIfdOffset(), 0u);
}

using EntryTest = TiffFileTest;

TEST_F(EntryTest, BigEndianShortCountOneKeepsTheSecondHalfAsRead)
{
    TTiff tiff;
    tiff.Order = TOrder::Big;
    tiff.Ifds.push_back(Page({Short(256, {0x0102}).WithField(0x01020304)}));
    OpenTiff(tiff);
    LoadPage(0);
    const TTiffEntry& entry = Reader.GetEntry(0);
    std::uint16_t first;
    std::memcpy(&first, entry.FInline, 2);
    EXPECT_EQ(first, 0x0102);
    EXPECT_EQ(entry.FInline[2], 0x03);
    EXPECT_EQ(entry.FInline[3], 0x04);
}

TEST_F(EntryTest, DirectoryOf1024EntriesLoadsAnd1025Fails)
{
    std::vector<TEntry> entries;
    for (std::uint32_t i = 0; i < 1025; ++i)
        entries.push_back(Short(static_cast<std::uint16_t>(i), {1}));
    TTiff tiff;
    tiff.Ifds.push_back(Page(std::vector<TEntry>(entries.begin(), entries.end() - 1)));
    tiff.Ifds.push_back(Page(entries));
    OpenTiff(tiff);
    LoadPage(0);
    EXPECT_EQ(Reader.EntryCount(), 1024u);
    Select(1);
    EXPECT_EQ(ReadPageInternal(), "KvCodecTiff N.N");
    EXPECT_EQ(Code, ErrFailed);
    EXPECT_EQ(Text, "Sanity check on number of tags failed (decoded value is 1025)");
    // The entries shown are never those of another page than IfdOffset names.
    EXPECT_EQ(Reader.EntryCount(), 0u);
    EXPECT_EQ(Reader.IfdOffset(), Reader.PageSlot(1));
}

// A directory cut by the end of the file keeps the entries that lie whole
// within it and is marked cut, the chain broken behind it; one cut inside
// its count is a broken page. Counting before or after the read gives the
// same pages. Cuts in the count, after and inside an entry, in the next
// offset; classic and BigTIFF.
TEST_P(TiffOrderTest, CutDirectoryShowsTheEntriesWithinTheFile)
{
    const std::string broken =
        "Reading from file 'cut.tif': Premature end of data; Page list is broken";
    int cases = 0;
    for (auto [classic, big, entries] :
         {std::tuple{1u, 4u, -1}, {14u, 28u, 1}, {19u, 37u, 1}, {28u, 52u, 2}})
        for (bool bigTiff : {false, true})
            for (bool countFirst : {true, false}) {
                SCOPED_TRACE(testing::Message() << classic << " " << bigTiff << " " << countFirst);
                TTiff tiff = PagesFile(1, GetParam());
                tiff.Big = bigTiff;
                tiff.Ifds.push_back(Page({Short(256, {1}), Short(257, {2})}));
                tiff.Length = Lay(tiff).IfdOffsets[1] + (bigTiff ? big : classic);
                OpenTiff(tiff, std::to_string(++cases) + "/cut.tif");
                const std::uint32_t pages = entries < 0 ? 2 : 3;
                if (countFirst) {
                    EXPECT_EQ(CountPages(), pages);
                }
                Select(1);
                EXPECT_EQ(ReadPageInternal(), "");
                EXPECT_EQ(Code, entries < 0 ? ErrFailed : ErrOk);
                EXPECT_EQ(Reader.DirectoryCut(), entries >= 0);
                const auto whole = static_cast<std::uint32_t>(std::max(entries, 0));
                ASSERT_EQ(Reader.EntryCount(), whole);
                if (whole > 0) {
                    EXPECT_EQ(Reader.ValueText(whole - 1, 25), std::to_string(whole));
                }
                EXPECT_EQ(CountPages(), pages);
                EXPECT_EQ(Reader.GetBrokenText(), broken);
            }
}

// A value that starts beyond the end or runs past it has no text and no
// bytes, even where its first bytes are there; the rest of the page shows.
TEST_F(EntryTest, ValueRunningPastTheEndHasNoTextAndNoBytes)
{
    TTiff tiff;
    tiff.Ifds.push_back(Page({Long(273, {1, 2, 3}).At(5000), Ascii(270, "abcdefghij").At(190),
                              Long(279, {4, 5, 6}).At(194), Short(256, {9})}));
    tiff.Length = 200;
    OpenTiff(tiff);
    LoadPage(0);
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Reader.ValueText(i, 3), "") << i;
        EXPECT_EQ(ValueFailure(i), "Premature end of data") << i;
    }
    EXPECT_EQ(Reader.ValueText(3, 25), "9");
}

// Counts whose byte size passes the file size, including products that wrap
// in 32 bits to an inline size.
TEST_P(TiffOrderTest, ValueLargerThanTheFileIsNeverRead)
{
    TTiff tiff;
    tiff.Order = GetParam();
    tiff.Ifds.push_back(Page({
        Bare(40000, tByte, 100000),
        Bare(279, tLong, 0x40000001),      // 4 * count wraps to 4
        Bare(40001, tDouble, 0x20000000),  // 8 * count wraps to 0
        Bare(40002, tAscii, 0xFFFFFFFF),
        Bare(40003, tShort, 0x80000002),
        Short(256, {5}),
    }));
    OpenTiff(tiff);
    LoadPage(0);
    ASSERT_EQ(Reader.EntryCount(), 6u);
    EXPECT_EQ(Reader.ValueSize(1), std::int64_t(4) * 0x40000001);
    EXPECT_EQ(Reader.ValueSize(2), std::int64_t(8) * 0x20000000);
    for (std::uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Reader.ValueText(i, 45), "") << i;
        EXPECT_EQ(ValueFailure(i), "Premature end of data") << i;
    }
    EXPECT_EQ(Reader.GetPoolCount(), 0u);
    std::string sizeText;
    EXPECT_EQ(Outcome([&] { Reader.GetRasterSizeText(sizeText, Code, Text); }),
              "Reading StripByteCounts Tag Value: Premature end of data; Unable to deduct "
              "raster size");
    EXPECT_EQ(Reader.ValueText(5, 25), "5");
}

// Texts read no more of a value than they can show; of the values asked for
// whole, only the last large one stays, and a page load trims the pool.
TEST_P(TiffOrderTest, TextsReadOnlyWhatTheyShow)
{
    const std::uint32_t fileSize = 1 << 20;
    TTiff tiff;
    tiff.Order = GetParam();
    std::vector<TEntry> entries;
    for (std::uint16_t i = 0; i < 64; ++i)
        entries.push_back(
            Bare(40000 + i, i % 2 ? tLong : tAscii, i % 2 ? fileSize / 4 : fileSize).WithField(0));
    tiff.Ifds = {Page(entries), Page({Short(256, {1})})};
    tiff.Length = fileSize;
    OpenTiff(tiff);
    LoadPage(0);
    for (std::uint32_t i = 0; i < 64; ++i) {
        Reader.ValueText(i, 45);
        EXPECT_EQ(Reader.GetEntry(i).FLoaded, i % 2 ? 16u * 4 : 45u) << i;
    }
    const std::string list = Reader.ValueText(1, 25);
    EXPECT_EQ(list.substr(list.size() - 4), ",...");
    EXPECT_EQ(Reader.ValueText(0, 5).size(), 5u + 3u);
    Reader.ValuePointer(0);
    EXPECT_EQ(Reader.GetEntry(0).FLoaded, fileSize);
    Reader.ValuePointer(1);
    EXPECT_EQ(Reader.GetEntry(0).FState, tvsNotRead);
    EXPECT_EQ(Reader.ValueText(1, 25), list);
    LoadPage(1);
    EXPECT_LE(Reader.GetPoolCount(), 2u * 64);
}

// A value of nearly 4 GiB in a sparse file: its text reads a few bytes, and
// asking for the whole of it in a 32-bit build fails cleanly instead of
// wrapping the size of its buffer.
TEST_F(EntryTest, ValueOfNearly4GiBInASparseFile)
{
    TTiff tiff;
    tiff.Ifds.push_back(Page({Bare(40000, tByte, 0xFFFFFFFD).WithField(2), Short(256, {9})}));
    tiff.Length = (4ull << 30) + 8;
    OpenTiff(tiff);
    LoadPage(0);
    EXPECT_EQ(Reader.ValueText(0, 25), "42, 0, 8, 0, 0, 0, 2, 0,...");
    EXPECT_LE(Reader.GetEntry(0).FLoaded, 16u);
    if (sizeof(void*) == 4) {
        EXPECT_EQ(ValueFailure(0), "Out of memory");
    }
    EXPECT_EQ(Reader.ValueText(1, 25), "9");
}
