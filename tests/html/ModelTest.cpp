// Document model: attributes, the id index, reloading.
#include <gtest/gtest.h>

#include "HtmlTestSupport.h"

TEST(HtmlModel, AttributesKeepSourceOrderClassNamesAndValues)
{
    TParsed p("<body vlink=\"#0000ff\" TEXT=\"#000000\" bgcolor=\"#Ee00aA\" alt=\"a\n b\">x");
    ASSERT_EQ(p.FError, "");
    TKvHtmlElement* body = Find(p.FDocument, "body");
    std::string seen;
    for (TKvHtmlAttribute* a = body->FFirstAttribute; a; a = a->FNext)
        seen += std::string(a->AttrName()) + "=" + a->FValue + ";";
    EXPECT_EQ(seen, "vlink=#0000ff;text=#000000;bgcolor=#Ee00aA;alt=a\n b;");
    EXPECT_EQ(body->FLastAttribute->FPrev->FNext, body->FLastAttribute);
    EXPECT_EQ(body->FBackgroundColor, KvRgb(0xEE, 0x00, 0xAA));
    EXPECT_EQ(body->FTextColor, KvRgb(0, 0, 0));  // "text" is stored only

    // Meta keeps its three strings and no attributes.
    TParsed m("<html><head><meta http-equiv=\"a\" name=\"b\" content=\"c\"><title>t</title>"
              "</head><body>x</body></html>");
    ASSERT_EQ(m.FError, "");
    auto* meta = static_cast<TKvHtmlElementMeta*>(Find(m.FDocument, "meta"));
    EXPECT_EQ(meta->FHttpEquiv + meta->FName + meta->FContent, "abc");
    EXPECT_EQ(meta->FFirstAttribute, nullptr);
}

TEST(HtmlModel, IdIndexAndEmptyDocument)
{
    TParsed p("<h1 id=\"a\" id=\"b\">x</h1><h1 id=\"c\">y</h1><h1 id=\"c\">z</h1>");
    ASSERT_EQ(p.FError, "");
    TKvHtml& document = p.FDocument;
    TKvHtmlElement* first = Find(document, "h1", 0);
    EXPECT_EQ(document.FindById("a"), nullptr);
    EXPECT_EQ(document.FindById("b"), first);
    EXPECT_EQ(document.FindById("c"), Find(document, "h1", 1));
    EXPECT_EQ(document.FindById("C"), nullptr);
    int registered = 0;
    for (TKvHtmlElement* e = document.FFirstId; e; e = e->FIdNext)
        ++registered;
    EXPECT_EQ(registered, 3);

    Load(document, "<p>new</p>");
    EXPECT_EQ(document.FindById("b"), nullptr);
    EXPECT_EQ(document.Root()->FFirstChild, nullptr);  // nothing parsed yet

    TKvHtml empty;
    EXPECT_EQ(empty.ElementAt(0, 0), nullptr);  // nothing loaded
    EXPECT_EQ(Layout("", 100), "min 0 max 0 height 0\nroot 0 0 100 0\n");
}
