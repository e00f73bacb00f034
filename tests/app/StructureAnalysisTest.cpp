// The Structure tab's analysis on its worker: the result of a damaged file,
// progress while it runs, and stopping it mid-walk, by a new start and by
// its owner's end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "TempFile.h"
#include "TiffWriter.h"
#include "app/KvStructureAnalysis.h"

using namespace tiffw;

namespace {

// A page whose strip runs 16 bytes past the end of the file.
std::string DamagedFile()
{
    TTiff tiff;
    TIfd page;
    page.Entries = {Long(256, {2}), Long(257, {2}), Short(262, {1}), Long(273, {184}),
                    Long(279, {32})};
    tiff.Ifds = {page};
    tiff.Length = 200;
    const std::vector<std::uint8_t> bytes = Bytes(tiff);
    return std::string(bytes.begin(), bytes.end());
}

std::string ManyPages(std::uint32_t pages)
{
    const std::uint32_t size = DirectorySize(1);
    std::vector<std::uint8_t> bytes = EncodeHeader(TOrder::Little, 8);
    for (std::uint32_t i = 0; i < pages; ++i)
        AppendDirectory(TOrder::Little, {Long(256, {1})}, i + 1 < pages ? 8 + (i + 1) * size : 0,
                        bytes);
    return std::string(bytes.begin(), bytes.end());
}

bool WaitUntilDone(const TKvStructureAnalysis& analysis)
{
    for (int wait = 0; wait < 12000 && !analysis.Progress().Done; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return analysis.Progress().Done;
}

}  // namespace

TEST(StructureAnalysisTest, DamagedAndUnreadableFilesGiveTheirResults)
{
    const TTempFile damaged(DamagedFile());
    std::atomic<int> notified{0};
    TKvStructureAnalysis analysis([&] { ++notified; });
    EXPECT_EQ(analysis.Result(), nullptr);
    analysis.SetPicturePixels(50);
    analysis.Start(damaged.Path());
    ASSERT_TRUE(WaitUntilDone(analysis));
    const auto result = analysis.Result();
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->Readable);
    EXPECT_EQ(result->Map.FileSize(), 200u);
    EXPECT_EQ(result->Map.Count(TByteClass::BeyondEnd), 16u);
    EXPECT_EQ(result->Map.RegionAt(190).Class, TByteClass::ImageData);
    EXPECT_EQ(result->Pixels, result->Map.PixelClasses(50));
    const auto outside =
        std::find_if(result->Findings.begin(), result->Findings.end(),
                     [](const TFinding& f) { return f.Rule == TRuleId::DataOutside; });
    ASSERT_NE(outside, result->Findings.end());
    EXPECT_EQ(outside->DirectoryOffset, 8u);
    EXPECT_GE(notified.load(), 2);  // the first page and the end
    EXPECT_DOUBLE_EQ(analysis.Progress().Fraction, 1.0);

    analysis.Start(MissingPath());
    ASSERT_TRUE(WaitUntilDone(analysis));
    EXPECT_FALSE(analysis.Result()->Readable);
    EXPECT_FALSE(analysis.Result()->Failure.empty());
}

// The worker is held in its first notice until the owner asks it to stop:
// it must then end without a result, and its progress be the pages walked
// against the page count while one is known.
TEST(StructureAnalysisTest, StopEndsTheWalkAtThePageItHasReached)
{
    const TTempFile pages(ManyPages(20000));
    std::atomic<bool> held{false};
    TKvStructureAnalysis* owner = nullptr;
    TKvStructureAnalysis analysis([&] {
        held = true;
        while (!owner->StopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    owner = &analysis;
    analysis.Start(pages.Path());
    while (!held)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    analysis.SetPageCount(4);
    EXPECT_DOUBLE_EQ(analysis.Progress().Fraction, 0.95 / 4);
    analysis.SetPageCount(0);
    const double byOffset = analysis.Progress().Fraction;
    EXPECT_GT(byOffset, 0.0);
    EXPECT_LT(byOffset, 0.01);
    analysis.Stop();
    EXPECT_FALSE(analysis.Progress().Done);
    EXPECT_EQ(analysis.Result(), nullptr);
}

TEST(StructureAnalysisTest, ANewStartOrTheOwnersEndStopsTheRunningWalk)
{
    const TTempFile large(ManyPages(5000));
    const TTempFile damaged(DamagedFile());
    TKvStructureAnalysis analysis;
    analysis.Start(large.Path());
    analysis.Start(damaged.Path());
    ASSERT_TRUE(WaitUntilDone(analysis));
    EXPECT_EQ(analysis.Result()->Map.FileSize(), 200u);
    {
        TKvStructureAnalysis leaving;
        leaving.Start(large.Path());
    }
    analysis.Start(large.Path());
    ASSERT_TRUE(WaitUntilDone(analysis));
    EXPECT_EQ(analysis.Result()->Map.Directories().size(), 5000u);
}
