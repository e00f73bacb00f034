#include <gtest/gtest.h>

#include "shelldlg/KvBrowseLayout.h"
#include "shelldlg/KvPlacesBarModel.h"

TEST(BrowseForFolderLayout, FromTheClientSize)
{
    TKvBrowseLayout l = BrowseForFolderLayout(300, 320, 87);
    EXPECT_EQ(l.FWiden, 96);
    EXPECT_EQ(l.FPlaces, (TKvRect{10, 10, 97, 261}));
    EXPECT_EQ(l.FTree, (TKvRect{106, 10, 387, 261}));
    EXPECT_EQ(l.FBottom, (TKvRect{0, 260, 396, 290}));
    EXPECT_EQ(l.FBevelWidth, 377);
    EXPECT_EQ(l.FOk, (TKvRect{216, 290, 297, 311}));
    EXPECT_EQ(l.FCancel, (TKvRect{306, 290, 387, 311}));
}

TEST(PlacesBar, HitTestAndMouse)
{
    TKvPlacesBarModel bar({{true, true, false, true, true}});
    EXPECT_EQ(bar.Width(), 87);
    EXPECT_EQ(bar.HitTest(0, 0), (TKvPlaceRef{0, 0}));
    EXPECT_EQ(bar.HitTest(82, 103), (TKvPlaceRef{0, 1}));
    EXPECT_FALSE(bar.HitTest(40, 110).Valid());  // empty place
    EXPECT_FALSE(bar.HitTest(83, 10).Valid());   // no second list
    EXPECT_FALSE(bar.HitTest(10, 260).Valid());  // row 5
    EXPECT_FALSE(bar.HitTest(-5, 10).Valid());   // captured, left of the bar
    EXPECT_FALSE(bar.HitTest(10, -1).Valid());

    TKvPlacesAction a = bar.MouseMove(10, 60);
    EXPECT_TRUE(a.FRepaint && a.FCapture);
    EXPECT_EQ(bar.State(0, 1), psHot);
    a = bar.MouseDown(10, 60);
    EXPECT_EQ(bar.State(0, 1), psPressed);
    EXPECT_TRUE(bar.Sunken(0, 1));
    bar.MouseMove(10, 10);  // off the pressed place: shown raised, nothing else hot
    EXPECT_EQ(bar.State(0, 1), 0);
    EXPECT_EQ(bar.State(0, 0), 0);
    bar.MouseMove(10, 60);
    a = bar.MouseUp(10, 60);
    EXPECT_EQ(a.FClicked, (TKvPlaceRef{0, 1}));
    EXPECT_EQ(bar.State(0, 1), psHot);

    bar.MouseDown(10, 60);
    a = bar.MouseUp(-10, 60);  // released outside: no click, capture let go
    EXPECT_FALSE(a.FClicked.Valid());
    EXPECT_FALSE(a.FCapture);
    EXPECT_EQ(bar.State(0, 1), 0);

    EXPECT_TRUE(bar.SetCurrent([](int, int place) { return place == 1 || place == 2; }));
    EXPECT_EQ(bar.State(0, 1), psCurrent);
    EXPECT_EQ(bar.State(0, 2), 0);  // empty places are never current
    EXPECT_TRUE(bar.Sunken(0, 1));
    EXPECT_FALSE(bar.SetCurrent([](int, int place) { return place == 1; }));
}
