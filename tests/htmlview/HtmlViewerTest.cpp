// The viewer's decisions without a window: bars, scroll arithmetic, wheel,
// hover and tip delay, anchors, and how a failed page is shown.
#include <gtest/gtest.h>

#include "html/KvHtmlCanvasLog.h"
#include "htmlview/KvHtmlViewer.h"

namespace {

class TFakeControl : public IKvHtmlViewerControl {
public:
    std::int32_t Width = 400;
    std::int32_t Height = 300;
    bool Vertical = false;
    bool Horizontal = false;
    std::int32_t BarPosition = -1, BarMaximum = -1, BarPage = -1;
    std::int32_t HBarMaximum = -1;
    TKvHtmlCanvasLog Canvas;
    std::string Failure;
    int TimersStarted = 0;
    bool TimerRunning = false;
    bool HandCursor = false;
    std::string Tip;
    std::int32_t TipX = 0, TipY = 0;

    void ClientSize(std::int32_t& width, std::int32_t& height) override
    {
        width = Width - (Vertical ? 17 : 0);
        height = Height - (Horizontal ? 17 : 0);
    }
    std::int32_t VerticalBarWidth() override { return 17; }
    std::int32_t HorizontalBarHeight() override { return 17; }
    void ShowBars(bool vertical, bool horizontal) override
    {
        Vertical = vertical;
        Horizontal = horizontal;
    }
    void SetVerticalBar(std::int32_t position, std::int32_t maximum, std::int32_t page) override
    {
        BarPosition = position;
        BarMaximum = maximum;
        BarPage = page;
    }
    void SetHorizontalBar(std::int32_t maximum, std::int32_t) override { HBarMaximum = maximum; }
    void SetVerticalPosition(std::int32_t position) override { BarPosition = position; }
    TKvHtmlCanvas* Surface(std::int32_t, std::int32_t) override { return &Canvas; }
    void DrawFailure(const std::string& text, std::int32_t, std::int32_t) override
    {
        Failure = text;
    }
    void Invalidate() override {}
    void UpdateNow() override {}
    void PostLayout() override {}
    void StartTipTimer(std::uint32_t ms) override
    {
        EXPECT_EQ(ms, 250u);
        ++TimersStarted;
        TimerRunning = true;
    }
    void StopTipTimer() override { TimerRunning = false; }
    void SetLinkCursor(bool onLink) override { HandCursor = onLink; }
    void ShowTip(std::int32_t x, std::int32_t y, const std::string& title) override
    {
        Tip = title;
        TipX = x;
        TipY = y;
    }
    void HideTip() override { Tip.clear(); }
};

// Body margins 8; 16-pixel lines; every character 8 pixels wide.
std::string Page(int paragraphs, const std::string& head = "")
{
    std::string text = "<html><body>" + head;
    for (int i = 0; i < paragraphs; ++i)
        text += "<h1 id=\"s" + std::to_string(i) + "\">S</h1><p>Para</p>";
    return text + "</body></html>";
}

struct TRig {
    TFakeControl Control;
    TKvHtmlViewer Viewer{Control};
    std::vector<std::string> Clicked;
    TRig()
    {
        Viewer.OnLinkClick = [this](TKvHtmlViewer&, const std::string& href) {
            Clicked.push_back(href);
        };
    }
    void Show(const std::string& html)
    {
        Viewer.SetHtml(html);
        Viewer.Layout();
    }
};

}  // namespace

TEST(HtmlViewer, BarsFollowTheDocumentSize)
{
    TRig fits;
    fits.Show(Page(1));
    EXPECT_FALSE(fits.Control.Vertical);
    EXPECT_FALSE(fits.Control.Horizontal);
    EXPECT_EQ(fits.Viewer.LayoutWidth(), 400);

    TRig tall;
    tall.Show(Page(20));
    EXPECT_TRUE(tall.Control.Vertical);
    EXPECT_FALSE(tall.Control.Horizontal);
    EXPECT_EQ(tall.Viewer.LayoutWidth(), 383);  // redone at the narrow width
    EXPECT_GT(tall.Viewer.DocumentHeight(), 300);
    EXPECT_EQ(tall.Control.BarMaximum, tall.Viewer.DocumentHeight());
    EXPECT_EQ(tall.Control.BarPage, 300);

    TRig narrow;
    narrow.Control.Width = 40;
    narrow.Show(Page(20, "<p>Averyveryverylongword</p>"));
    EXPECT_TRUE(narrow.Control.Vertical);
    EXPECT_TRUE(narrow.Control.Horizontal);
    EXPECT_EQ(narrow.Viewer.LayoutWidth(), 21 * 8 + 16);
    EXPECT_EQ(narrow.Control.HBarMaximum, narrow.Viewer.LayoutWidth());
    EXPECT_EQ(narrow.Control.BarPage, 283);
}

TEST(HtmlViewer, ScrollRequestsWheelAndClamps)
{
    TRig rig;
    rig.Show(Page(20));
    std::int32_t bottom = rig.Viewer.DocumentHeight() - 300;
    struct {
        TKvScrollRequest Request;
        std::int32_t Thumb;
        std::int32_t Expected;
    } steps[] = {
        {TKvScrollRequest::LineDown, 0, 20},     {TKvScrollRequest::PageDown, 0, 320},
        {TKvScrollRequest::LineUp, 0, 300},      {TKvScrollRequest::PageUp, 0, 0},
        {TKvScrollRequest::LineUp, 0, 0},        {TKvScrollRequest::ThumbTrack, 77, 77},
        {TKvScrollRequest::EndScroll, 0, 77},    {TKvScrollRequest::Bottom, 0, bottom},
        {TKvScrollRequest::LineDown, 0, bottom}, {TKvScrollRequest::ThumbPosition, 99999, bottom},
        {TKvScrollRequest::Top, 0, 0},
    };
    for (const auto& s : steps) {
        rig.Viewer.Scroll(s.Request, s.Thumb);
        EXPECT_EQ(rig.Viewer.Position(), s.Expected) << static_cast<int>(s.Request);
        EXPECT_EQ(rig.Control.BarPosition, s.Expected);
    }
    EXPECT_TRUE(rig.Viewer.Wheel(-120));
    EXPECT_EQ(rig.Viewer.Position(), 30);
    EXPECT_TRUE(rig.Viewer.Wheel(-7));  // 7 / 4 truncates to 1
    EXPECT_EQ(rig.Viewer.Position(), 31);
    EXPECT_TRUE(rig.Viewer.Wheel(240));
    EXPECT_EQ(rig.Viewer.Position(), 0);

    TRig fits;
    fits.Show(Page(1));
    EXPECT_FALSE(fits.Viewer.Wheel(-120));
    fits.Viewer.Scroll(TKvScrollRequest::Bottom, 0);  // shorter than the view: stays at 0
    EXPECT_EQ(fits.Viewer.Position(), 0);
}

TEST(HtmlViewer, TipWaitsForTheMouseToRestOnATitledLink)
{
    TRig rig;
    rig.Show("<html><body><p><a href=\"http://x/\" title=\"Go there\">Link</a> "
             "<a href=\"http://y/\">Bare</a></p></body></html>");
    // Y 28 lies on the paragraph's first line.
    rig.Viewer.MouseMove(10, 28);
    EXPECT_TRUE(rig.Control.HandCursor);
    EXPECT_EQ(rig.Control.TimersStarted, 1);
    rig.Viewer.MouseMove(10, 28);  // same point: nothing restarts
    EXPECT_EQ(rig.Control.TimersStarted, 1);
    rig.Viewer.MouseMove(11, 28);  // a new point restarts the delay
    EXPECT_EQ(rig.Control.TimersStarted, 2);
    rig.Viewer.TipTimer();
    EXPECT_EQ(rig.Control.Tip, "Go there");
    EXPECT_EQ(rig.Control.TipX, 27);
    EXPECT_EQ(rig.Control.TipY, 44);
    EXPECT_FALSE(rig.Control.TimerRunning);

    rig.Viewer.MouseMove(8 + 5 * 8 + 2, 28);  // untitled link: hand, no tip, no timer
    EXPECT_TRUE(rig.Control.HandCursor);
    EXPECT_EQ(rig.Control.Tip, "");
    EXPECT_EQ(rig.Control.TimersStarted, 2);
    rig.Viewer.Click();
    rig.Viewer.MouseMove(300, 200);
    EXPECT_FALSE(rig.Control.HandCursor);
    rig.Viewer.Click();
    EXPECT_EQ(rig.Clicked, std::vector<std::string>{"http://y/"});
}

// A page rebuilt under a resting mouse (a live update, the manual rebuilt):
// the old page's link is gone until the mouse moves over the new one.
TEST(HtmlViewer, RebuiltPageForgetsTheLinkUnderTheMouse)
{
    TRig rig;
    rig.Show("<html><body><p><a href=\"http://old/\">Link</a></p></body></html>");
    rig.Viewer.MouseMove(10, 28);
    ASSERT_TRUE(rig.Control.HandCursor);
    rig.Viewer.SetHtml("<html><body><p><a href=\"http://new/\">Link</a></p></body></html>");
    EXPECT_FALSE(rig.Control.HandCursor);
    rig.Viewer.Click();  // before the new page's layout
    rig.Viewer.Layout();
    rig.Viewer.Click();
    EXPECT_TRUE(rig.Clicked.empty());
    rig.Viewer.MouseMove(11, 28);
    rig.Viewer.Click();
    EXPECT_EQ(rig.Clicked, std::vector<std::string>{"http://new/"});
}

TEST(HtmlViewer, AnchorsScrollOnlyToExistingSectionsOfATallPage)
{
    std::string links =
        "<p><a href=\"#s12\">to</a> <a href=\"#none\">no</a> <a href=\"\">e</a></p>";
    TRig rig;
    rig.Show(Page(20, links));
    rig.Viewer.MouseMove(10, 28);
    rig.Viewer.Click();
    std::int32_t top = rig.Viewer.Document()->FindById("s12")->GetTop();
    EXPECT_EQ(rig.Viewer.Position(), top);
    rig.Viewer.Scroll(TKvScrollRequest::Top, 0);
    for (std::int32_t x : {8 + 3 * 8 + 2, 8 + 6 * 8 + 2}) {  // "#none", then the empty href
        rig.Viewer.MouseMove(x, 28);
        rig.Viewer.Click();
        EXPECT_EQ(rig.Viewer.Position(), 0);
    }
    EXPECT_TRUE(rig.Clicked.empty());

    TRig fits;
    fits.Show("<html><body>" + links + "<h1 id=\"s12\">S</h1></body></html>");
    fits.Viewer.MouseMove(10, 28);
    fits.Viewer.Click();
    EXPECT_EQ(fits.Viewer.Position(), 0);
}

TEST(HtmlViewer, FailedPageShowsItsTextAtEveryLayoutUntilANewText)
{
    TRig rig;
    rig.Show(Page(20, "<p><span>x</span></p>"));
    EXPECT_NE(rig.Control.Failure.find("; span in root html body p"), std::string::npos);
    EXPECT_FALSE(rig.Control.Vertical);
    rig.Control.Failure.clear();
    rig.Control.Height = 200;  // resize: the same text again, never a half page
    rig.Viewer.Layout();
    EXPECT_NE(rig.Control.Failure.find("; span in root html body p"), std::string::npos);
    rig.Viewer.MouseMove(10, 28);
    EXPECT_FALSE(rig.Control.HandCursor);

    rig.Control.Failure.clear();
    rig.Show(Page(20));
    EXPECT_EQ(rig.Control.Failure, "");
    EXPECT_TRUE(rig.Control.Vertical);
}
