// Parser: tokens, implied elements, end-tag recovery, text runs, entities,
// attribute values, table bookkeeping and the limits on hostile text.
#include <gtest/gtest.h>

#include "HtmlTestSupport.h"
#include "InternalText.h"

namespace {

// The items of a text run as "word|space" tokens: "Hello| |x".
std::string Items(const TKvHtmlElement* e)
{
    std::string out;
    for (const WordItem& item : static_cast<const TKvHtmlElementText*>(e)->FItems)
        out += (out.empty() ? "" : "|") + (item.FKind == WordItem::KindWord ? item.FText : " ");
    return out;
}

}  // namespace

TEST(HtmlParser, PlainTextStaysUnderTheRootAndAStartTagImpliesHtmlAndBody)
{
    TParsed p("just  text");
    ASSERT_EQ(p.FError, "");
    TKvHtmlElement* run = p.FDocument.Root()->FFirstChild;
    EXPECT_STREQ(run->TagName(), "text");
    EXPECT_EQ(run->FNextSibling, nullptr);
    EXPECT_EQ(run->FFontSize, 0);
    EXPECT_EQ(Items(run), "just| |text");

    TParsed tag("<p>x");
    ASSERT_EQ(tag.FError, "");
    EXPECT_EQ(Find(tag.FDocument, "p")->Path(), "root html body p");
    EXPECT_EQ(Find(tag.FDocument, "p")->FParseState, TKvHtmlElement::StateClosed);
}

TEST(HtmlParser, Failures)
{
    EXPECT_EQ(ParseFailure("<td>x</td>"), "KvHtml N.N; td in root html body");
    EXPECT_EQ(ParseFailure("<p><span>x"), "KvHtml N.N; span in root html body p");
    EXPECT_EQ(ParseFailure("a<br/>b"), "KvHtml N.N; br/ in root html body");
    EXPECT_EQ(ParseFailure("<body onload=\"x\">"), "KvHtml N.N; onload in body");
    for (const char* text :
         {"<head><p>", "<p>x</p >", "x</root>", "x<", "x<!", "x</", "<p style='x'>", "<p style=x>",
          "<p style>", "<p class=\"x\">", "<table><tr><td align=\"Center\">",
          "<table><tr><td valign=\"center\">", "<body bgcolor=\"white\">",
          "<body bgcolor=\"#12345g\">", "<body bgcolor=\"#1234567\">",
          "<table><tr><td colspan=\"2x\">", "<table><col width=\"10px\">", "<img width=\"\">",
          "<img width=\"5%\">", "<img height=\"x\">", "<img height=\"5 \">",
          // Numbers that would overflow a size or a grid index.
          "<table><tr><td colspan=\"4294967297\">", "<table><tr><td colspan=\"1001\">",
          "<table><col width=\"99999999999\">", "<img width=\"2147483648\">",
          // Elements without attributes refuse any; meta takes its three only.
          "<ul><li class=\"x\">a</li></ul>", "a<br clear=\"all\">",
          "<table><tr x=\"1\"><td></td></tr></table>", "<html lang=\"en\">",
          "<head><meta charset=\"x\">", "<font size=\"5\">x</font>"})
        EXPECT_EQ(ParseFailure(text), "KvHtml N.N") << text;
}

TEST(HtmlParser, WordOf256CharactersIsTheLongest)
{
    EXPECT_EQ(ParseFailure(std::string(256, 'w')), "");
    EXPECT_EQ(ParseFailure(std::string(250, 'w') + "&nbsp;xxxxx"), "");
    EXPECT_EQ(ParseFailure(std::string(257, 'w')), "KvHtml N.N");
}

TEST(HtmlParser, EndTagsCloseInnerElementsAndStrayOnesAreIgnored)
{
    TParsed p("<p><b>bold</p>after</b>more</i>");
    ASSERT_EQ(p.FError, "");
    TKvHtmlElement* body = Find(p.FDocument, "body");
    TKvHtmlElement* para = body->FFirstChild;
    EXPECT_STREQ(para->FFirstChild->TagName(), "b");
    EXPECT_EQ(para->FFirstChild->FParseState, TKvHtmlElement::StateClosed);
    EXPECT_STREQ(para->FNextSibling->TagName(), "text");
    EXPECT_EQ(Items(para->FNextSibling), "after");
    EXPECT_EQ(Items(para->FNextSibling->FNextSibling), "more");
}

TEST(HtmlParser, WhitespaceBecomesOneSpaceAcrossInlineElements)
{
    struct {
        const char* text;
        const char* first;
        const char* second;
    } cases[] = {
        {"<p>one <b> two</b></p>", "one| ", "two"},
        {"<p>one<b> two</b></p>", "one", " |two"},
        {"<p>one<b>two</b></p>", "one", "two"},
        {"<p>  lead\n\tand  trail  </p>", "lead| |and| |trail", nullptr},
        {"<p>one<br> two</p>", "one", "two"},
    };
    for (const auto& c : cases) {
        TParsed p(c.text);
        ASSERT_EQ(p.FError, "");
        EXPECT_EQ(Items(Find(p.FDocument, "text", 0)), c.first) << c.text;
        if (c.second) {
            EXPECT_EQ(Items(Find(p.FDocument, "text", 1)), c.second) << c.text;
        }
    }
    TParsed blocks("<div>a</div>  \r\n <div>b</div>");
    EXPECT_STREQ(Find(blocks.FDocument, "div", 0)->FNextSibling->TagName(), "div");
}

// Only &nbsp; is decoded, and a comment ends at its first '>'.
TEST(HtmlParser, EntitiesAndComments)
{
    TParsed p("<p>a&nbsp;b &amp; &nbsp &nbspx; &;x &nbsp;</p><p><!-- a > b -->c</p>");
    ASSERT_EQ(p.FError, "");
    EXPECT_EQ(Items(Find(p.FDocument, "text")), "a b| |&amp;| |&nbsp| |&nbspx;| |&;x| | ");
    EXPECT_EQ(Items(Find(p.FDocument, "text", 1)), "b| |-->c");
}

TEST(HtmlParser, AttributeValuesAreTakenAsWritten)
{
    TParsed p("<A HREF=\"Page.html#X\"  title = \"two\nlines\">x</a>");
    ASSERT_EQ(p.FError, "");
    auto* a = static_cast<TKvHtmlElementA*>(Find(p.FDocument, "a"));
    EXPECT_EQ(a->FHref, "Page.html#X");
    EXPECT_EQ(a->FTitle, "two\nlines");
}

TEST(HtmlParser, TableGrid)
{
    TParsed p("<table><col width=\"7\"><col><tr><td colspan=\"2\">a</td><td>b</td></tr>"
              "<tr><td>c</td></tr><col width=\"9\"></table>");
    ASSERT_EQ(p.FError, "");
    auto* table = static_cast<TKvHtmlElementTable*>(Find(p.FDocument, "table"));
    EXPECT_EQ(table->FRowCount, 2);
    EXPECT_EQ(table->FColumnCount, 3);
    EXPECT_EQ(table->Cell(0, 0), table->Cell(0, 1));
    EXPECT_EQ(table->CellStart(0, 1), nullptr);
    EXPECT_EQ(table->Cell(0, 2), Find(p.FDocument, "td", 1));
    EXPECT_EQ(table->Cell(1, 0), Find(p.FDocument, "td", 2));
    EXPECT_EQ(table->Cell(1, 1), nullptr);
    EXPECT_EQ(table->FColumns[0]->FWidth, 7);
    EXPECT_EQ(table->FColumns[1]->FWidthGiven, 0);
    EXPECT_EQ(table->FColumns[2], nullptr);  // a col after the first cell is ignored
}

TEST(HtmlParser, NestingDepthIsLimited)
{
    std::string deep;
    for (int i = 0; i < 300; ++i)
        deep += "<div>";
    EXPECT_EQ(ParseFailure(deep), "KvHtml N.N; div nested deeper than 256");
    std::string fine;
    for (int i = 0; i < 250; ++i)
        fine += "<b>";
    EXPECT_EQ(ParseFailure(fine + "x"), "");
}

TEST(HtmlParser, AParseFailureSticksUntilTheNextLoad)
{
    struct {
        const char* text;
        const char* error;
    } cases[] = {
        // Refused while closing a row, and refused inside a start tag: a
        // resumed parse would show 'class="a">hidden' as words.
        {"<table><tr><td></td></tr><tr><td></td><td></td></tr></table><p>x</p>", "KvHtml N.N"},
        {"<p><span class=\"a\">hidden</span>visible</p>", "KvHtml N.N; span in root html body p"},
    };
    for (const auto& c : cases) {
        TKvHtml document;
        TKvHtmlCanvasLog dc;
        std::int32_t minimum = 0, maximum = 0, height = 0;
        Load(document, c.text);
        const std::string error = Measure(document, dc, minimum, maximum);
        EXPECT_EQ(WithoutPosition(error), c.error);
        EXPECT_EQ(Measure(document, dc, minimum, maximum), error);
        EXPECT_TRUE(document.Failed());
        EXPECT_EQ(document.FailText(), error);
        TErrCode code = ErrOk;
        std::string text;
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(
                InternalText([&] { document.ComputeHeightForWidth(dc, 100, height, code, text); }),
                error);
            EXPECT_THROW(document.RenderTo(dc, 0, 0, 0, 0, 100, 100, code, text), EKvInternal);
        }
        EXPECT_EQ(document.ElementAt(10, 10), nullptr);

        Load(document, "<p>x</p>");
        EXPECT_FALSE(document.Failed());
        EXPECT_EQ(Measure(document, dc, minimum, maximum), "");
        EXPECT_EQ(minimum, 24);
    }
}
