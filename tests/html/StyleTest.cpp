// Styles: inheritance and class defaults, lengths, rgb colours, the margin
// forms, font sizes and the font cache.
#include <gtest/gtest.h>

#include "HtmlTestSupport.h"

namespace {

// Parses "<body><tag ...>x" and returns the failure text, or "" with element
// set to the tag's element.
struct Styled {
    TKvHtml document;
    TKvHtmlCanvasLog dc;
    std::string error;
    explicit Styled(const std::string& text)
    {
        Load(document, text);
        std::int32_t minimum = 0, maximum = 0;
        error = Measure(document, dc, minimum, maximum);
    }
};

std::string StyleFailure(const std::string& style)
{
    return ParseFailure("<p style=\"" + style + "\">x</p>");
}

}  // namespace

TEST(HtmlStyle, HeadingStyleOfThePages)
{
    Styled s("<h1 style=\"margin: 1.4em 0 .67em; font-weight: bold; color: rgb(255,102,0); "
             "font-size: 1.2em;\">News</h1>");
    ASSERT_EQ(s.error, "");
    TKvHtmlElement* h1 = FirstInBody(s.document);
    EXPECT_EQ(h1->FMarginTop, 22);
    EXPECT_EQ(h1->FMarginLeft, 0);
    EXPECT_EQ(h1->FMarginRight, 0);
    EXPECT_EQ(h1->FMarginBottom, 11);
    EXPECT_EQ(h1->FFontSize, 19);
    EXPECT_EQ(h1->FBold, 1);
    EXPECT_EQ(h1->FTextColor, KvRgb(255, 102, 0));
}

TEST(HtmlStyle, ClassDefaults)
{
    Styled s("<h1>a</h1><p>b</p><ul><li>c<ul><li>d</li></ul></li></ul>"
             "<font size=\"4\">e<font size=\"3\">f</font></font><b>g</b>");
    ASSERT_EQ(s.error, "");
    TKvHtmlElement* h1 = Find(s.document, "h1");
    EXPECT_EQ(h1->FFontSize, 32);
    EXPECT_EQ(h1->FMarginTop, 11);  // round(16 x 0.67)
    EXPECT_EQ(Find(s.document, "p")->FMarginBottom, 16);
    TKvHtmlElement* outer = Find(s.document, "ul", 0);
    TKvHtmlElement* inner = Find(s.document, "ul", 1);
    EXPECT_EQ(outer->FMarginTop, 16);
    EXPECT_EQ(inner->FMarginTop, 0);
    EXPECT_EQ(inner->FListDepth, 2);
    EXPECT_EQ(inner->FPaddingLeft, 40);
    EXPECT_EQ(Find(s.document, "font", 0)->FFontSize, 19);
    EXPECT_EQ(Find(s.document, "font", 1)->FFontSize, 19);
    EXPECT_EQ(Find(s.document, "b")->FBold, 1);
    EXPECT_EQ(Find(s.document, "body")->FFontFace, "Times New Roman");
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
        Styled s("<body style=\"font-size: " + std::to_string(c.bodySize) +
                 "\"><p style=\"margin-top: " + c.value + "\">x</p>");
        ASSERT_EQ(s.error, "") << c.value;
        EXPECT_EQ(FirstInBody(s.document)->FMarginTop, c.margin) << c.value << " at " << c.bodySize;
    }
    // A heading's margins are two thirds of its parent's size: 33.5 at 50.
    Styled h("<body style=\"font-size: 50\"><h1>x</h1>");
    EXPECT_EQ(FirstInBody(h.document)->FMarginTop, 34);
}

TEST(HtmlStyle, RefusedDeclarations)
{
    struct {
        const char* style;
        const char* error;
    } cases[] = {
        {"margin: 0", "KvHtml 3553.75"},
        {"margin: x", "KvHtml 3552.75"},
        {"margin: 1 2", "KvHtml 3554.75"},
        {"margin: 1 2 3 4", "KvHtml 3562.75"},
        {"margin: 1 2 3 x", "KvHtml 3550.91"},
        {"margin: 1px 2px 3px", "KvHtml 3614.92"},
        {"margin: 1.2.3 0 0", "KvHtml 3587.87"},
        {"margin-top: 10%", "KvHtml 3614.92"},
        {"margin-top: x", "KvHtml 3513.110"},
        {"margin-bottom: x", "KvHtml 3502.110"},
        {"font-size: x", "KvHtml 3524.110"},
        {"color: #ff0000", "KvHtml 3481.72"},
        {"color: red", "KvHtml 3481.72"},
        {"color: rgb(256,0,0)", "KvHtml 3458.91"},
        {"color: rgb(,0,0)", "KvHtml 3457.86"},
        {"color: rgb(1,2)", "KvHtml 3466.133"},
        {"color: rgb(1,2,3", "KvHtml 3465.94"},
        {"color: rgb(1,2,3) x", "KvHtml 3492.91"},
        {"font-weight: normal", "KvHtml 3534.72"},
        {"background-repeat: no-repeat", "KvHtml 3038.72"},
        {"float: left", "KvHtml 3649.72"},
        {"margin-top: 0;;", "KvHtml 3685.73"},
        // Numbers too large for a pixel size are refused, not wrapped.
        {"font-size: 99999999999999999999em", "KvHtml 3614.92"},
        {"margin-top: 4000000000", "KvHtml 3614.92"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StyleFailure(c.style), c.error) << c.style;
}

TEST(HtmlStyle, ColourAcceptsBlanksAndCase)
{
    Styled s("<p style=\"COLOR: RGB( 1 , 2 ,3 ) ; margin-top:3\">x</p>");
    ASSERT_EQ(s.error, "");
    EXPECT_EQ(FirstInBody(s.document)->FTextColor, KvRgb(1, 2, 3));
    EXPECT_EQ(FirstInBody(s.document)->FMarginTop, 3);
}

TEST(HtmlStyle, LinksUnderlineAndColourTheirText)
{
    Styled s("<a href=\"x\">a<div style=\"color: rgb(1,2,3)\">b</div></a>");
    ASSERT_EQ(s.error, "");
    TKvHtmlElement* link = Find(s.document, "text", 0);
    TKvHtmlElement* inner = Find(s.document, "text", 1);
    EXPECT_EQ(link->FTextColor, KvRgb(0, 0, 255));
    EXPECT_EQ(link->FUnderline, 1);
    EXPECT_EQ(inner->FTextColor, KvRgb(1, 2, 3));
    EXPECT_EQ(inner->FUnderline, 1);
}

TEST(HtmlStyle, FontCacheReusesEntriesEvenForLongFaceNames)
{
    const std::string face(40, 'F');
    TKvHtml document;
    TKvHtmlCanvasLog dc;
    std::int32_t minimum = 0, maximum = 0;
    Load(document, "<p>a</p><p>b <b>c</b></p><font face=\"" + face + "\">d</font>");
    ASSERT_EQ(Measure(document, dc, minimum, maximum), "");
    EXPECT_EQ(document.FontCount(), 3u);
    FontEntry& entry = document.LookupFont(dc, *Find(document, "text", 3));
    EXPECT_EQ(std::string(entry.FLogFont.FFaceName), face.substr(0, 31));
    EXPECT_EQ(entry.FLogFont.FHeight, -16);
    document.LookupFont(dc, *Find(document, "text", 3));
    EXPECT_EQ(document.FontCount(), 3u);
    EXPECT_EQ(dc.FFontsCreated, 3);
}
