#include "app/win32/FOrvaneAboutWin.h"

#include <shellapi.h>

#include "app/FOrvane.h"
#include "app/FOrvaneLiveUpdate.h"
#include "window/win32/KvMessages.h"

namespace {

constexpr int LogoWidth = 273;
constexpr int LogoHeight = 60;
constexpr int TileWidth = 2;
constexpr int TileHeight = 8;
constexpr DWORD LogoBitsOffset = 54;
constexpr DWORD LogoInfoOffset = 14;

// The thread's F1 hook and the window it reports to.
HHOOK HelpHook = nullptr;
HWND HelpTarget = nullptr;

LRESULT CALLBACK ApplicationMessage(int code, WPARAM wParam, LPARAM lParam)
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_KEYDOWN &&
        msg->wParam == VK_F1) {
        // Handled: the key goes no further.
        msg->message = WM_NULL;
        PostMessageA(HelpTarget, WM_SHOWMANUAL, 0, 0);
    }
    return CallNextHookEx(HelpHook, code, wParam, lParam);
}

int TileIndex(const std::string& name)
{
    if (name == "url(verbar)")
        return 0;
    if (name == "url(verbar2)")
        return 1;
    return 2;
}

}  // namespace

TOrvaneAboutWin::~TOrvaneAboutWin()
{
    if (HelpHook && HelpTarget == FMainWindow) {
        UnhookWindowsHookEx(HelpHook);
        HelpHook = nullptr;
    }
    FManual.reset();
}

bool TOrvaneAboutWin::Create(HWND mainWindow, HWND sheet)
{
    FMainWindow = mainWindow;
    FHtmAbout.Logic().OnGetImage =
        [this](TKvHtmlViewer&, const std::string& name, TKvHtmlImage*& image, std::int32_t& width,
               std::int32_t& height) { AboutImageRequest(name, image, width, height); };
    FHtmAbout.Logic().OnLinkClick = [this](TKvHtmlViewer&, const std::string& href) {
        AboutLinkClick(href);
    };
    return FHtmAbout.Create(sheet, ScaleToDpi(10), ScaleToDpi(10), ScaleToDpi(733), ScaleToDpi(333),
                            false);
}

std::unique_ptr<TFrmHelp> TOrvaneAboutWin::NewManual()
{
    std::shared_ptr<TAboutImages> images = FImages;
    auto manual = std::make_unique<TFrmHelp>(
        [] { return LatestNews(); },
        [images](TKvHtmlViewer&, const std::string& name, TKvHtmlImage*& image, std::int32_t& width,
                 std::int32_t& height) {
            image = nullptr;
            if (images)
                images->Request(name, image, width, height);
        },
        [this](TKvHtmlViewer&, const std::string& href) { AboutLinkClick(href); });
    if (!manual->Create(GetWindow(FMainWindow, GW_OWNER)))
        return nullptr;
    return manual;
}

void TOrvaneAboutWin::RunManual()
{
    FManual = NewManual();
    if (FManual)
        FManual->ShowModal();
    FManual.reset();
}

void TOrvaneAboutWin::ShowManual()
{
    if (!FManual)
        FManual = NewManual();
    if (FManual)
        FManual->ShowFront();
}

void TOrvaneAboutWin::InstallHelpKey()
{
    if (HelpHook)
        return;
    HelpTarget = FMainWindow;
    HelpHook = SetWindowsHookExA(WH_GETMESSAGE, &ApplicationMessage, nullptr, GetCurrentThreadId());
}

void TOrvaneAboutWin::AboutLinkClick(const std::string& href)
{
    FLogic.AboutLinkClick(href);
}

bool TAboutImages::MakeImage(TImage& image, int width, int height)
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return false;
    image.FBitmap = CreateCompatibleBitmap(screen, width, height);
    image.FDc = image.FBitmap ? CreateCompatibleDC(screen) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!image.FDc) {
        if (image.FBitmap)
            DeleteObject(image.FBitmap);
        image.FBitmap = nullptr;
        return false;
    }
    image.FOld = SelectObject(image.FDc, image.FBitmap);
    image.FImage = std::make_unique<TKvHtmlImageGdi>(image.FDc);
    return true;
}

void TAboutImages::DrawLogo(TImage& image)
{
    HRSRC info = FindResourceA(nullptr, "KVLOGO", MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL data = info ? LoadResource(nullptr, info) : nullptr;
    const auto* bytes = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
    if (!bytes || SizeofResource(nullptr, info) < LogoBitsOffset) {
        ReleaseImage(image);  // a missing resource leaves the logo absent
        return;
    }
    const auto* header = reinterpret_cast<const BITMAPINFO*>(bytes + LogoInfoOffset);
    SetDIBitsToDevice(image.FDc, 0, 0, LogoWidth, LogoHeight, 0, 0, 0, LogoHeight,
                      bytes + LogoBitsOffset, header, DIB_RGB_COLORS);
}

void TOrvaneAboutWin::AboutImageRequest(const std::string& name, TKvHtmlImage*& image,
                                        std::int32_t& width, std::int32_t& height)
{
    image = nullptr;
    if (FImages)
        FImages->Request(name, image, width, height);
}

TAboutImages::~TAboutImages()
{
    for (TImage* image : {&FLogo, &FTiles[0], &FTiles[1], &FTiles[2]})
        ReleaseImage(*image);
}

void TAboutImages::Request(const std::string& name, TKvHtmlImage*& image, std::int32_t& width,
                           std::int32_t& height)
{
    if (name == "logo") {
        if (!FLogo.FDc && MakeImage(FLogo, LogoWidth, LogoHeight))
            DrawLogo(FLogo);
        image = FLogo.FImage.get();
        width = LogoWidth;
        height = LogoHeight;
        return;
    }
    int index = TileIndex(name);
    TImage& tile = FTiles[index];
    if (!tile.FDc && MakeImage(tile, TileWidth, TileHeight)) {
        static const COLORREF lower[2] = {RGB(238, 238, 238), RGB(255, 255, 255)};
        COLORREF bottom = index == 1 ? GetSysColor(COLOR_BTNFACE) : lower[index == 0 ? 0 : 1];
        HBRUSH dark = CreateSolidBrush(RGB(100, 100, 100));
        HBRUSH light = CreateSolidBrush(bottom);
        RECT upper{0, 0, TileWidth, TileHeight / 2};
        RECT rest{0, TileHeight / 2, TileWidth, TileHeight};
        FillRect(tile.FDc, &upper, dark);
        FillRect(tile.FDc, &rest, light);
        DeleteObject(dark);
        DeleteObject(light);
    }
    image = tile.FImage.get();
    width = TileWidth;
    height = TileHeight;
}

void TAboutImages::ReleaseImage(TImage& image)
{
    if (image.FDc) {
        SelectObject(image.FDc, image.FOld);
        DeleteDC(image.FDc);
    }
    if (image.FBitmap)
        DeleteObject(image.FBitmap);
    image = TImage{};
}
