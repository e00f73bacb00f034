// The About tab's viewer and pictures, the manual window and the F1 key,
// for the main window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "htmlview/win32/FHelpWin.h"
#include "htmlview/win32/KvHtmlViewerWin.h"

class TFrmOrvane;

// The About page's pictures, made at their first request. An open manual
// shows them too and keeps a share, so they outlive the main window's release.
class TAboutImages {
public:
    TAboutImages() = default;
    ~TAboutImages();
    TAboutImages(const TAboutImages&) = delete;
    TAboutImages& operator=(const TAboutImages&) = delete;

    void Request(const std::string& name, TKvHtmlImage*& image, std::int32_t& width,
                 std::int32_t& height);

private:
    struct TImage {
        HDC FDc = nullptr;
        HBITMAP FBitmap = nullptr;
        HGDIOBJ FOld = nullptr;
        std::unique_ptr<TKvHtmlImageGdi> FImage;
    };
    static bool MakeImage(TImage& image, int width, int height);
    static void DrawLogo(TImage& image);
    static void ReleaseImage(TImage& image);

    TImage FLogo;
    TImage FTiles[3];
};

class TOrvaneAboutWin {
public:
    explicit TOrvaneAboutWin(TFrmOrvane& logic) : FLogic(logic) {}
    ~TOrvaneAboutWin();
    TOrvaneAboutWin(const TOrvaneAboutWin&) = delete;
    TOrvaneAboutWin& operator=(const TOrvaneAboutWin&) = delete;

    // HtmAbout on the About tab's sheet.
    bool Create(HWND mainWindow, HWND sheet);
    TKvHtmlViewerWin& HtmAbout() { return FHtmAbout; }

    // "/manual": the manual, modal, until the user closes it.
    void RunManual();
    // F1: one manual window per process, brought to the front each time.
    void ShowManual();
    // From now on F1 in any window of the thread opens the manual.
    void InstallHelpKey();
    TFrmHelp* Manual() { return FManual.get(); }

    void AboutImageRequest(const std::string& name, TKvHtmlImage*& image, std::int32_t& width,
                           std::int32_t& height);
    void AboutLinkClick(const std::string& href);
    // The main window lets go of the images (an open manual keeps its share).
    void FormDestroy() { FImages.reset(); }

private:
    std::unique_ptr<TFrmHelp> NewManual();

    TFrmOrvane& FLogic;
    HWND FMainWindow = nullptr;
    TKvHtmlViewerWin FHtmAbout;
    std::shared_ptr<TAboutImages> FImages = std::make_shared<TAboutImages>();
    std::unique_ptr<TFrmHelp> FManual;
};
