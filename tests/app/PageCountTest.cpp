#include <gtest/gtest.h>
#include <algorithm>
#include <set>

#include "FakeTiff.h"

using namespace std::chrono_literals;

TEST(ProgressPacer, FiresOncePerPeriodAndCatchesUpAfterPause)
{
    TKvProgressPacer pacer;
    pacer.Restart(1000);
    EXPECT_FALSE(pacer.Due(1499));
    EXPECT_TRUE(pacer.Due(1500));
    EXPECT_FALSE(pacer.Due(1999));
    EXPECT_TRUE(pacer.Due(2010));
    // A long pause: one message, then the period starts from now.
    EXPECT_TRUE(pacer.Due(60000));
    EXPECT_FALSE(pacer.Due(60001));
    EXPECT_FALSE(pacer.Due(60499));
    EXPECT_TRUE(pacer.Due(60500));
    // Wrapping tick counts.
    pacer.Restart(0xFFFFFF00u);
    EXPECT_FALSE(pacer.Due(0x10));
    EXPECT_TRUE(pacer.Due(0x100));
}

TEST(PageCount, LongFileCountedWhilePagesChange)
{
    TViewerRig rig;
    rig.Files["long.tif"] = {.Pages = 100000, .KnownAtOpen = 1, .StepCost = 5us};
    rig.Frm->StartUp("long.tif");
    EXPECT_EQ(rig.LabPage.Text, "Page 1");
    EXPECT_FALSE(rig.Last.Enabled);
    EXPECT_EQ(rig.Pages.Text.back(), '.');
    std::set<std::string> seen;
    int next = 0;
    ASSERT_TRUE(rig.PumpUntil(
        [&] {
            seen.insert(rig.Pages.Text);
            if (rig.Next.Enabled && next < 50) {
                rig.Frm->ButNextClick();
                ++next;
            }
            return rig.Frm->FPageCountFinal;
        },
        std::chrono::seconds(90)))
        << "loose bound for loaded machines and sanitizers";
    EXPECT_EQ(rig.Pages.Text, "100000");
    EXPECT_EQ(rig.LabPage.Text, "Page " + std::to_string(rig.Frm->FPageIndex + 1) + " of 100000");
    EXPECT_TRUE(rig.Last.Enabled);
    EXPECT_GT(next, 0);
    rig.Frm->ButLastClick();
    EXPECT_EQ(rig.LabPage.Text, "Page 100000 of 100000");
    // Progress came paced, not one message per directory.
    EXPECT_LT(rig.Host.Queue->Posted, 100u);
    std::size_t growing = 0;
    for (const auto& t : seen)
        growing += t.size() > 4 && t.ends_with("...");
    EXPECT_GE(growing, 2u) << "intermediate counts were shown";
    EXPECT_TRUE(rig.Host.Errors.empty());
}

TEST(PageCount, SecondFileOpenedMidCountReusesThread)
{
    TViewerRig rig;
    rig.Files["a.tif"] = {.Pages = 1000000, .KnownAtOpen = 1, .StepCost = 20us};
    rig.Files["b.tif"] = {.Pages = 3000, .KnownAtOpen = 1};
    rig.Open("a.tif");
    rig.Frm->FEventsEnabled = true;
    TFakeTiff* codec = rig.Codec;
    ASSERT_TRUE(rig.PumpUntil([&] { return codec->Steps > 100; }));
    rig.Open("b.tif");
    EXPECT_EQ(rig.Codec, codec) << "the reader is reused";
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Frm->FPageCountFinal; }));
    EXPECT_EQ(rig.Pages.Text, "3000");
    EXPECT_EQ(rig.LabPage.Text, "Page 1 of 3000");
    EXPECT_TRUE(rig.Frm->SharedForTest()->FThreadRunning);
    EXPECT_TRUE(LockIsFree(rig.Frm->SharedForTest()));
}

// The count of the command line's file starts before the window exists; its
// progress until then reaches no window, and StartUp must pick it up where it
// stands: counted on, failed, or not opened at all.
TEST(PageCount, CountStartedBeforeTheWindowReachesIt)
{
    TViewerRig rig;
    rig.Files["long.tif"] = {.Pages = 100000, .KnownAtOpen = 1, .StepCost = 5us};
    rig.Frm->OpenBeforeWindow("long.tif");
    ASSERT_TRUE(
        WaitUntil([&] { return rig.Codec && rig.Codec->Steps > 100; }, std::chrono::seconds(20)));
    rig.Frm->StartUp("long.tif");
    EXPECT_GT(std::stoul(rig.Pages.Text), 100u) << "the file is not opened again";
    EXPECT_EQ(rig.Host.Repaints, 0);
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Frm->FPageCountFinal; }, std::chrono::seconds(90)));
    EXPECT_EQ(rig.Pages.Text, "100000");
    EXPECT_EQ(rig.LabPage.Text, "Page 1 of 100000");

    TViewerRig failed;
    failed.Files["s.tif"] = {.Pages = 500, .KnownAtOpen = 1, .ScanFailsAt = 40};
    failed.Frm->OpenBeforeWindow("s.tif");
    auto shared = failed.Frm->SharedForTest();
    ASSERT_TRUE(
        WaitUntil([&] { return !shared->FTrnTiffEvent.Wait(0); }, std::chrono::seconds(20)));
    failed.Frm->StartUp("s.tif");
    EXPECT_EQ(failed.Pages.Text, "40") << "shown as stopped, not as still counting";

    TViewerRig unread;
    unread.Files["not.tif"] = {.NotTiff = true};
    unread.Frm->OpenBeforeWindow("not.tif");
    unread.Frm->StartUp("not.tif");
    EXPECT_EQ(unread.Host.Errors.size(), 1u) << "the failure is shown once, by StartUp";
    EXPECT_EQ(unread.Pages.Text, "");
}

TEST(PageCount, WindowGetsTheLockWithinABatchWhileCounting)
{
    TViewerRig rig;
    rig.Files["a.tif"] = {.Pages = 1000000, .KnownAtOpen = 1, .StepCost = 20us};
    rig.Open("a.tif");
    auto shared = rig.Frm->SharedForTest();
    ASSERT_TRUE(WaitUntil([&] { return rig.Codec->Steps > 200; }, 20s));
    const std::uint64_t stepsBefore = rig.Codec->Steps;
    auto longest = std::chrono::steady_clock::duration::zero();
    for (int i = 0; i < 20; ++i) {
        const auto start = std::chrono::steady_clock::now();
        shared->FTiffLock.Enter();
        longest = std::max(longest, std::chrono::steady_clock::now() - start);
        shared->FTiffLock.Leave();
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_LT(longest, 250ms) << "loose: a batch is a millisecond, the rest is scheduling";
    EXPECT_GT(rig.Codec->Steps, stepsBefore) << "counting goes on between the window's turns";
    rig.Frm->FormClose();
}

TEST(PageCount, CloseDuringCountEndsThreadWithoutWaiting)
{
    std::shared_ptr<TTrnTiffShared> shared;
    {
        TViewerRig rig;
        rig.Files["a.tif"] = {.Pages = 1000000, .KnownAtOpen = 1, .StepCost = 20us};
        rig.Frm->StartUp("a.tif");
        ASSERT_TRUE(rig.PumpUntil([&] { return rig.Codec->Steps > 50; }));
        shared = rig.Frm->SharedForTest();
        rig.Frm->FormClose();
        rig.Frm->PageCountProgress();  // ignored after close
        EXPECT_EQ(shared->FTiffCodec, nullptr);
    }
    // The window and its widgets are gone; the thread must still end cleanly,
    // and only the test still holds the shared state once it has unwound.
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::lock_guard lock(shared->FTiffLock);
            return !shared->FThreadRunning;
        },
        5s));
    EXPECT_TRUE(WaitUntil([&] { return shared.use_count() == 1; }, 5s));
}

TEST(PageCount, FailedScanStepEndsCountWhereItStands)
{
    TViewerRig rig;
    rig.Files["s.tif"] = {.Pages = 500, .KnownAtOpen = 1, .ScanFailsAt = 40};
    rig.Frm->StartUp("s.tif");
    auto shared = rig.Frm->SharedForTest();
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Pages.Text == "40"; }));
    EXPECT_FALSE(shared->FTrnTiffEvent.Wait(0));
    EXPECT_TRUE(LockIsFree(shared));
    EXPECT_EQ(rig.LabPage.Text, "Page 1");
    // Pages already found stay reachable and are not shown as still counting.
    rig.Frm->GoToPage(10);
    EXPECT_EQ(rig.LabPage.Text, "Page 11");
    EXPECT_EQ(rig.Pages.Text, "40");
    EXPECT_TRUE(rig.Host.Errors.empty());
}
