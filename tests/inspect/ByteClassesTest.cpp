// The byte classes of a file: claims that overlap in every way against a
// byte-by-byte count, the owners and counts of real files through the
// check's walk, and the directory every finding names.
#include "TiffTestFiles.h"

#include <array>
#include <random>

#include "DumpFiles.h"
#include "inspect/ByteClasses.h"

using namespace tiffw;

namespace {

class TFindingList : public IFindingSink {
public:
    bool Wants(TRuleId) const override { return true; }
    void Begin(const std::string&) override {}
    void Add(const TFinding& finding) override { Findings.push_back(finding); }
    int Finish() override { return 0; }
    const TFinding* About(const std::string& text) const
    {
        for (const TFinding& finding : Findings)
            if (finding.Message.find(text) != std::string::npos)
                return &finding;
        return nullptr;
    }
    std::vector<TFinding> Findings;
};

struct TRawClaim {
    std::size_t Start, Size;
    TSpanKind Kind;
};

TByteClass KindClass(TSpanKind kind)
{
    const TByteClass classes[] = {TByteClass::Header, TByteClass::Directory, TByteClass::TagValue,
                                  TByteClass::ImageData, TByteClass::ImageData};
    return classes[static_cast<int>(kind)];
}

// Header, Directory, TagValue, ImageData, Unaccounted, Overlap, BeyondEnd.
int TestRank(TByteClass c)
{
    return std::array{0, 3, 2, 1, 4, 6, 5}[static_cast<std::size_t>(c)];
}

}  // namespace

// Random claims, nested, shared starts and ends, beyond the end, each
// directory's own: every byte's class, the counts and the pixels agree with
// a plain count of claims per byte.
TEST(ByteClassesTest, ClaimsResolveAsAByteByByteCountDoes)
{
    std::mt19937 random(2804);
    constexpr std::size_t size = 120;
    for (int round = 0; round < 400; ++round) {
        std::vector<TRawClaim> claims;
        const int n = 1 + static_cast<int>(random() % 10);
        for (int i = 0; i < n; ++i)
            claims.push_back({random() % 140, random() % 30, static_cast<TSpanKind>(random() % 5)});
        TByteClassifier classifier;
        classifier.Begin(size);
        std::vector<int> cover(size + 60, 0);
        std::vector<TByteClass> expected(size + 60, TByteClass::Unaccounted);
        for (std::size_t i = 0; i < claims.size(); ++i) {
            classifier.Directory(100 + i, 1, nullptr);
            classifier.Claim(claims[i].Start, claims[i].Size, 7, claims[i].Kind);
            for (std::size_t b = claims[i].Start; b < claims[i].Start + claims[i].Size; ++b)
                expected[b] = ++cover[b] > 1 ? TByteClass::Overlap : KindClass(claims[i].Kind);
        }
        const TByteClassMap map = classifier.Finish();
        std::uint64_t counts[ByteClassCount] = {}, tiled = 0;
        for (std::size_t b = 0; b < cover.size(); ++b)
            counts[static_cast<int>(b < size ? expected[b] : TByteClass::BeyondEnd)] +=
                b < size || cover[b] > 0;
        map.ForEachRegion([&](const TByteRegion& region) {
            EXPECT_EQ(region.Start, tiled);
            tiled = region.End;
        });
        EXPECT_EQ(tiled, size);
        for (std::size_t b = 0; b < size; ++b) {
            const TByteRegion region = map.RegionAt(b);
            ASSERT_EQ(region.Class, expected[b]) << "round " << round << " byte " << b;
            if (region.Class != TByteClass::Unaccounted) {
                EXPECT_GE(map.DirectoryOffset(region.Directory), 100u);
            }
        }
        for (std::size_t c = 0; c < ByteClassCount; ++c)
            EXPECT_EQ(map.Count(static_cast<TByteClass>(c)), counts[c])
                << "round " << round << " class " << c;
        for (std::uint32_t pixels : {7u, 120u, 500u}) {
            const std::vector<TByteClass> shown = map.PixelClasses(pixels);
            for (std::uint32_t p = 0; p < pixels; ++p) {
                const std::size_t from = p * size / pixels;
                const std::size_t to = std::max((p + 1) * size / pixels, from + 1);
                TByteClass best = expected[from];
                for (std::size_t b = from; b < to; ++b)
                    if (TestRank(expected[b]) > TestRank(best))
                        best = expected[b];
                ASSERT_EQ(shown[p], best) << "round " << round << " pixel " << p << "/" << pixels;
                const auto click = static_cast<std::size_t>(map.PixelOffset(p, pixels));
                EXPECT_EQ(expected[click], best);
                EXPECT_TRUE(click >= from && click < to);
                for (std::size_t b = from; b < click; ++b)
                    EXPECT_NE(expected[b], best);
            }
        }
    }
}

TEST(ByteClassesTest, AdjacentClaimsOfADirectoryBecomeOneRegion)
{
    TByteClassifier classifier;
    classifier.Begin(100000);
    classifier.Claim(0, 8, 0, TSpanKind::Header);
    const std::string child = "page 1 > SubIFD 1";
    classifier.Directory(8, 1, &child);
    for (std::uint32_t k = 0; k < 1000; ++k)
        classifier.Claim(1000 + 50 * k, 50, k, TSpanKind::Strip);
    classifier.Directory(900, 2, nullptr);
    classifier.Claim(51000, 10, 282, TSpanKind::Value);
    classifier.Claim(51010, 10, 283, TSpanKind::Value);
    classifier.Claim(99990, 20, 7, TSpanKind::Tile);
    const TByteClassMap map = classifier.Finish();
    ASSERT_EQ(map.Regions().size(), 4u);
    EXPECT_EQ(map.OwnerText(map.Regions()[1]), "page 1 > SubIFD 1, strips 1 to 1000");
    EXPECT_EQ(map.OwnerText(map.Regions()[2]), "page 2, values of tags 282 to 283");
    EXPECT_EQ(map.OwnerText(map.RegionAt(0)), "the header");
    EXPECT_EQ(map.RegionAt(99995).Class, TByteClass::ImageData);
    EXPECT_EQ(map.Count(TByteClass::BeyondEnd), 10u);
    EXPECT_EQ(map.BeyondEnd().front().Start, 100000u);
    const TByteRegion gap = map.RegionAt(60000);
    EXPECT_EQ(gap.Class, TByteClass::Unaccounted);
    EXPECT_EQ(gap.Start, 51020u);
    EXPECT_EQ(gap.End, 99990u);
}

class ByteClassesFileTest : public TiffFileTest {};

// Through the check's walk: every kind of directory owns its bytes, the
// overlapping strips and the data beyond the end are told apart, and every
// finding names the offset of its directory.
TEST_F(ByteClassesFileTest, TheWalkClaimsEveryStructureWithItsOwner)
{
    TTiff tiff = BrokenExifFile(TOrder::Little);
    tiff.Ifds[1].Entries[9] = Long(324, {4100, 4356, 4612, 5300});  // the last tile runs out
    TFindingList findings;
    TByteClassMap map;
    std::ostringstream err;
    ASSERT_NE(ClassifyFileBytes(Write(tiff), findings, map, err), 2) << err.str();
    std::uint64_t sum = 0;
    for (std::size_t c = 0; c + 1 < ByteClassCount; ++c)
        sum += map.Count(static_cast<TByteClass>(c));
    EXPECT_EQ(sum, map.FileSize());
    EXPECT_EQ(map.Count(TByteClass::BeyondEnd), 5300u + 256 - map.FileSize());

    const TByteRegion exif = map.RegionAt(1610);
    EXPECT_EQ(exif.Class, TByteClass::Directory);
    EXPECT_EQ(map.OwnerText(exif), "page 1 > EXIF directory");
    EXPECT_EQ(map.DirectoryOffset(exif.Directory), 1600u);
    EXPECT_EQ(map.OwnerText(map.RegionAt(2401)), "page 1 > GPS directory");
    EXPECT_EQ(map.OwnerText(map.RegionAt(5200)), "page 1 > SubIFD 1, strip 1");
    const TByteRegion overlap = map.RegionAt(4020);
    EXPECT_EQ(overlap.Class, TByteClass::Overlap);
    EXPECT_EQ(overlap.Start, 4016u);
    EXPECT_EQ(overlap.End, 4032u);
    EXPECT_EQ(map.OwnerText(overlap), "page 1, strip 1 and page 1, strip 2");
    EXPECT_EQ(map.RegionAt(4045).Class, TByteClass::Overlap);
    EXPECT_EQ(map.RegionAt(4050).Class, TByteClass::TagValue);

    const auto directoryOf = [&](const std::string& text) {
        const TFinding* finding = findings.About(text);
        return finding ? finding->DirectoryOffset : ~0ull;
    };
    EXPECT_EQ(directoryOf("out of ascending order"), 3200u);
    EXPECT_EQ(directoryOf("offset 1600 has been read before"), 1600u);
    EXPECT_EQ(directoryOf("overlaps page 1 strip 1"), 8u);
    EXPECT_EQ(directoryOf("tile 4 (256 bytes) lies beyond"), 1000u);

    tiff = TTiff();
    tiff.Length = 64;
    ASSERT_NE(ClassifyFileBytes(Write(tiff), findings, map, err), 2);
    EXPECT_EQ(directoryOf("the file has no page"), 0u);
    tiff = PagesFile(2);  // the second page's link leads back to the first
    tiff.Ifds[1].Offset = 100;
    tiff.Ifds[1].Next = 8;
    ASSERT_NE(ClassifyFileBytes(Write(tiff), findings, map, err), 2);
    EXPECT_EQ(directoryOf("loops back"), 100u);
}
