// The About page byte for byte, and which link targets may reach the shell.
#include <gtest/gtest.h>

#include "FakeTiff.h"
#include "app/FOrvaneAbout.h"
#include "app/StartUp.h"
#include "app/FOrvaneLiveUpdate.h"
#include "html/KvHtml.h"
#include "html/KvHtmlCanvasLog.h"
#include "html/KvHtmlDump.h"

namespace {

std::string CrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

const char* const Page = R"(<html>
<body text="#000000" bgcolor="#D4D0C8" link="#0000ff" alink="#0000ff" vlink="#0000ff">
  <table cellspacing="0" cellpadding="0" width="100%" border="0">
    <col width="2">
    <col width="8">
    <col width="253">
    <col width="8">
    <col width="2">
    <col width="8">
    <col>
    <col width="8">
    <col width="2">
    <tbody>
      <tr>
        <td colspan="5" valign="middle" align="center" bgcolor="#eeeeee">
          <font face="Arial Black" size="4">KESTROVA</font>
        </td>
        <td></td>
        <td valign="middle" align="right">
          <font face="Verdana" size="3"><b>Imaging tools that show what is inside</b></font>
        </td>
        <td></td>
        <td></td>
      </tr>
      <tr>
        <td colspan="5" align="center" valign="middle">
          <a href="http://kestrova.invalid/" title="Kestrova, Imaging tools that show what is inside, Home"><img src="logo" width="273" height="60" alt="Kestrova, Imaging tools that show what is inside, Home" border="0"></a>
        </td>
        <td bgcolor="#eeeeee"></td>
        <td align="right" bgcolor="#eeeeee" valign="middle">
          <font face="Verdana" size="4">Orvane</font>
        </td>
        <td bgcolor="#eeeeee"></td>
        <td bgcolor="#eeeeee"></td>
      </tr>
      <tr>
        <td style="background-image:url(verbar);background-repeat:repeat;"></td>
        <td bgcolor="#eeeeee"></td>
        <td align="center" valign="middle" bgcolor="#eeeeee">
          <h1 style="margin: 1.4em 0 .67em; font-weight: bold; color: rgb(255,102,0); font-size: 1.2em;">Latest news</h1>
          <p>
NEWS          </p>
          <br>
        </td>
        <td bgcolor="#eeeeee"></td>
        <td style="background-image:url(verbar); background-repeat:repeat;"></td>
        <td></td>
        <td align="center" valign="middle">
          <h1 style="margin: 1.4em 0 .67em; font-weight: bold; color: rgb(255,102,0); font-size: 1.2em;">Orvane</h1>
          <p>Current version 2.00 is STATE</p>
          <p>
            Visit <a href="http://kestrova.invalid/" title="Kestrova, Imaging tools that show what is inside">Kestrova</a> on-line.<br>
            Stay tuned to <a href="http://kestrova.invalid/imaging/tiff/orvane.html" title="Orvane, a free TIFF Tag Viewer for Windows">Orvane</a> download page.<br>
          </p>
          <p>
            Please send any feedback, bug reports, or feature requests to <a href="mailto:orvane@kestrova.invalid">orvane@kestrova.invalid</a>.
          </p>
          <br>
        </td>
        <td></td>
        <td style="background-image:url(verbar2);background-repeat:repeat;"></td>
      </tr>
    </tbody>
  </table>
</body>
</html>
)";

}  // namespace

TEST(AboutPage, UpToDateAndOutOfDateDocuments)
{
    ASSERT_TRUE(ParseLiveUpdate("2.00\n1\nfirst<br>\nsecond\n"));
    std::string news = "first<br>\r\nsecond\r\n";
    EXPECT_EQ(BuildAboutPageText(0x00C8D0D4),
              Replace(Replace(CrLf(Page), "NEWS", news), "STATE", "up to date."));

    ASSERT_TRUE(ParseLiveUpdate("2.10\n1\n"));
    std::string page = Replace(CrLf(Page), "NEWS", "");
    page = Replace(page, "#D4D0C8", "#0A0BFF");
    page = Replace(page, "STATE",
                   "out of date. Please <a href=\"update\" title=\"Click here to auto-update\">"
                   "update</a> to version 2.10.");
    EXPECT_EQ(BuildAboutPageText(0x00FF0B0A), page);
}

TEST(AboutPage, OnlyWebAndMailLinksGoToTheShell)
{
    for (const char* href : {"http://a/", "HTTPS://a/", "Mailto:x@y", "http:"})
        EXPECT_TRUE(IsShellSafeHref(href)) << href;
    for (const char* href : {"file:///c:/windows/notepad.exe", "C:\\Windows\\notepad.exe", "calc",
                             "", "javascript:x", " http://a/", "ftp://a/", "httpx://a", "Update"})
        EXPECT_FALSE(IsShellSafeHref(href)) << href;

    TViewerRig rig;
    for (const char* href : {"http://a/", "file:///c:/x.exe", "update", "MAILTO:x@y", "cmd"})
        rig.Frm->AboutLinkClick(href);
    EXPECT_EQ(rig.Host.Opened, (std::vector<std::string>{"http://a/", "MAILTO:x@y"}));
}

TEST(AboutPage, StartUpReadsTheStoredTextAndBuildsThePage)
{
    TViewerRig viewer;
    viewer.Host.Registry.Kind = TKvStoredKind::Binary;
    viewer.Host.Registry.Value = "2.10\n1\nstored news\n";
    viewer.Frm->StartUp("");
    EXPECT_EQ(LatestVersion(), "2.10");
    EXPECT_EQ(viewer.Host.AboutHtml, BuildAboutPageText(0x00C8D0D4));
    EXPECT_NE(viewer.Host.AboutHtml.find("stored news"), std::string::npos);
    EXPECT_TRUE(viewer.Host.HelpKey);

    TViewerRig manual;  // nothing stored: the built-in text, and no viewer set-up
    manual.Frm->StartUp("/manual");
    EXPECT_EQ(LatestVersion(), ProgramVersion);
    EXPECT_EQ(manual.Host.Role, orManual);
    EXPECT_EQ(manual.Host.AboutHtml, "");
    EXPECT_FALSE(manual.Host.HelpKey);
}

// What a reader of the tab sees, as the viewer gives it for its window text.
TEST(AboutPage, FitsTheAboutTabWithOrWithoutNewsAndReadsAsText)
{
    struct {
        const char* FText;
        const char* FReads;
    } cases[] = {
        {"2.00\n1\n", "\r\nLatest news\r\nOrvane\r\nCurrent version 2.00 is up to date.\r\n"},
        {"2.10\n1\nNew <b>thing</b><br>\n<a href=\"x\">x</a>\n",
         "\r\nLatest news\r\nNew thing\r\nx\r\nOrvane\r\nCurrent version 2.00 is out of date. "
         "Please update to version 2.10.\r\n"},
    };
    for (const auto& c : cases) {
        const char* text = c.FText;
        ASSERT_TRUE(ParseLiveUpdate(text));
        TKvHtml document;
        TKvHtmlCanvasLog dc;
        TErrCode code = ErrOk;
        std::string error;
        std::int32_t minimum = 0, maximum = 0, height = 0;
        document.LoadFromString(BuildAboutPageText(0xFFFFFF), code, error);
        document.ComputeMinMaxWidth(dc, minimum, maximum, code, error);
        document.ComputeHeightForWidth(dc, 733, height, code, error);
        EXPECT_EQ(code, ErrOk) << error;
        EXPECT_LE(minimum, 733);
        EXPECT_LE(height, 333) << text;
        std::string reads = KvHtmlPlainText(document);
        EXPECT_NE(reads.find(c.FReads), std::string::npos) << reads;
    }
}
