#include "htmlview/KvPageText.h"

#include "htmlview/OrvaneSite.h"

std::string PageLines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string PageLink(const std::string& href, const std::string& title, const std::string& text)
{
    return "<a href=\"" + href + "\" title=\"" + title + "\">" + text + "</a>";
}

std::string PageMailLink(const std::string& address)
{
    return "<a href=\"mailto:" + address + "\">" + address + "</a>";
}

std::string PageStart(const std::string& background)
{
    return PageLines({"<html>", "<body text=\"#000000\" bgcolor=\"" + background +
                                    "\" link=\"#0000ff\" alink=\"#0000ff\" vlink=\"#0000ff\">"});
}

std::string PageBanner(const std::string& title, bool greyLogoCell)
{
    std::string logoTitle = std::string(MakerName) + ", " + MakerSlogan + ", Home";
    return PageLines({
        "  <table cellspacing=\"0\" cellpadding=\"0\" width=\"100%\" border=\"0\">",
        "    <col width=\"2\">",
        "    <col width=\"8\">",
        "    <col width=\"253\">",
        "    <col width=\"8\">",
        "    <col width=\"2\">",
        "    <col width=\"8\">",
        "    <col>",
        "    <col width=\"8\">",
        "    <col width=\"2\">",
        "    <tbody>",
        "      <tr>",
        "        <td colspan=\"5\" valign=\"middle\" align=\"center\" bgcolor=\"#eeeeee\">",
        "          <font face=\"Arial Black\" size=\"4\">KESTROVA</font>",
        "        </td>",
        "        <td></td>",
        "        <td valign=\"middle\" align=\"right\">",
        std::string("          <font face=\"Verdana\" size=\"3\"><b>") + MakerSlogan +
            "</b></font>",
        "        </td>",
        "        <td></td>",
        "        <td></td>",
        "      </tr>",
        "      <tr>",
        std::string("        <td colspan=\"5\" align=\"center\" valign=\"middle\"") +
            (greyLogoCell ? " bgcolor=\"#eeeeee\">" : ">"),
        "          <a href=\"" + HomePageUrl() + "\" title=\"" + logoTitle +
            "\"><img src=\"logo\" width=\"273\" height=\"60\" alt=\"" + logoTitle +
            "\" border=\"0\"></a>",
        "        </td>",
        "        <td bgcolor=\"#eeeeee\"></td>",
        "        <td align=\"right\" bgcolor=\"#eeeeee\" valign=\"middle\">",
        "          <font face=\"Verdana\" size=\"4\">" + title + "</font>",
        "        </td>",
        "        <td bgcolor=\"#eeeeee\"></td>",
        "        <td bgcolor=\"#eeeeee\"></td>",
        "      </tr>",
    });
}

std::string PageEnd()
{
    return PageLines({"      </tr>", "    </tbody>", "  </table>", "</body>", "</html>"});
}
