// Walking the page chain by ScanStep, SelectPage and ReadPage, and chains
// that end early, break or loop.
#include <algorithm>

#include "TiffTestFiles.h"

using namespace tiffw;

namespace {

std::string BrokenAt(std::uint64_t offset, const std::string& name = "t.tif")
{
    return "Reading from file '" + name +
           "': The page chain loops back to the directory at offset " + std::to_string(offset) +
           "; Page list is broken";
}

std::string PrematureBroken(const std::string& name = "t.tif")
{
    return "Reading from file '" + name + "': Premature end of data; Page list is broken";
}

}  // namespace

using ChainTest = TiffFileTest;

TEST_F(ChainTest, PagesAreCountedLoadedInAnyOrderAndWalkedWithoutInflatingTheCount)
{
    TTiff tiff = PagesFile(5);
    // Directories in the file in reverse order of the chain.
    for (std::uint32_t i = 0; i < 5; ++i)
        tiff.Ifds[i].Offset = 1000 - 100 * i;
    OpenTiff(tiff);
    EXPECT_EQ(CountPages(), 5u);
    for (std::uint32_t n : {4u, 0u, 2u, 3u, 1u}) {
        LoadPage(n);
        EXPECT_EQ(Reader.IfdOffset(), 1000 - 100 * n);
        EXPECT_EQ(Reader.ValueText(0, 25), std::to_string(n) + ", 0");
        EXPECT_EQ(Reader.CursorPageIndex(), n + 1);
    }

    // SelectPage walks pages not yet known without inflating the count.
    OpenTiff(PagesFile(3), "three.tif");
    LoadPage(2);
    EXPECT_EQ(PageCountNow(), std::make_pair(true, 3u));
    EXPECT_EQ(Read(), "End of TIFF, no more pages");  // reading on past the last page
    // Selecting the page after the last one leaves the cursor at the end.
    EXPECT_EQ(Select(3), "");
    EXPECT_EQ(Read(), "End of TIFF, no more pages");
    EXPECT_EQ(PageCountNow(), std::make_pair(true, 3u));
    EXPECT_EQ(CountPages(), 3u);
}

TEST_F(ChainTest, FirstOffsetZeroHasNoPagesAndAllOnesABrokenOne)
{
    TTiff tiff = PagesFile(1);
    tiff.FirstOffset = 0;
    OpenTiff(tiff);
    EXPECT_EQ(Select(0), "");
    EXPECT_EQ(Reader.CursorPageIndex(), 0u);
    EXPECT_EQ(Reader.CursorIfdOffset(), 0u);
    EXPECT_EQ(Read(), "End of TIFF, no more pages");
    EXPECT_EQ(CountPages(), 0u);

    // All ones is no end mark but a directory past the end.
    tiff.FirstOffset = 0xFFFFFFFF;
    OpenTiff(tiff, "first.tif");
    EXPECT_EQ(Select(0), "");
    EXPECT_EQ(Read(), PrematureBroken("first.tif"));
}

// A next offset past the end, also one that would wrap in 32 bits.
TEST_F(ChainTest, DirectoryBeyondTheEndBreaksTheChainAtThatPage)
{
    for (std::uint64_t next : {100000ull, 0xFFFFFFFFull}) {
        TTiff tiff = PagesFile(2);
        tiff.Ifds[1].Next = next;
        const std::string name = std::to_string(next) + ".tif";
        const std::string path = Write(tiff, name);
        OpenPath(path);
        EXPECT_EQ(CountPages(), 3u);
        EXPECT_EQ(Reader.PageSlot(2), TKvCodecTrnTiff::BrokenMark);
        EXPECT_EQ(Select(2), "");
        EXPECT_EQ(Read(), PrematureBroken(name));
        LoadPage(1);  // earlier pages stay readable
        EXPECT_EQ(Read(), PrematureBroken(name));
        // Selecting beyond it, on a fresh page list, reports it too.
        OpenPath(path);
        EXPECT_EQ(Select(3), PrematureBroken(name));
        EXPECT_EQ(PageCountNow(), std::make_pair(true, 3u));
    }
}

// ScanStep, ReadPage page after page and SelectPage far ahead each find the
// loop on their own: back to the same page, the first, a middle one, after
// a long run, and in a BigTIFF (big-endian).
TEST_F(ChainTest, LoopEndsTheChainAsBroken)
{
    const struct {
        std::uint32_t Pages, LoopFrom, LoopTo;
        bool Big = false;
    } cases[] = {{1, 0, 0}, {4, 3, 0}, {6, 5, 2}, {3, 2, 2}, {3000, 2999, 1000}, {3, 2, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Pages);
        TTiff tiff = PagesFile(c.Pages, c.Big ? TOrder::Big : TOrder::Little);
        tiff.Big = c.Big;
        const std::uint64_t target = Lay(tiff).IfdOffsets[c.LoopTo];
        tiff.Ifds[c.LoopFrom].Next = target;
        // A file of its own: the reader keeps the one before open.
        const std::string name = std::to_string(c.Pages) + "-" + std::to_string(c.LoopTo) + ".tif";
        const std::string path = Write(tiff, name), loopText = BrokenAt(target, name);
        OpenPath(path);
        const std::uint32_t expectedCount = c.LoopFrom + 2;
        EXPECT_EQ(CountPages(), expectedCount);
        EXPECT_EQ(Reader.PageSlot(expectedCount - 1), TKvCodecTrnTiff::BrokenMark);
        for (std::uint32_t n = 0; n <= c.LoopFrom; ++n)
            LoadPage(n);
        EXPECT_EQ(Read(), loopText);

        OpenPath(path);  // a fresh page list
        EXPECT_EQ(Select(0), "");
        std::uint32_t loaded = 0;
        while (loaded < 10000 && Read().empty())
            ++loaded;
        EXPECT_EQ(loaded, c.LoopFrom + 1);
        EXPECT_EQ(Text, loopText);
        EXPECT_EQ(PageCountNow(), std::make_pair(true, expectedCount));

        OpenPath(path);
        EXPECT_EQ(Select(100000), loopText);
        EXPECT_EQ(CountPages(), expectedCount);
    }
}

// Directories alternately near the start and near the end of the file, so
// that offsets fall inside the range already seen and the offset set is
// built and grown; the loop back to a middle page is still found, and the
// page slots past the first block of 1024 keep their offsets.
TEST_F(ChainTest, ZigZagChainWithLoopIsCountedExactly)
{
    const std::uint32_t pages = 5000;
    TTiff tiff = PagesFile(pages, TOrder::Big);
    for (std::uint32_t i = 0; i < pages; ++i)
        tiff.Ifds[i].Offset = i % 2 == 0 ? 8 + 9 * i : 200000 - 9 * i;
    const std::uint64_t target = *tiff.Ifds[1501].Offset;
    tiff.Ifds[pages - 1].Next = target;
    OpenTiff(tiff);
    EXPECT_EQ(CountPages(), pages + 1);
    for (std::uint32_t n : {0u, 1023u, 1024u, pages - 1})
        EXPECT_EQ(Reader.PageSlot(n), *tiff.Ifds[n].Offset) << n;
    EXPECT_EQ(Reader.PageSlot(pages), TKvCodecTrnTiff::BrokenMark);
    EXPECT_EQ(Reader.GetBrokenText(), BrokenAt(target));
    LoadPage(pages - 1);
    EXPECT_EQ(Reader.ValueText(0, 25), std::to_string(pages - 1) + ", 0");
}

// Counting in batches adds at most a batch of pages a call and finds the
// chain the file holds: directories of varied size that straddle the edges
// of the reader's window, in both kinds and byte orders, with a chain that
// ends, runs off the file, loops back after a long rising run, or runs
// backwards first so that the set of known offsets takes over.
TEST_F(ChainTest, BatchedCountFindsTheWholeChain)
{
    enum TShape { Ends, RunsOffTheFile, LoopsBack, RunsBackwards };
    const std::uint32_t pages = 6000;
    for (const bool big : {false, true})
        for (const TShape shape : {Ends, RunsOffTheFile, LoopsBack, RunsBackwards}) {
            SCOPED_TRACE(std::to_string(big) + std::to_string(shape));
            TTiff tiff;
            tiff.Big = big;
            tiff.Order = big ? TOrder::Big : TOrder::Little;
            for (std::uint32_t i = 0; i < pages; ++i) {
                std::vector<TEntry> entries;
                for (std::uint16_t j = 0; j <= i % 7; ++j)
                    entries.push_back(Short(static_cast<std::uint16_t>(300 + j), {j}));
                tiff.Ifds.push_back(Page(entries));
                // 400 bytes hold the largest directory.
                if (shape == RunsBackwards)
                    tiff.Ifds[i].Offset = i < 300 ? 8 + 400 * (300 - i) : 200000 + 400 * i;
            }
            if (shape == RunsOffTheFile)
                tiff.Ifds[4000].Next = 50000000;
            const std::vector<std::uint64_t> offsets = Lay(tiff).IfdOffsets;
            if (shape == LoopsBack)
                tiff.Ifds[pages - 1].Next = offsets[1234];
            const std::uint32_t known = shape == RunsOffTheFile ? 4001 : pages;
            const std::uint32_t count = known + (shape == RunsOffTheFile || shape == LoopsBack);
            const std::string path =
                Write(tiff, "batch-" + std::to_string(big) + std::to_string(shape) + ".tif");
            for (const std::uint32_t batch : {1u, 7u, 1000u, 1u << 20}) {
                OpenPath(path);
                bool final = false;
                for (int calls = 0; !final && calls < 10000; ++calls) {
                    // The header brings the first page.
                    const std::uint32_t before = std::max(PageCountNow().second, 1u);
                    Code = ErrOk;
                    Reader.ScanSteps(batch, final, Code, Text);
                    ASSERT_EQ(Code, ErrOk) << Text;
                    ASSERT_LE(PageCountNow().second - before, batch);
                }
                ASSERT_EQ(PageCountNow(), std::make_pair(true, count)) << batch;
                for (std::uint32_t i = 0; i < known; ++i)
                    ASSERT_EQ(Reader.PageSlot(i), offsets[i]) << batch << " page " << i;
                if (count > known) {
                    EXPECT_EQ(Reader.PageSlot(known), TKvCodecTrnTiff::BrokenMark);
                }
            }
        }
}
