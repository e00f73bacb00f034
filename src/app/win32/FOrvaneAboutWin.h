// The About tab's viewer and pictures, the manual window and the F1 key,
// for the main window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "htmlview/win32/FHelpWin.h"
#include "htmlview/win32/KvHtmlViewerWin.h"

class TFrmOrvane;

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
    // The images go with the main window (FormDestroy).
    void FormDestroy();

private:
    struct TImage {
        HDC FDc = nullptr;
        HBITMAP FBitmap = nullptr;
        HGDIOBJ FOld = nullptr;
        std::unique_ptr<TKvHtmlImageGdi> FImage;
    };
    bool MakeImage(TImage& image, int width, int height);
    void DrawLogo(TImage& image);
    static void ReleaseImage(TImage& image);
    std::unique_ptr<TFrmHelp> NewManual();

    TFrmOrvane& FLogic;
    HWND FMainWindow = nullptr;
    TKvHtmlViewerWin FHtmAbout;
    TImage FLogo;
    TImage FTiles[3];
    std::unique_ptr<TFrmHelp> FManual;
};
