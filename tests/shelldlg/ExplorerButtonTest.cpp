#include <gtest/gtest.h>

#include "shelldlg/KvColor.h"
#include "shelldlg/KvExplorerButtonModel.h"

TEST(ExplorerButton, ClickOnlyWhenReleasedInsideAndNeverWhenDisabled)
{
    TKvExplorerButtonModel b;
    EXPECT_TRUE(b.Move(true).Capture);
    EXPECT_TRUE(b.LeftDown(true).Repaint);
    EXPECT_EQ(b.State(), TButtonState::Pressed);
    b.Move(false);
    EXPECT_EQ(b.State(), TButtonState::PressedOutside);
    TButtonReaction up = b.LeftUp(false);
    EXPECT_FALSE(up.Click);
    EXPECT_TRUE(up.Release);
    EXPECT_EQ(b.State(), TButtonState::Normal);

    b.LeftDown(true);
    EXPECT_TRUE(b.State() == TButtonState::Pressed);
    b.Move(false);
    b.Move(true);
    up = b.LeftUp(true);
    EXPECT_TRUE(up.Click);
    EXPECT_FALSE(up.Release);
    EXPECT_EQ(b.State(), TButtonState::Hot);

    // The click opened a box that took the mouse: hot no longer, and a press
    // cut off that way never clicks.
    EXPECT_TRUE(b.CaptureLost().Repaint);
    EXPECT_EQ(b.State(), TButtonState::Normal);
    b.LeftDown(true);
    b.CaptureLost();
    EXPECT_FALSE(b.LeftUp(true).Click);

    TKvExplorerButtonModel off;  // disabled: the pointer is ignored, re-enabled it is hot
    off.Move(true);
    EXPECT_TRUE(off.SetEnabled(false, true).Release);
    EXPECT_FALSE(off.LeftDown(true).Repaint);
    EXPECT_FALSE(off.LeftUp(true).Click);
    EXPECT_TRUE(off.SetEnabled(true, true).Capture);
    EXPECT_EQ(off.State(), TButtonState::Hot);
}

TEST(ExplorerButton, StripImages)
{
    const TKvRgb face{192, 192, 192};
    TKvImage glyph(21, 21);
    glyph.At(10, 10) = {0, 0, 0};
    TKvImage strip = RenderButtonStrip(glyph, 21, 21, face);
    ASSERT_EQ(strip.Width, 63);
    EXPECT_EQ(strip.At(0, 0), face);
    EXPECT_EQ(strip.At(10, 10), (TKvRgb{0, 0, 0}));
    TKvRgb disabled = strip.At(21 + 10, 10);
    EXPECT_EQ(strip.At(21, 0), face);
    EXPECT_EQ(disabled.R, disabled.G);
    EXPECT_GT(disabled.R, 80);
    EXPECT_LT(disabled.R, 150);
    TKvRgb downBack = strip.At(42, 0);
    EXPECT_GT(downBack.R, face.R);
    EXPECT_EQ(strip.At(42 + 10, 10), (TKvRgb{0, 0, 0}));
    // The shades are mixed in Lab, which must give back what it was given.
    for (TKvRgb c : {TKvRgb{0, 0, 0}, TKvRgb{255, 255, 255}, TKvRgb{12, 200, 77}})
        EXPECT_EQ(LabToRgb(RgbToLab(c)), c);
}
