// The program's About page is built from fixed pieces around the news text;
// with stand-in prose it must parse, lay out in the About viewer's 733
// pixels and in a wide window, and paint.
#include <gtest/gtest.h>

#include <algorithm>

#include "HtmlTestSupport.h"
#include "html/KvHtmlDump.h"

namespace {

const char* const Heading =
    "margin: 1.4em 0 .67em; font-weight: bold; color: rgb(255,102,0); font-size: 1.2em;";

std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string TableStart()
{
    return Lines({"<table cellspacing=\"0\" cellpadding=\"0\" width=\"100%\" border=\"0\">",
                  "  <col width=\"2\"><col width=\"8\"><col width=\"253\"><col width=\"8\">",
                  "  <col width=\"2\"><col width=\"8\"><col><col width=\"8\"><col width=\"2\">",
                  "  <tbody>"});
}

std::string Banner(const std::string& title)
{
    return Lines({
        "    <tr>",
        "      <td colspan=\"5\" valign=\"middle\" align=\"center\" bgcolor=\"#eeeeee\">"
        "<font face=\"Arial Black\" size=\"4\">KESTROVA</font></td>",
        "      <td></td>",
        "      <td valign=\"middle\" align=\"right\"><font face=\"Verdana\" size=\"3\">"
        "<b>Small tools for large images</b></font></td>",
        "      <td></td><td></td>",
        "    </tr>",
        "    <tr>",
        "      <td colspan=\"5\" align=\"center\" valign=\"middle\"><a "
        "href=\"http://example.com/\" "
        "title=\"Kestrova, Small tools for large images, Home\"><img src=\"logo\" width=\"273\" "
        "height=\"60\" alt=\"Kestrova, Small tools for large images, Home\" border=\"0\"></a></td>",
        "      <td bgcolor=\"#eeeeee\"></td>",
        "      <td align=\"right\" bgcolor=\"#eeeeee\" valign=\"middle\"><font face=\"Verdana\" "
        "size=\"4\">" +
            title + "</font></td>",
        "      <td bgcolor=\"#eeeeee\"></td><td bgcolor=\"#eeeeee\"></td>",
        "    </tr>",
    });
}

const char* const News =
    "The new version reads <b>BigTIFF</b> headers.<br>\r\nSee the <a href=\"http://example.com/n\""
    " title=\"news\">release notes</a> for details.";

std::string AboutPage(const std::string& state)
{
    return Lines({"<html>", "<body text=\"#000000\" bgcolor=\"#D4D0C8\" link=\"#0000ff\" "
                            "alink=\"#0000ff\" vlink=\"#0000ff\">"}) +
           TableStart() + Banner("Orvane") +
           Lines({
               "    <tr>",
               "      <td style=\"background-image:url(verbar);background-repeat:repeat;\"></td>",
               "      <td bgcolor=\"#eeeeee\"></td>",
               "      <td align=\"center\" valign=\"middle\" bgcolor=\"#eeeeee\">",
               std::string("        <h1 style=\"") + Heading + "\">Latest news</h1>",
               std::string("        <p>") + News + "</p>",
               "        <br>",
               "      </td>",
               "      <td bgcolor=\"#eeeeee\"></td>",
               "      <td style=\"background-image:url(verbar); background-repeat:repeat;\"></td>",
               "      <td></td>",
               "      <td align=\"center\" valign=\"middle\">",
               std::string("        <h1 style=\"") + Heading + "\">Orvane</h1>",
               "        <p>Current version 2.00 is " + state + "</p>",
               "        <p>Visit <a href=\"http://example.com/\" title=\"Kestrova, Small tools for "
               "large images\">Kestrova</a> on-line.<br>Stay tuned to <a href=\"http://example.com"
               "/imaging/tiff/orvane.html\" title=\"Orvane, a free TIFF Tag Viewer for Windows\">"
               "Orvane</a> download page.<br></p>",
               "        <p>Please send any feedback, bug reports, or feature requests to <a href="
               "\"mailto:orvane@example.com\">orvane@example.com</a>.</p>",
               "        <br>",
               "      </td>",
               "      <td></td>",
               "      <td style=\"background-image:url(verbar2);background-repeat:repeat;\"></td>",
               "    </tr>",
               "  </tbody>",
               "</table>",
               "</body>",
               "</html>",
           });
}

void ExpectLaysOut(const std::string& page, std::int32_t width)
{
    TKvHtml document;
    TKvHtmlCanvasLog dc;
    Load(document, page);
    std::string dump;
    ASSERT_NO_THROW(dump = KvHtmlDumpLayout(document, dc, width));
    auto* table = static_cast<TKvHtmlElementTable*>(Find(document, "table"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->FRowCount, 3);
    EXPECT_EQ(table->FColumnCount, 9);
    // A wide window gets the table at its maximum width.
    EXPECT_EQ(table->FBoxWidth, std::min(width - 16, table->FSumMax));
    EXPECT_GE(table->FColumnWidths[2], 253);
    EXPECT_EQ(table->FColumnWidths[0], 2);
    TErrCode code = ErrOk;
    std::string text;
    ASSERT_NO_THROW(document.RenderTo(dc, 0, 0, 0, 0, width, 2000, code, text));
    EXPECT_EQ(code, ErrOk);
}

}  // namespace

TEST(HtmlPages, AboutPageLaysOut)
{
    ExpectLaysOut(AboutPage("up to date."), 733);
    ExpectLaysOut(AboutPage("up to date."), 1920);  // a wide window
    ExpectLaysOut(AboutPage("out of date. Please <a href=\"update\" title=\"Click here to "
                            "auto-update\">update</a> to version 2.10."),
                  733);
}
