#include "app/FOrvaneAbout.h"

#include "app/FOrvaneLiveUpdate.h"
#include "htmlview/KvPageText.h"
#include "htmlview/OrvaneSite.h"

namespace {

std::string MakerTitle()
{
    return std::string(MakerName) + ", " + MakerSlogan;
}

std::string StateText()
{
    if (LatestVersion() == ProgramVersion)
        return "up to date.";
    return "out of date. Please " + PageLink(UpdateHref, "Click here to auto-update", "update") +
           " to version " + LatestVersion() + ".";
}

std::string NewsCell(const std::string& news)
{
    return PageLines({
               "        <td style=\"background-image:url(verbar);background-repeat:repeat;\"></td>",
               "        <td bgcolor=\"#eeeeee\"></td>",
               "        <td align=\"center\" valign=\"middle\" bgcolor=\"#eeeeee\">",
               std::string("          <h1 style=\"") + PageHeadingStyle + "\">Latest news</h1>",
               "          <p>",
           }) +
           news +
           PageLines({
               "          </p>",
               "          <br>",
               "        </td>",
               "        <td bgcolor=\"#eeeeee\"></td>",
               "        <td style=\"background-image:url(verbar); "
               "background-repeat:repeat;\"></td>",
           });
}

std::string VersionCell()
{
    return PageLines({
        "        <td></td>",
        "        <td align=\"center\" valign=\"middle\">",
        std::string("          <h1 style=\"") + PageHeadingStyle + "\">Orvane</h1>",
        std::string("          <p>Current version ") + ProgramVersion + " is " + StateText() +
            "</p>",
        "          <p>",
        "            Visit " + PageLink(HomePageUrl(), MakerTitle(), MakerName) + " on-line.<br>",
        "            Stay tuned to " + PageLink(ProductPageUrl(), ProductPageTitle, "Orvane") +
            " download page.<br>",
        "          </p>",
        "          <p>",
        "            Please send any feedback, bug reports, or feature requests to " +
            PageMailLink(FeedbackAddress()) + ".",
        "          </p>",
        "          <br>",
        "        </td>",
        "        <td></td>",
        "        <td style=\"background-image:url(verbar2);background-repeat:repeat;\"></td>",
    });
}

}  // namespace

std::string HtmlColourText(std::uint32_t colour)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "#";
    for (int shift : {0, 8, 16}) {
        std::uint32_t byte = (colour >> shift) & 0xFFu;
        text += digits[byte >> 4];
        text += digits[byte & 0xFu];
    }
    return text;
}

std::string BuildAboutPageText(std::uint32_t windowColour)
{
    return BuildAboutPageText(windowColour, LatestNews());
}

std::string BuildAboutPageText(std::uint32_t windowColour, const std::string& news)
{
    return PageStart(HtmlColourText(windowColour)) + PageBanner("Orvane", false) +
           PageLines({"      <tr>"}) + NewsCell(news) + VersionCell() + PageEnd();
}

bool IsShellSafeHref(const std::string& href)
{
    std::string lower;
    for (char c : href.substr(0, 8))
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    for (const char* scheme : {"http:", "https:", "mailto:"})
        if (lower.rfind(scheme, 0) == 0)
            return true;
    return false;
}
