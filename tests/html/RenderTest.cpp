// Painting with the clip test, images, and hit testing with links.
#include <gtest/gtest.h>

#include <algorithm>

#include "HtmlTestSupport.h"
#include "InternalText.h"

namespace {

struct Page {
    TKvHtml document;
    TKvHtmlCanvasLog dc;
    TKvHtmlImageLog image{"tile"};
    std::int32_t imageWidth = 2, imageHeight = 8;
    int asked = 0;
    bool resolve = true;
    std::int32_t height = 0;

    explicit Page(const std::string& text, std::int32_t width = 200)
    {
        document.OnGetImage = [this](TKvHtml&, const std::string& name, TKvHtmlImage*& answer,
                                     std::int32_t& w, std::int32_t& h) {
            ++asked;
            image.FName = name;
            if (resolve) {
                answer = &image;
                w = imageWidth;
                h = imageHeight;
            }
        };
        Load(document, text);
        TErrCode code = ErrOk;
        std::string error;
        document.ComputeHeightForWidth(dc, width, height, code, error);
    }

    std::vector<std::string> Paint(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h)
    {
        dc.FLog.clear();
        TErrCode code = ErrOk;
        std::string error;
        document.RenderTo(dc, 0, 0, x, y, w, h, code, error);
        return dc.FLog;
    }

    int Count(const std::vector<std::string>& log, const std::string& prefix)
    {
        return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& l) {
            return l.compare(0, prefix.size(), prefix) == 0;
        }));
    }
};

const char* const Bar = "<body style=\"margin: 0 0 0\"><table><col width=\"2\"><tr>"
                        "<td style=\"background-image:url(verbar);background-repeat:repeat;\">"
                        "</td><td><img src=\"logo\" width=\"1\" height=\"60\"></td></tr></table>";

}  // namespace

TEST(HtmlRender, TextColoursFontsAndRestore)
{
    Page page("<p>one two</p><p>three <a href=\"x\">link</a></p>");
    std::vector<std::string> log = page.Paint(0, 0, 200, 200);
    std::vector<std::string> expected = {
        "fill 0 0 200 200 255,255,255",
        "font Times New Roman 16 400 0",
        "color 0,0,0",
        "transparent",
        "text 8 24 one",
        "blank 32 24 8",
        "text 40 24 two",
        "text 8 56 three",
        "blank 48 56 8",
        "font Times New Roman 16 400 1",
        "color 0,0,255",
        "text 56 56 link",
        "font restored",
        "color 0,0,0",
        "background mode 2",
    };
    EXPECT_EQ(log, expected);
}

TEST(HtmlRender, ClipTestSkipsWholeBlocks)
{
    Page page("<p>one</p><div style=\"margin-top: 0\">" + std::string(30, 'w') + "</div>", 100);
    // The clip lies right of the div's box but inside the root; its overflowing word is not drawn.
    std::vector<std::string> log = page.Paint(95, 0, 5, 200);
    EXPECT_EQ(page.Count(log, "text"), 0);
    EXPECT_EQ(page.Count(log, "fill"), 1);  // the body fills the clip rectangle
    log = page.Paint(0, 56, 100, 4);
    EXPECT_EQ(page.Count(log, "text 8 56 w"), 1);
    EXPECT_EQ(page.Count(log, "text 8 24 one"), 0);
}

TEST(HtmlRender, BackgroundTilesCellColourAndImagesAskedUntilResolved)
{
    Page page(Bar);
    std::vector<std::string> log = page.Paint(0, 0, 200, 200);
    std::vector<std::string> tiles;
    for (const std::string& l : log)
        if (l.compare(0, 4, "copy") == 0)
            tiles.push_back(l);
    ASSERT_EQ(tiles.size(), 8u);
    EXPECT_EQ(tiles[0], "copy url(verbar) 0 0 2 8");
    EXPECT_EQ(tiles[7], "copy url(verbar) 0 56 2 4");
    EXPECT_EQ(page.Count(log, "stretch logo 2 0 1 60 2 8"), 1);

    Page cell("<table><tr><td bgcolor=\"#eeeeee\">x</td></tr></table>");
    EXPECT_EQ(cell.Count(cell.Paint(0, 0, 200, 200), "fill 8 8 16 24 238,238,238"), 1);

    Page unresolved(Bar);  // images not found are asked for again on every paint
    unresolved.resolve = false;
    unresolved.Paint(0, 0, 200, 200);
    unresolved.Paint(0, 0, 200, 200);
    EXPECT_EQ(unresolved.asked, 4);  // the tile and the logo, twice
    unresolved.resolve = true;
    unresolved.Paint(0, 0, 200, 200);
    unresolved.Paint(0, 0, 200, 200);
    EXPECT_EQ(unresolved.asked, 6);
}

TEST(HtmlRender, BackgroundImageWithoutRepeatFails)
{
    Page page("<div style=\"background-image: url(x)\">a</div>");
    TErrCode code = ErrOk;
    std::string error;
    EXPECT_EQ(WithoutPosition(InternalText(
                  [&] { page.document.RenderTo(page.dc, 0, 0, 0, 0, 100, 100, code, error); })),
              "KvHtml N.N");
}

TEST(HtmlRender, HitTestingAndLinks)
{
    Page page("<p>see <a href=\"u\" title=\"T\">two words</a></p>"
              "<p><img src=\"i\" width=\"20\" height=\"10\"></p>");
    TKvHtml& d = page.document;
    // "see " 0..32 from x 8, then "two" 40..64, space 64..72, "words" 72..112.
    TKvHtmlElement* space = d.ElementAt(66, 30);
    ASSERT_NE(space, nullptr);
    TKvHtmlLink link = space->GetLink();
    EXPECT_TRUE(link.FIsLink);
    EXPECT_EQ(link.FHref, "u");
    EXPECT_EQ(link.FTitle, "T");
    EXPECT_STREQ(d.ElementAt(150, 30)->TagName(), "p");
    EXPECT_FALSE(d.ElementAt(150, 30)->GetLink().FIsLink);
    EXPECT_FALSE(d.ElementAt(10, 30)->GetLink().FIsLink);
    auto tag = [&d](std::int32_t x, std::int32_t y) {
        TKvHtmlElement* e = d.ElementAt(x, y);
        return std::string(e ? e->TagName() : "none");
    };
    EXPECT_EQ(tag(10, 60), "img");  // the image stands on the baseline at 66
    EXPECT_EQ(tag(30, 60), "p");
    EXPECT_EQ(tag(2, 30), "body");
    EXPECT_EQ(tag(10, 66), "none");  // below the last box

    Page head("<html><head><title>t</title></head><body>x</body></html>");  // head answers none
    EXPECT_STREQ(head.document.ElementAt(1, 1)->TagName(), "html");  // inside html, above body
    EXPECT_STREQ(head.document.ElementAt(9, 9)->TagName(), "text");
}
