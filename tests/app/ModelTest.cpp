#include <gtest/gtest.h>

#include <map>

#include "app/StartUp.h"
#include "hexview/KvHexviewModel.h"
#include "window/PlaceNearRect.h"
#include "shelldlg/KvExplorerButtonModel.h"

namespace {

// Records what a paint draws, keyed by position.
struct TGridCanvas : IKvHexCanvas {
    std::map<std::pair<int, int>, char> Cells;
    std::int32_t CharWidth(unsigned char ch) override { return ch == 'W' ? 8 : 4; }
    void DrawChar(std::int32_t x, std::int32_t y, char ch) override { Cells[{x, y}] = ch; }
    std::string Row(int y, int from, int count, int step) const
    {
        std::string s;
        for (int i = 0; i < count; ++i) {
            auto it = Cells.find({from + i * step, y});
            s += it == Cells.end() ? ' ' : it->second;
        }
        return s;
    }
};

TKvHexviewModel ModelWith(std::uint32_t size, int width, int height)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    TKvHexviewModel m;
    m.SetData(bytes.data(), size);
    m.Resize(width, height);
    return m;
}

} // namespace

TEST(RoleOfArgument, OnlyExactSwitchesSelectARole)
{
    const std::pair<const char*, TOrvaneRole> cases[] = {
        {"/install", orInstall},   {"/manual", orManual},      {"/uninstall", orUninstall},
        {"/uninstallsec", orUninstallSec}, {"/update", orUpdate}, {"", orViewer},
        {"/MANUAL", orViewer},     {"-install", orViewer},     {"/install ", orViewer},
        {"/uninstal", orViewer},   {"C:\\a b\\c.tif", orViewer},
    };
    for (auto [arg, role] : cases)
        EXPECT_EQ(RoleOfArgument(arg), role) << arg;
}

TEST(HexviewModel, BytesPerRowFollowsWidth)
{
    const std::pair<int, int> cases[] = {{496, 16}, {495, 15}, {80, 4}, {0, 4}, {-50, 4}, {184, 4}, {210, 5}};
    for (auto [width, expected] : cases)
        EXPECT_EQ(ModelWith(10, width, 100).BytesPerRow(), expected) << width;
}

TEST(HexviewModel, PaintsFourByteValueAsOneRow)
{
    std::uint8_t bytes[] = {0x7F, 0x80, 0x1F, 0x81};
    TKvHexviewModel m;
    m.SetData(bytes, 4);
    m.Resize(496, 150);
    TGridCanvas c;
    m.Paint(0, 150, c);
    EXPECT_EQ(c.Row(0, 2, 8, 6), "00000000");
    EXPECT_EQ(c.Row(0, 68, 4, 18), "7818");
    EXPECT_EQ(c.Row(0, 74, 4, 18), "F0F1");
    // Character column at (3 * 16 + 13) * 6 + 2, centred in 8-pixel cells.
    EXPECT_EQ(m.CharColumnX(), 368);
    EXPECT_EQ(c.Row(0, 370, 4, 8), std::string("\x7F\x80..", 4));
    EXPECT_EQ(c.Cells.size(), 8u + 4 * 3);
}

TEST(HexviewModel, PaintSkipsRowsOutsideTheBand)
{
    TKvHexviewModel m = ModelWith(64, 184, 150);  // 4 per row, 16 rows
    TGridCanvas c;
    m.Paint(31, 44, c);  // only the row at y = 30
    EXPECT_EQ(c.Row(30, 2, 8, 6), "00000008");
    for (auto& [pos, ch] : c.Cells)
        EXPECT_EQ(pos.second, 30);
    TGridCanvas none;
    m.Paint(40, 40, none);
    EXPECT_TRUE(none.Cells.empty());
}

TEST(HexviewModel, ScrollingClampsAndShowsOneEmptyRowAtBottom)
{
    TKvHexviewModel m = ModelWith(64, 184, 75);  // 4 per row, 5 visible, 16 rows
    bool changed = false;
    struct Case {
        THexScroll Code;
        std::uint32_t Thumb;
        std::uint32_t Top;
    } cases[] = {
        {THexScroll::LineUp, 0, 0},    {THexScroll::LineDown, 0, 4},  {THexScroll::PageDown, 0, 16},
        {THexScroll::PageUp, 0, 4},    {THexScroll::Thumb, 9, 36},    {THexScroll::Bottom, 0, 48},
        {THexScroll::LineDown, 0, 48}, {THexScroll::Top, 0, 0},       {THexScroll::Thumb, 500, 48},
    };
    for (const auto& k : cases) {
        EXPECT_TRUE(m.Scroll(k.Code, k.Thumb, changed));
        EXPECT_EQ(m.TopOffset(), k.Top) << int(k.Code);
    }
    EXPECT_FALSE(m.Scroll(THexScroll::Other, 0, changed));
    // At the bottom the last data row (offset 60) is followed by one empty row.
    m.Scroll(THexScroll::Bottom, 0, changed);
    TGridCanvas c;
    m.Paint(0, 75, c);
    EXPECT_EQ(c.Row(45, 2, 8, 6), "0000003C");
    EXPECT_EQ(c.Row(60, 2, 8, 6), "        ");
}

TEST(HexviewModel, ResizeKeepsTopAtRowStartWithoutEmptySpaceAbove)
{
    TKvHexviewModel m = ModelWith(100, 184, 30);
    bool changed = false;
    m.Scroll(THexScroll::Thumb, 7, changed);
    EXPECT_EQ(m.TopOffset(), 28u);
    EXPECT_FALSE(m.Resize(184, 30));
    EXPECT_TRUE(m.Resize(210, 30));  // 5 per row
    EXPECT_EQ(m.TopOffset(), 25u);
    EXPECT_TRUE(m.Resize(210, 600));  // everything fits
    EXPECT_EQ(m.TopOffset(), 0u);
}

TEST(HexviewModel, ScrollBarRanges)
{
    THexScrollBar empty = ModelWith(0, 496, 150).ScrollBar();
    EXPECT_EQ(empty.Max, 1);
    EXPECT_EQ(empty.Page, 10);
    THexScrollBar full = ModelWith(33, 496, 150).ScrollBar();
    EXPECT_EQ(full.Max, 2);
    TKvHexviewModel m = ModelWith(0, 496, 150);
    TGridCanvas c;
    m.Paint(0, 150, c);
    EXPECT_TRUE(c.Cells.empty());
}

TEST(PlaceNearRect, Placements)
{
    const TKvRect wa{0, 0, 1000, 800};
    struct Case {
        const char* Name;
        TKvRect Anchor;
        int W, H;
        TKvPoint Expected;
    } cases[] = {
        {"below, centred", {400, 100, 500, 121}, 300, 200, {300, 126}},
        {"above when no room below", {400, 700, 500, 721}, 300, 200, {300, 495}},
        {"below, shifted left at right edge", {250, 100, 1000, 121}, 800, 200, {200, 126}},
        {"unshifted left side beats shifted below", {900, 100, 990, 121}, 300, 200, {595, 11}},
        {"right beats shifted below", {0, 300, 10, 400}, 300, 200, {15, 250}},
        {"too large goes to origin", {10, 10, 20, 20}, 1200, 100, {0, 0}},
        {"no side fits: centred", {0, 0, 1000, 800}, 100, 100, {450, 350}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceNearRect(c.Anchor, c.W, c.H, wa), c.Expected) << c.Name;
}

TEST(ExplorerButton, ClickOnlyWhenReleasedInside)
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
}

TEST(ExplorerButton, DisabledIgnoresPointerAndReenablesHot)
{
    TKvExplorerButtonModel b;
    b.Move(true);
    EXPECT_TRUE(b.SetEnabled(false, true).Release);
    EXPECT_FALSE(b.LeftDown(true).Repaint);
    EXPECT_FALSE(b.LeftUp(true).Click);
    TButtonReaction r = b.SetEnabled(true, true);
    EXPECT_TRUE(r.Capture);
    EXPECT_EQ(b.State(), TButtonState::Hot);
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
    // Round trip of the colour conversion.
    for (TKvRgb c : {TKvRgb{0, 0, 0}, TKvRgb{255, 255, 255}, TKvRgb{12, 200, 77}})
        EXPECT_EQ(LabToRgb(RgbToLab(c)), c);
}
