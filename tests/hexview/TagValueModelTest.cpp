#include <gtest/gtest.h>

#include "hexview/KvTagValueModel.h"

// Without a decoder the hex dump stays alone: no switch, and asking for the
// decoded pane changes nothing. With one, one pane shows at a time and a new
// value starts on the hex dump; nothing to save disables Save.
TEST(TagValueModel, PanesFollowTheDecoderAndNewValuesStartOnHex)
{
    TKvTagValueModel model;
    model.SetValue({"ImageDescription", {'a'}, {'a'}, std::nullopt});
    model.ShowPane(TTagValuePane::Decoded);
    TTagValueControls c = model.Controls();
    EXPECT_TRUE(c.HexVisible && !c.DecodedVisible && !c.SwitchVisible && c.SaveEnabled);

    model.SetValue({"XMP", {1}, {1}, "x"});
    model.ShowPane(TTagValuePane::Decoded);
    c = model.Controls();
    EXPECT_TRUE(!c.HexVisible && c.DecodedVisible && c.SwitchVisible);
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
