#include <gtest/gtest.h>

#include <map>

#include "hexview/KvHexviewModel.h"

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

}  // namespace

TEST(HexviewModel, BytesPerRowAndScrollBarFollowTheSize)
{
    const std::pair<int, int> cases[] = {{496, 16}, {495, 15}, {80, 4}, {0, 4},
                                         {-50, 4},  {184, 4},  {210, 5}};
    for (auto [width, expected] : cases)
        EXPECT_EQ(ModelWith(10, width, 100).BytesPerRow(), expected) << width;
    THexScrollBar empty = ModelWith(0, 496, 150).ScrollBar();
    EXPECT_EQ(empty.Max, 1);
    EXPECT_EQ(empty.Page, 10);
    EXPECT_EQ(ModelWith(33, 496, 150).ScrollBar().Max, 2);
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
    ModelWith(0, 496, 150).Paint(0, 150, none);  // no data
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
        {THexScroll::LineUp, 0, 0},    {THexScroll::LineDown, 0, 4}, {THexScroll::PageDown, 0, 16},
        {THexScroll::PageUp, 0, 4},    {THexScroll::Thumb, 9, 36},   {THexScroll::Bottom, 0, 48},
        {THexScroll::LineDown, 0, 48}, {THexScroll::Top, 0, 0},      {THexScroll::Thumb, 500, 48},
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
