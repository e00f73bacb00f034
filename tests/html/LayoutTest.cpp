// Layout: line breaking, collapsed margins, br lines, tables.
#include <gtest/gtest.h>

#include "HtmlTestSupport.h"

namespace {

// The lines of a dump that belong to elements with the tag, trimmed.
std::string Lines(const std::string& dump, const std::string& tag)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < dump.size()) {
        std::size_t end = dump.find('\n', pos);
        std::string line = dump.substr(pos, end - pos);
        std::size_t start = line.find_first_not_of(' ');
        if (line.compare(start, tag.size() + 1, tag + " ") == 0)
            out += line.substr(start) + "\n";
        pos = end + 1;
    }
    return out;
}

// A 20-pixel body without margins: every character is 10 pixels wide.
std::string Body20(const std::string& inner)
{
    return "<body style=\"margin: 0 0 0; font-size: 20\">" + inner + "</body>";
}

}  // namespace

TEST(HtmlLayout, SingleWordInTheBodyAndMarginsCollapseBetweenSiblings)
{
    EXPECT_EQ(Layout("<body>Hello</body>", 300), "min 56 max 56 height 32\n"
                                                 "root 0 0 300 24\n"
                                                 "  html 0 0 300 24\n"
                                                 "    body 0 8 300 16\n"
                                                 "      text\n"
                                                 "        word \"Hello\" x 8 top 8 base 21 w 40\n");

    std::string dump = Layout("<p>a</p><p>b</p><div></div>", 200);
    EXPECT_EQ(Lines(dump, "p"), "p 8 24 184 16\np 8 56 184 16\n");
    EXPECT_EQ(Lines(dump, "div"), "div 8 88 184 0\n");
    EXPECT_EQ(dump.substr(0, 23), "min 24 max 24 height 96");
}

TEST(HtmlLayout, LineBreaksBeforeTheWordThatDoesNotFit)
{
    const std::string dump = Layout("<p>aa bb</p>", 55);
    EXPECT_EQ(dump.substr(0, 24), "min 32 max 56 height 72\n");
    EXPECT_EQ(Lines(dump, "word"), "word \"aa\" x 8 top 24 base 37 w 16\n"
                                   "word \"bb\" x 8 top 40 base 53 w 16\n");
}

// Pieces of the layout dump: where words, lines and cells end up.
TEST(HtmlLayout, WordsLinesAndAlignment)
{
    const std::string table = "<table><col width=\"100\"><tr><td align=\"";
    const struct {
        std::string Html;
        std::int32_t Width;
        const char* Piece;
    } cases[] = {
        // A space that no longer fits ends the line and is not drawn.
        {Body20("aaa b"), 30, "space \" \" x 0 top 0 base 0 w 10 suppressed"},
        // "ab" + bold "cd" is one piece: the minimum is its whole width.
        {Body20("ab<b>cd</b> e"), 100, "min 42 max 62 height 20\n"},
        {Body20("a<br>b<div>c</div><br><br>d"), 100, "word \"b\" x 0 top 20"},
        {Body20("a<br>b<div>c</div><br><br>d"), 100, "word \"c\" x 0 top 40"},
        // Two br after a block: two empty lines of the br's font height.
        {Body20("a<br>b<div>c</div><br><br>d"), 100, "word \"d\" x 0 top 100"},
        {Body20(table + "center\">ab</td></tr></table>"), 100, "x 40 "},
        {Body20(table + "right\">ab</td></tr></table>"), 100, "x 80 "},
    };
    for (const auto& c : cases)
        EXPECT_NE(Layout(c.Html, c.Width).find(c.Piece), std::string::npos) << c.Piece;
    for (const std::string& refused : std::vector<std::string>{
             table + "justify\">ab</td></tr></table>",
             "<table><tr><td valign=\"bottom\">b</td></tr></table>",
             "<table><tr><td valign=\"middle\"><table></table></td></tr></table>"})
        EXPECT_EQ(Layout(Body20(refused), 100), "error: KvHtml N.N") << refused;
}

// Column widths of tables at a given width: the head of the dump (minimum,
// maximum) and the boxes of the cells.
TEST(HtmlLayout, TableColumnWidths)
{
    const std::string share = Body20("<table><tr><td>a a</td><td>a a a</td></tr></table>");
    // One-pixel characters: "n" a's, a blank, "n" a's.
    auto cell = [](std::size_t n) {
        return "<td>" + std::string(n, 'a') + " " + std::string(n, 'a') + "</td>";
    };
    const struct {
        const char* Why;
        std::string Html;
        std::int32_t Width;
        const char* Head;
        const char* Cells;
    } cases[] = {
        {"extra width goes to the flexible columns", share, 60, "min 20 max 80 height 40\n",
         "td 0 0 23 40\ntd 23 0 37 40\n"},
        {"more than the maximum keeps the maximum", share, 200, "min 20 max 80 height 20\n",
         "td 0 0 30 20\ntd 30 0 50 20\n"},
        {"below the minimum the columns shrink in proportion", share, 10, "",
         "td 0 0 7 60\ntd 7 0 3 60\n"},
        // Columns 14..29 and 6..13 (flexible 15 and 7 of 22) share 11 pixels:
        // 15 / 22 x 11 = 7.5 gives 8, the second takes 3.
        {"the share rounds the exact ratio",
         "<body style=\"margin: 0 0 0; font-size: 2\"><table><tr>" + cell(14) + cell(6) +
             "</tr></table>",
         31, "min 20 max 42 ", "td 0 0 22 4\ntd 22 0 9 4\n"},
        {"a spanning cell spreads its deficit",
         Body20(
             "<table><col width=\"10\"><col width=\"10\"><tr><td colspan=\"2\"><img "
             "src=\"i\" width=\"25\" height=\"5\"></td></tr><tr><td></td><td></td></tr></table>"),
         25, "", "td 0 0 25 5\ntd 0 5 12 0\ntd 12 5 13 0\n"},
        // The spanning cell raises both minima to 20 but no maximum: the
        // second column's maximum must follow its minimum.
        {"a column's maximum never falls below its minimum",
         Body20("<table><tr><td>a a a</td><td>a</td></tr><tr><td colspan=\"2\">aaaa</td></tr>"
                "</table>"),
         70, "min 40 max 70 ", "td 0 0 50 20\ntd 50 0 20 20\ntd 0 20 70 20\n"},
        {"empty slots do not advance cells",
         Body20("<table><tr><td>aa</td><td>bbb</td></tr><tr><td>c</td></tr></table>"), 200, "",
         "td 0 0 20 20\ntd 20 0 30 20\ntd 0 20 20 20\n"},
    };
    for (const auto& c : cases) {
        const std::string dump = Layout(c.Html, c.Width);
        EXPECT_EQ(dump.substr(0, std::string(c.Head).size()), c.Head) << c.Why;
        EXPECT_EQ(Lines(dump, "td"), c.Cells) << c.Why;
    }
    EXPECT_EQ(Lines(Layout(share, 200), "table"), "table 0 0 80 20\n");
}

TEST(HtmlLayout, MiddleAlignedCellsMoveTheirContent)
{
    std::string dump = Layout(Body20("<table><col width=\"10\"><col width=\"10\"><tr>"
                                     "<td>a a a</td><td valign=\"middle\">b</td></tr></table>"),
                              20);
    EXPECT_EQ(Lines(dump, "td"), "td 0 0 10 60\ntd 10 0 10 60\n");
    EXPECT_NE(dump.find("word \"b\" x 10 top 20 base 36"), std::string::npos);
}

TEST(HtmlLayout, HeightPassRepeatsAndTracksTheWidth)
{
    TKvHtml document;
    TKvHtmlCanvasLog dc;
    Load(document, "<p>one two three four</p>");
    TErrCode code = ErrOk;
    std::string text;
    std::int32_t height = 0, minimum = 0, maximum = 0;
    // The height pass measures first when the width pass has not run.
    document.ComputeHeightForWidth(dc, 1000, height, code, text);
    EXPECT_EQ(height, 56);
    document.ComputeMinMaxWidth(dc, minimum, maximum, code, text);
    document.ComputeHeightForWidth(dc, 60, height, code, text);
    EXPECT_EQ(height, 8 + 16 + 4 * 16 + 16);
    document.ComputeHeightForWidth(dc, 1000, height, code, text);
    EXPECT_EQ(height, 56);
}
