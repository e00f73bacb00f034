#include <gtest/gtest.h>

#include "FakeTiff.h"
#include "app/StartUp.h"

using namespace std::chrono_literals;
using Nav = std::vector<bool>;

TEST(Viewer, StartUpWithoutAFileShowsEmptyWindowOrRunsTheRole)
{
    TViewerRig rig;
    rig.Frm->StartUp("");
    EXPECT_EQ(rig.Host.Caption, "Kestrova  Orvane  2.00");
    EXPECT_EQ(rig.NavState(), Nav({false, false, false, false}));
    EXPECT_EQ(rig.Host.Repaints, 1);
    EXPECT_TRUE(rig.Host.Errors.empty());
    EXPECT_TRUE(rig.Frm->FEventsEnabled);
    EXPECT_EQ(rig.Codec, nullptr);

    TViewerRig role;  // a switch runs its role and closes without the viewer's set-up
    role.Frm->StartUp("/uninstallsec");
    EXPECT_EQ(role.Host.Role, orUninstallSec);
    EXPECT_EQ(role.Host.Closes, 1);
    EXPECT_EQ(role.Host.Caption, "");
    EXPECT_FALSE(role.Frm->FEventsEnabled);
}

TEST(Viewer, StartUpWithOnePageFile)
{
    TViewerRig rig;
    rig.Files["C:\\x\\one.tif"] = {};
    rig.Frm->StartUp("C:\\x\\one.tif");
    EXPECT_EQ(rig.Host.Title, "Orvane - one.tif");
    EXPECT_EQ(rig.Host.Caption, "Kestrova  Orvane  2.00  -  D:C:\\x\\one.tif");
    EXPECT_EQ(rig.EdiFilename.Text, "D:C:\\x\\one.tif");
    ASSERT_EQ(rig.List.Rows.size(), 2u);
    EXPECT_EQ(rig.List.Rows[1], (TKvTagRow{"ImageLength", "Short", "1", "1/25"}));
    EXPECT_EQ(rig.LabPage.Text, "Page 1 of 1");
    EXPECT_EQ(rig.NavState(), Nav({false, false, false, false}));
    EXPECT_EQ(rig.Pages.Text, "1");
    EXPECT_EQ(rig.Size.Text, "1001 b");
    EXPECT_EQ(rig.Order.Text, "Intel");
    EXPECT_EQ(rig.Offset.Text, "8");
    EXPECT_EQ(rig.Raster.Text, "1.00 Kb");
    EXPECT_TRUE(rig.Copy.Enabled);
    EXPECT_FALSE(rig.View.Enabled);
    EXPECT_FALSE(rig.Frm->SharedForTest()->FThreadRunning);
}

// An internal failure at start-up leaves the lock free; a non-TIFF file
// opened after a good one reports the reader's text; both empty the window.
TEST(Viewer, FailedOpensEmptyTheWindowAndReportWhy)
{
    TViewerRig rig;
    rig.Files["f.tif"] = {.InternalOnRead = true};
    rig.Files["good.tif"] = {.Pages = 3, .KnownAtOpen = 3};
    rig.Files["bad.txt"] = {.NotTiff = true};
    rig.Frm->StartUp("f.tif");
    EXPECT_EQ(rig.Host.Errors, std::vector<std::string>{"Unexpected error: KvCodecTiff 1234.5"});
    EXPECT_TRUE(rig.List.Rows.empty());
    EXPECT_TRUE(LockIsFree(rig.Frm->SharedForTest()));

    rig.Open("good.tif");
    rig.Host.Chosen = "bad.txt";
    rig.Frm->ButBrowseClick();
    ASSERT_EQ(rig.Host.Errors.size(), 2u);
    EXPECT_EQ(rig.Host.Errors[1], "Reading from file 'D:bad.txt': Not a TIFF file");
    EXPECT_TRUE(rig.List.Rows.empty());
    EXPECT_EQ(rig.NavState(), Nav({false, false, false, false}));
    EXPECT_FALSE(rig.View.Enabled || rig.Copy.Enabled);
    for (auto* t : {&rig.LabPage, &rig.Size, &rig.Order, &rig.Pages, &rig.Offset, &rig.Raster})
        EXPECT_EQ(t->Text, "");
    EXPECT_EQ(rig.Frm->FPageCount, 3);
}

TEST(Viewer, NavigationThroughFinalCount)
{
    TViewerRig rig;
    rig.Files["five.tif"] = {.Pages = 5, .KnownAtOpen = 5};
    rig.Open("five.tif");
    struct Step {
        void (TFrmOrvane::*Click)();
        std::string Label;
        Nav Buttons;
    } steps[] = {
        {&TFrmOrvane::ButNextClick, "Page 2 of 5", {true, true, true, true}},
        {&TFrmOrvane::ButLastClick, "Page 5 of 5", {true, true, false, false}},
        {&TFrmOrvane::ButPreviousClick, "Page 4 of 5", {true, true, true, true}},
        {&TFrmOrvane::ButFirstClick, "Page 1 of 5", {false, false, true, true}},
    };
    for (const auto& s : steps) {
        (rig.Frm.get()->*s.Click)();
        EXPECT_EQ(rig.LabPage.Text, s.Label);
        EXPECT_EQ(rig.NavState(), s.Buttons) << s.Label;
    }
    rig.Frm->GoToPage(1000);
    EXPECT_EQ(rig.LabPage.Text, "Page 5 of 5");
    EXPECT_EQ(rig.Offset.Text, "408");
    rig.Frm->GoToPage(-5);
    EXPECT_EQ(rig.LabPage.Text, "Page 1 of 5");
    EXPECT_TRUE(rig.Host.Errors.empty());
}

TEST(Viewer, SelectionEnablesViewOfTheLoadedPageUntilThePageChangesOrTheValueFails)
{
    TViewerRig rig;
    rig.Files["two.tif"] = {.Pages = 2, .KnownAtOpen = 2};
    rig.Open("two.tif");
    rig.List.Selected = 1;
    rig.Frm->LivTagsSelectItem();
    EXPECT_FALSE(rig.View.Enabled) << "events are off until start-up finished";
    rig.Frm->FEventsEnabled = true;
    rig.Frm->LivTagsSelectItem();
    EXPECT_TRUE(rig.View.Enabled);
    rig.Frm->ButNextClick();
    EXPECT_FALSE(rig.View.Enabled);
    EXPECT_EQ(rig.List.Selected, -1);

    rig.List.Selected = 1;
    rig.Frm->ButViewTagValueClick();
    EXPECT_EQ(rig.Host.HexShown, 1);
    EXPECT_EQ(rig.Host.HexCaption, "ImageLength");
    EXPECT_EQ(rig.Host.HexBytes, (std::vector<std::uint8_t>{1, 1}));
    EXPECT_EQ(rig.Host.HexValue.FileBytes, rig.Host.HexBytes);
    EXPECT_EQ(rig.Host.HexValue.Decoded, "decoded of 2 pages");
    rig.List.Selected = 0;
    rig.Frm->ButViewTagValueClick();
    EXPECT_FALSE(rig.Host.HexValue.Decoded) << "a tag without a decoder";
    rig.Frm->ButCopyTagsAsTextClick();
    EXPECT_EQ(rig.Host.Clipboard, "dump of page 1\r\n");

    rig.Files["v.tif"] = {.ValueUnreadable = true};  // an error box instead of the hex window
    rig.Open("v.tif");
    rig.List.Selected = 0;
    rig.Frm->ButViewTagValueClick();
    EXPECT_EQ(rig.Host.HexShown, 2);
    EXPECT_EQ(rig.Host.Errors, std::vector<std::string>{"Premature end of data"});
}

// A cut directory's entries end with a row that says so; it has no value to view.
TEST(Viewer, CutDirectoryEndsTheListWithTheMarkRow)
{
    TViewerRig rig;
    rig.Files["cut.tif"] = {.Cut = true};
    rig.Open("cut.tif");
    ASSERT_EQ(rig.List.Rows.size(), 3u);
    EXPECT_EQ(rig.List.Rows[2], (TKvTagRow{"Premature end of data", "", "", ""}));
    rig.Frm->FEventsEnabled = true;
    rig.List.Selected = 2;
    rig.Frm->LivTagsSelectItem();
    rig.Frm->ButViewTagValueClick();
    EXPECT_FALSE(rig.View.Enabled);
    EXPECT_EQ(rig.Host.HexShown, 0);
}

TEST(Viewer, BrokenPageKeepsNavigationAndStopsShowingCountAsRunning)
{
    TViewerRig rig;
    rig.Files["b.tif"] = {.Pages = 4, .KnownAtOpen = 4, .BrokenPage = 2};
    rig.Open("b.tif");
    rig.Frm->GoToPage(2);
    EXPECT_EQ(rig.Host.Errors, std::vector<std::string>{"Page list is broken"});
    EXPECT_TRUE(rig.List.Rows.empty());
    EXPECT_EQ(rig.LabPage.Text, "Page 3 of 4");
    EXPECT_TRUE(rig.Prev.Enabled);
    EXPECT_FALSE(rig.Copy.Enabled);
    EXPECT_EQ(rig.Offset.Text, "");
    rig.Frm->ButPreviousClick();
    EXPECT_EQ(rig.List.Rows.size(), 2u);
    EXPECT_EQ(rig.LabPage.Text, "Page 2 of 4");
}

TEST(Viewer, BrowseOpensChosenFileAndCancelDoesNothing)
{
    TViewerRig rig;
    rig.Host.ResolveDisplay = false;  // the path as given stands in
    rig.Files["a/b.tif"] = {};
    rig.Frm->ButBrowseClick();
    EXPECT_EQ(rig.Codec, nullptr);
    rig.Host.Chosen = "a/b.tif";
    rig.Frm->ButBrowseClick();
    EXPECT_EQ(rig.LabPage.Text, "Page 1 of 1");
    EXPECT_EQ(rig.EdiFilename.Text, "a/b.tif");
    EXPECT_EQ(rig.Host.Title, "Orvane - b.tif");
    EXPECT_TRUE(rig.Frm->FEventsEnabled);
}

TEST(Viewer, ProgressForAFileNoLongerOpenIsDropped)
{
    TViewerRig rig;
    rig.Files["long.tif"] = {
        .Pages = 1000000, .KnownAtOpen = 2, .StepCost = std::chrono::microseconds(50)};
    rig.Files["bad.txt"] = {.NotTiff = true};
    rig.Frm->StartUp("long.tif");
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Codec->Steps > 0; }));
    rig.Host.Chosen = "bad.txt";
    rig.Frm->ButBrowseClick();
    rig.Frm->PageCountProgress();
    EXPECT_EQ(rig.Pages.Text, "");
    EXPECT_EQ(rig.LabPage.Text, "");
    EXPECT_FALSE(rig.Last.Enabled);
    rig.Frm->FormClose();
}

TEST(Viewer, EventsComeBackAndAFileStaysOpenWhenServicesFail)
{
    TViewerRig rig;
    rig.Files["long.tif"] = {.Pages = 50, .KnownAtOpen = 3};
    rig.Host.PosterThrows = true;
    rig.Frm->StartUp("long.tif");
    EXPECT_TRUE(rig.Host.Errors.empty()) << "a worker that cannot start is not reported";
    EXPECT_EQ(rig.List.Rows.size(), 2u);
    EXPECT_EQ(rig.Pages.Text, "3") << "the count is not shown as running";
    EXPECT_TRUE(rig.Copy.Enabled);

    rig.Host.DisplayThrows = true;
    rig.Host.Chosen = "long.tif";
    EXPECT_THROW(rig.Frm->ButBrowseClick(), std::bad_alloc);
    EXPECT_TRUE(rig.Frm->FEventsEnabled);
}
