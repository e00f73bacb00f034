// Styles: inheritance and class defaults, lengths, rgb colours, the margin
// forms, font sizes and the font cache.
#include <gtest/gtest.h>

#include "HtmlTestSupport.h"

namespace {

std::string StyleFailure(const std::string& style)
{
    return ParseFailure("<p style=\"" + style + "\">x</p>");
}

}  // namespace

TEST(HtmlStyle, HeadingStyleOfThePagesAndColourWithBlanksAndCase)
{
    TParsed s("<h1 style=\"margin: 1.4em 0 .67em; font-weight: bold; color: rgb(255,102,0); "
              "font-size: 1.2em;\">News</h1>");
    ASSERT_EQ(s.FError, "");
    TKvHtmlElement* h1 = FirstInBody(s.FDocument);
    EXPECT_EQ(h1->FMarginTop, 22);
    EXPECT_EQ(h1->FMarginLeft, 0);
    EXPECT_EQ(h1->FMarginRight, 0);
    EXPECT_EQ(h1->FMarginBottom, 11);
    EXPECT_EQ(h1->FFontSize, 19);
    EXPECT_EQ(h1->FBold, 1);
    EXPECT_EQ(h1->FTextColor, KvRgb(255, 102, 0));

    TParsed colour("<p style=\"COLOR: RGB( 1 , 2 ,3 ) ; margin-top:3\">x</p>");
    ASSERT_EQ(colour.FError, "");
    EXPECT_EQ(FirstInBody(colour.FDocument)->FTextColor, KvRgb(1, 2, 3));
    EXPECT_EQ(FirstInBody(colour.FDocument)->FMarginTop, 3);
}

TEST(HtmlStyle, ClassDefaults)
{
    TParsed s("<h1>a</h1><p>b</p><ul><li>c<ul><li>d</li></ul></li></ul>"
              "<font size=\"4\">e<font size=\"3\">f</font></font><b>g</b>");
    ASSERT_EQ(s.FError, "");
    TKvHtmlElement* h1 = Find(s.FDocument, "h1");
    EXPECT_EQ(h1->FFontSize, 32);
    EXPECT_EQ(h1->FMarginTop, 11);  // round(16 x 0.67)
    EXPECT_EQ(Find(s.FDocument, "p")->FMarginBottom, 16);
    TKvHtmlElement* outer = Find(s.FDocument, "ul", 0);
    TKvHtmlElement* inner = Find(s.FDocument, "ul", 1);
    EXPECT_EQ(outer->FMarginTop, 16);
    EXPECT_EQ(inner->FMarginTop, 0);
    EXPECT_EQ(inner->FListDepth, 2);
    EXPECT_EQ(inner->FPaddingLeft, 40);
    EXPECT_EQ(Find(s.FDocument, "font", 0)->FFontSize, 19);
    EXPECT_EQ(Find(s.FDocument, "font", 1)->FFontSize, 19);
    EXPECT_EQ(Find(s.FDocument, "b")->FBold, 1);
    EXPECT_EQ(Find(s.FDocument, "body")->FFontFace, "Times New Roman");
}

TEST(HtmlStyle, LengthsRoundTheExactValueHalfToEven)
{
    struct {
        const char* value;
        std::int32_t bodySize;
        std::int32_t margin;
    } cases[] = {{"0", 16, 0},  {"2.5", 16, 2},   {"3.5", 16, 4},  {"1.5EM", 16, 24},
                 {"7.", 16, 7}, {".14em", 25, 4}, {".1em", 25, 2}, {".3em", 25, 8}};
    for (const auto& c : cases) {
        TParsed s("<body style=\"font-size: " + std::to_string(c.bodySize) +
                  "\"><p style=\"margin-top: " + c.value + "\">x</p>");
        ASSERT_EQ(s.FError, "") << c.value;
        EXPECT_EQ(FirstInBody(s.FDocument)->FMarginTop, c.margin)
            << c.value << " at " << c.bodySize;
    }
    // A heading's margins are two thirds of its parent's size: 33.5 at 50.
    TParsed h("<body style=\"font-size: 50\"><h1>x</h1>");
    EXPECT_EQ(FirstInBody(h.FDocument)->FMarginTop, 34);
}

TEST(HtmlStyle, RefusedDeclarations)
{
    for (const char* style :
         {"margin: 0", "margin: x", "margin: 1 2", "margin: 1 2 3 4", "margin: 1 2 3 x",
          "margin: 1px 2px 3px", "margin: 1.2.3 0 0", "margin-top: 10%", "margin-top: x",
          "margin-bottom: x", "font-size: x", "color: #ff0000", "color: red", "color: rgb(256,0,0)",
          "color: rgb(,0,0)", "color: rgb(1,2)", "color: rgb(1,2,3", "color: rgb(1,2,3) x",
          "font-weight: normal", "background-repeat: no-repeat", "float: left", "margin-top: 0;;",
          // Numbers too large for a pixel size are refused, not wrapped.
          "font-size: 99999999999999999999em", "margin-top: 4000000000"})
        EXPECT_EQ(StyleFailure(style), "KvHtml N.N") << style;
}

TEST(HtmlStyle, LinksUnderlineAndColourTheirText)
{
    TParsed s("<a href=\"x\">a<div style=\"color: rgb(1,2,3)\">b</div></a>");
    ASSERT_EQ(s.FError, "");
    TKvHtmlElement* link = Find(s.FDocument, "text", 0);
    TKvHtmlElement* inner = Find(s.FDocument, "text", 1);
    EXPECT_EQ(link->FTextColor, KvRgb(0, 0, 255));
    EXPECT_EQ(link->FUnderline, 1);
    EXPECT_EQ(inner->FTextColor, KvRgb(1, 2, 3));
    EXPECT_EQ(inner->FUnderline, 1);
}

TEST(HtmlStyle, FontCacheReusesEntriesEvenForLongFaceNames)
{
    const std::string face(40, 'F');
    TParsed s("<p>a</p><p>b <b>c</b></p><font face=\"" + face + "\">d</font>");
    ASSERT_EQ(s.FError, "");
    EXPECT_EQ(s.FDocument.FontCount(), 3u);
    FontEntry& entry = s.FDocument.LookupFont(s.FDc, *Find(s.FDocument, "text", 3));
    EXPECT_EQ(std::string(entry.FLogFont.FFaceName), face.substr(0, 31));
    EXPECT_EQ(entry.FLogFont.FHeight, -16);
    s.FDocument.LookupFont(s.FDc, *Find(s.FDocument, "text", 3));
    EXPECT_EQ(s.FDocument.FontCount(), 3u);
    EXPECT_EQ(s.FDc.FFontsCreated, 3);
}
