// The manual page as the engine sees it: it parses and lays out at the
// window's sizes with the banner table's fixed columns, carries the news
// unchanged (also none), and every link either jumps to a section of the page or is one
// the shell may open.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "html/KvHtml.h"
#include "html/KvHtmlCanvasLog.h"
#include "html/KvHtmlElements.h"
#include "htmlview/FHelp.h"

namespace {

void ForEachElement(TKvHtmlElement* element, const std::function<void(TKvHtmlElement*)>& fn)
{
    for (TKvHtmlElement* child = element->FFirstChild; child; child = child->FNextSibling) {
        fn(child);
        ForEachElement(child, fn);
    }
}

std::int32_t LayOut(TKvHtml& document, const std::string& page, std::int32_t width)
{
    TKvHtmlCanvasLog dc;
    TErrCode code = ErrOk;
    std::string text;
    std::int32_t minimum = 0, maximum = 0, height = 0;
    document.LoadFromString(page, code, text);
    document.ComputeMinMaxWidth(dc, minimum, maximum, code, text);
    EXPECT_LE(minimum, 688);
    document.ComputeHeightForWidth(dc, width, height, code, text);
    document.RenderTo(dc, 0, 0, 0, 0, width, height, code, text);
    EXPECT_EQ(code, ErrOk) << text;
    return height;
}

}  // namespace

TEST(ManualPage, LaysOutWithSectionsInOrderAndOnlySoundLinks)
{
    for (const std::string news :
         {"Fresh <b>news</b><br>\r\n<a href=\"update\" title=\"u\">up</a>\r\n", ""})
        for (std::int32_t width : {688, 1920}) {
            std::string page = BuildManualPageText(news);
            EXPECT_NE(page.find("<p>\r\n" + news + "          </p>"), std::string::npos);
            TKvHtml document;
            std::int32_t height = LayOut(document, page, width);
            std::int32_t previous = 0;
            for (const char* id : {"opening", "viewing", "structure", "live", "links", "thanks"}) {
                TKvHtmlElement* section = document.FindById(id);
                ASSERT_NE(section, nullptr) << id;
                EXPECT_STREQ(section->TagName(), "h1");
                EXPECT_GT(section->GetTop(), previous) << id;
                previous = section->GetTop();
            }
            EXPECT_LT(previous, height);

            TKvHtmlElementTable* table = nullptr;
            int anchors = 0;
            ForEachElement(document.Root(), [&](TKvHtmlElement* element) {
                if (!table)
                    table = dynamic_cast<TKvHtmlElementTable*>(element);
                auto* a = dynamic_cast<TKvHtmlElementA*>(element);
                if (!a)
                    return;
                const std::string& href = a->FHref;
                if (href.rfind("#", 0) == 0) {
                    ++anchors;
                    EXPECT_NE(document.FindById(href.substr(1)), nullptr) << href;
                } else if (href != "update") {
                    EXPECT_TRUE(href.rfind("http://", 0) == 0 || href.rfind("https://", 0) == 0 ||
                                href.rfind("mailto:", 0) == 0)
                        << href;
                }
            });
            EXPECT_EQ(anchors, 6);

            // The banner table fills the window up to its maximum width.
            ASSERT_NE(table, nullptr);
            EXPECT_EQ(table->FColumnCount, 9);
            EXPECT_EQ(table->FBoxWidth, std::min(width - 16, table->FSumMax));
            EXPECT_EQ(table->FColumnWidths[0], 2);
            EXPECT_GE(table->FColumnWidths[2], 253);
        }
}
