// The About tab, the manual window and F1, driven by messages as a user's
// keys, clicks and wheel would.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>

#include "WinDriving.h"
#include "app/KvTiffCodecPages.h"
#include "app/win32/FOrvaneWin.h"

namespace {

struct TViewer {
    std::unique_ptr<TFrmOrvaneWin> Win;
    TViewer()
    {
        Win = std::make_unique<TFrmOrvaneWin>("", &CreateTiffCodecPages);
        EXPECT_TRUE(Win->Create());
        Pump([&] { return Win->AboutPage().HtmAbout().Logic().DocumentHeight() > 0; });
    }
    ~TViewer()
    {
        SendMessageA(Win->Handle(), WM_CLOSE, 0, 0);
        Pump([] { return false; }, 50);
    }
};

// A client point of the viewer over a link with this href, or {-1, -1}.
POINT FindLink(TKvHtmlViewer& viewer, const std::string& href, int width, int height)
{
    for (int y = 0; y < height; y += 3)
        for (int x = 0; x < width; x += 3)
            if (TKvHtmlElement* e = viewer.Document()->ElementAt(x, y + viewer.Position()))
                if (e->GetLink().FHref == href)
                    return {x, y};
    return {-1, -1};
}

HWND VisibleManual()
{
    HWND wnd = FindWindowA(nullptr, "Orvane Manual");
    return wnd && IsWindowVisible(wnd) ? wnd : nullptr;
}

}  // namespace

TEST(AboutWindow, AboutTabShowsHeadingGreyCellsAndTiledBars)
{
    TViewer v;
    HWND about = v.Win->AboutPage().HtmAbout().Handle();
    TPicture picture(about);
    ASSERT_EQ(picture.Width(), ScaleToDpi(733));
    EXPECT_GT(picture.Count(RGB(255, 102, 0)), 20);  // the orange headings
    EXPECT_GT(picture.Count(RGB(238, 238, 238)), 1000);
    // The left bar, inside the body's 8-pixel margin: dark and light dashes
    // of four pixels each, two pixels wide.
    int dashes = 0;
    for (int y = 0; y + 4 < picture.Height(); ++y)
        if (picture.At(8, y) == RGB(100, 100, 100) && picture.At(8, y + 4) == RGB(238, 238, 238) &&
            picture.At(9, y) == RGB(100, 100, 100))
            ++dashes;
    EXPECT_GT(dashes, 10);
    // The right bar's light half is the window colour.
    int right = 0;
    for (int y = 0; y + 4 < picture.Height(); ++y)
        if (picture.At(733 - 8 - 1, y) == RGB(100, 100, 100) &&
            picture.At(733 - 8 - 1, y + 4) == GetSysColor(COLOR_BTNFACE))
            ++right;
    EXPECT_GT(right, 10);
}

// F1 opens the manual maximised; the manual scrolls by its contents links,
// the wheel and the bar, shows tips, draws without the main window's
// pictures, and F1 brings the same window back.
TEST(AboutWindow, F1OpensOneManualThatScrollsShowsTipsAndKeepsItsPictures)
{
    TViewer v;
    PostMessageA(v.Win->Control(idLivTags), WM_KEYDOWN, VK_F1, 0);
    Pump([] { return VisibleManual() != nullptr; });
    HWND first = VisibleManual();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(IsZoomed(first));
    TFrmHelp* manual = v.Win->AboutPage().Manual();
    ASSERT_NE(manual, nullptr);
    HWND view = manual->Viewer().Handle();
    TKvHtmlViewer& logic = manual->Viewer().Logic();
    Pump([&] { return logic.VerticalBarShown(); });
    RECT r;
    GetClientRect(view, &r);
    ASSERT_TRUE(logic.VerticalBarShown()) << "the manual fits a " << r.bottom << " pixel window";

    POINT link = FindLink(logic, "#links", 260, r.bottom);
    ASSERT_GE(link.x, 0);
    SendMessageA(view, WM_MOUSEMOVE, 0, MAKELPARAM(link.x, link.y));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(link.x, link.y));
    std::int32_t top = logic.Document()->FindById("links")->GetTop();
    std::int32_t bottom = logic.DocumentHeight() - logic.PaintHeight();
    EXPECT_EQ(logic.Position(), top < bottom ? top : bottom);
    EXPECT_EQ(GetScrollPos(view, SB_VERT), logic.Position());

    SendMessageA(view, WM_VSCROLL, SB_TOP, 0);
    SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(GetScrollPos(view, SB_VERT), 30);
    SendMessageA(view, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(GetScrollPos(view, SB_VERT), 50);
    SendMessageA(view, WM_VSCROLL, SB_TOP, 0);

    // A titled link of the news: the tip appears once the mouse rests.
    POINT news = FindLink(logic, "http://kestrova.invalid/imaging/tiff/orvane.html", 260, r.bottom);
    ASSERT_GE(news.x, 0);
    SendMessageA(view, WM_MOUSEMOVE, 0, MAKELPARAM(news.x, news.y));
    EXPECT_EQ(FindWindowA("KvHtmlViewerHintClass", nullptr), nullptr);
    Pump([] { return FindWindowA("KvHtmlViewerHintClass", nullptr) != nullptr; }, 3000);
    HWND tip = FindWindowA("KvHtmlViewerHintClass", nullptr);
    ASSERT_NE(tip, nullptr);
    RECT tipRect;
    GetWindowRect(tip, &tipRect);
    POINT at{news.x + 16, news.y + 16};
    ClientToScreen(view, &at);
    EXPECT_EQ(tipRect.left, at.x);
    EXPECT_EQ(tipRect.top, at.y);
    SendMessageA(view, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(FindWindowA("KvHtmlViewerHintClass", nullptr), nullptr);

    SendMessageA(first, WM_CLOSE, 0, 0);
    EXPECT_EQ(VisibleManual(), nullptr);
    PostMessageA(v.Win->Handle(), WM_KEYDOWN, VK_F1, 0);
    Pump([] { return VisibleManual() != nullptr; });
    EXPECT_EQ(VisibleManual(), first);

    // The main window lets go of the About page's pictures (as it does when
    // it closes): the manual still draws its bars.
    auto darkDashes = [&] {
        SendMessageA(view, WM_VSCROLL, SB_LINEDOWN, 0);  // renders the page again
        SendMessageA(view, WM_VSCROLL, SB_TOP, 0);
        return TPicture(view).Count(RGB(100, 100, 100));
    };
    const int before = darkDashes();
    ASSERT_GT(before, 10);
    v.Win->AboutPage().FormDestroy();
    EXPECT_EQ(darkDashes(), before);
    SendMessageA(first, WM_CLOSE, 0, 0);
}

// At 120 DPI the About tab's viewer grows with its tab, as every control
// does. The DPI a program sees is read when it starts: the program runs in
// a process of its own, and the setting goes back at once.
TEST(AboutWindow, AboutViewerIsScaledForTheScreenDpi)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const DWORD dpi = 120;
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), 4);
    RECT r{};
    {
        TRunning program(ORVANE_EXE, "");
        HWND main = WaitForWindowOfClass(program.Id(), "Kestrova TFrmOrvane");
        HWND viewer = nullptr;
        WaitFor([&] {
            return main && (viewer = ChildWithText(main, "", "Kestrova TKvHtmlViewer")) != nullptr;
        });
        RegDeleteValueA(key, "LogPixels");
        RegCloseKey(key);
        if (viewer)
            GetWindowRect(viewer, &r);
    }
    EXPECT_EQ(r.right - r.left, MulDiv(733, 120, 96));
    EXPECT_EQ(r.bottom - r.top, MulDiv(333, 120, 96));
}

TEST(AboutWindow, ManualSwitchShowsMaximisedWindowUnderTheApplicationsButton)
{
    TRunning program(ORVANE_EXE, "/manual");
    HWND manual = program.Window("Orvane Manual", 20000);
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(IsZoomed(manual));
    EXPECT_EQ(TaskBarTexts(program.Id()), std::vector<std::string>({"Orvane"}));
    // Minimised, the manual goes with the program's task bar button, which
    // brings it back as it was.
    PostMessageA(manual, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(manual); }, 5000));
    HWND application = GetWindow(manual, GW_OWNER);
    EXPECT_TRUE(IsIconic(application));
    PostMessageA(application, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(manual) && IsZoomed(manual); }, 5000));
    PostMessageA(manual, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.Ended(20000));
}
