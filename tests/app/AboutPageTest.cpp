// The About page: what changes in it, how it fits its tab, and which link
// targets may reach the shell.
#include <gtest/gtest.h>

#include "FakeTiff.h"
#include "app/FOrvaneAbout.h"
#include "app/StartUp.h"
#include "app/FOrvaneLiveUpdate.h"
#include "app/OrvaneLiveUpdateHost.h"
#include "html/KvHtml.h"
#include "html/KvHtmlCanvasLog.h"
#include "html/KvHtmlDump.h"

namespace {

std::vector<std::string> Hrefs(const std::string& page)
{
    std::vector<std::string> hrefs;
    for (auto at = page.find("href=\""); at != std::string::npos; at = page.find("href=\"", at)) {
        at += 6;
        hrefs.push_back(page.substr(at, page.find('"', at) - at));
    }
    return hrefs;
}

bool AllLinesEndInCrLf(const std::string& page)
{
    for (auto at = page.find('\n'); at != std::string::npos; at = page.find('\n', at + 1))
        if (at == 0 || page[at - 1] != '\r')
            return false;
    return true;
}

}  // namespace

// The page's parts that change: the window colour, the news as stored, the
// version state with its update link; the links around them stay.
TEST(AboutPage, UpToDateAndOutOfDateDocuments)
{
    const std::string home = "http://kestrova.invalid/", mail = "mailto:orvane@kestrova.invalid",
                      product = "http://kestrova.invalid/imaging/tiff/orvane.html";
    ASSERT_TRUE(ParseLiveUpdate("2.00\n1\nfirst<br>\nsecond\n"));
    std::string page = BuildAboutPageText(0x00C8D0D4);
    EXPECT_TRUE(AllLinesEndInCrLf(page));
    EXPECT_NE(page.find("<body text=\"#000000\" bgcolor=\"#D4D0C8\""), std::string::npos);
    EXPECT_NE(page.find("<p>\r\nfirst<br>\r\nsecond\r\n          </p>"), std::string::npos);
    EXPECT_NE(page.find("<p>Current version 2.00 is up to date.</p>"), std::string::npos);
    EXPECT_EQ(Hrefs(page), (std::vector<std::string>{home, home, product, mail}));

    ASSERT_TRUE(ParseLiveUpdate("2.10\n1\n"));
    page = BuildAboutPageText(0x00FF0B0A);
    EXPECT_TRUE(AllLinesEndInCrLf(page));
    EXPECT_NE(page.find("bgcolor=\"#0A0BFF\""), std::string::npos);
    EXPECT_NE(page.find("<p>\r\n          </p>"), std::string::npos);
    EXPECT_NE(page.find("<p>Current version 2.00 is out of date. Please <a href=\"update\" "
                        "title=\"Click here to auto-update\">update</a> to version 2.10.</p>"),
              std::string::npos);
    EXPECT_EQ(Hrefs(page), (std::vector<std::string>{home, "update", home, product, mail}));
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

namespace {

// Opens the update window by calling WhileOpen from inside it, as its modal
// loop would run whatever arrives meanwhile.
class TUpdateWindowHost : public IKvLiveUpdateHost {
public:
    TFakeRegistry Registry;
    int Asks = 0, UpdateWindows = 0;
    std::function<void()> WhileOpen;

    IKvLiveUpdateRegistry& LiveUpdateRegistry() override { return Registry; }
    std::function<void()> LiveUpdatePoster() override
    {
        return [] {};
    }
    void RebuildLiveUpdatePages() override {}
    bool AskForUpdate() override { return ++Asks, true; }
    bool ShowUpdateWindow(TErrCode& status, std::string&) override
    {
        if (++UpdateWindows == 1 && WhileOpen)  // once: a second window would nest for ever
            WhileOpen();
        status = ErrAborted;
        return false;
    }
};

}  // namespace

// The update link marks the prompt as shown: a live update that arrives while
// its window is open asks nothing, and nothing opens a second window.
TEST(AboutPage, UpdateLinkOpensOneUpdateWindowAtATime)
{
    TViewerRig rig;
    TUpdateWindowHost host;
    rig.Frm->SetLiveUpdateHost(&host);
    ASSERT_TRUE(ParseLiveUpdate("9.99\r\n4096\r\n"));
    host.WhileOpen = [&] {
        rig.Frm->PromptForUpdate();
        rig.Frm->AboutLinkClick(UpdateHref);
    };
    rig.Frm->AboutLinkClick(UpdateHref);
    EXPECT_EQ(host.UpdateWindows, 1);
    EXPECT_EQ(host.Asks, 0);
    host.WhileOpen = nullptr;
    rig.Frm->AboutLinkClick(UpdateHref);  // once closed, the link works again
    EXPECT_EQ(host.UpdateWindows, 2);
    rig.Frm->PromptForUpdate();
    EXPECT_EQ(host.Asks, 0);
    ParseLiveUpdate(DefaultLiveUpdateText());
}
