#include <gtest/gtest.h>

#include "hexview/KvTagValueModel.h"

// A value without a decoder keeps the hex dump alone: no switch, and asking
// for the decoded pane changes nothing.
TEST(TagValueModel, WithoutDecoderOnlyTheHexDumpShows)
{
    TKvTagValueModel model;
    model.SetValue({"ImageDescription", {'a', 0}, {'a', 0}, std::nullopt});
    model.ShowPane(TTagValuePane::Decoded);
    const TTagValueControls c = model.Controls();
    EXPECT_EQ(model.Pane(), TTagValuePane::Hex);
    EXPECT_TRUE(c.HexVisible);
    EXPECT_FALSE(c.DecodedVisible);
    EXPECT_FALSE(c.SwitchVisible);
    EXPECT_TRUE(c.SaveEnabled);
    EXPECT_EQ(model.DecodedEditText(), "");
}

// The switch shows one pane at a time; a new value starts on the hex dump;
// nothing to save disables Save.
TEST(TagValueModel, SwitchShowsOnePaneAndNewValuesStartOnHex)
{
    TKvTagValueModel model;
    model.SetValue({"XMP", {1}, {1}, "x"});
    model.ShowPane(TTagValuePane::Decoded);
    TTagValueControls c = model.Controls();
    EXPECT_TRUE(c.SwitchVisible);
    EXPECT_TRUE(c.DecodedVisible);
    EXPECT_FALSE(c.HexVisible);
    model.ShowPane(TTagValuePane::Hex);
    EXPECT_TRUE(model.Controls().HexVisible);

    model.ShowPane(TTagValuePane::Decoded);
    model.SetValue({"XMP", {}, {}, ""});
    c = model.Controls();
    EXPECT_EQ(model.Pane(), TTagValuePane::Hex);
    EXPECT_TRUE(c.SwitchVisible) << "an empty decoded text is still a view";
    EXPECT_FALSE(c.SaveEnabled);
}

// Lines end in CR LF for the edit control, once, also where the text had
// them already; UTF-8 passes untouched.
TEST(TagValueModel, DecodedTextEndsLinesWithCrLfOnce)
{
    TKvTagValueModel model;
    model.SetValue({"XMP", {}, {}, "a\n  \xCE\xA9\r\nb\n\n"});
    EXPECT_EQ(model.DecodedEditText(), "a\r\n  \xCE\xA9\r\nb\r\n\r\n");
}
