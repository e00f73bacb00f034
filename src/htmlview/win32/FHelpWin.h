// The manual window: a viewer filling a sizeable window that opens
// maximised. Modal for "/manual"; opened by F1 it stays, hidden when
// closed, until the program ends.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "htmlview/win32/KvHtmlViewerWin.h"

class TFrmHelp : public TKvWindow {
public:
    // News gives the current news text of the live update.
    TFrmHelp(std::function<std::string()> news, TKvHtmlViewer::TGetImage getImage,
             TKvHtmlViewer::TLinkClick linkClick);
    ~TFrmHelp() override;

    bool Create();
    // The page from the current news; a page the engine refuses raises.
    void BuildManualPage();
    // Until the user closes it; then the window is gone.
    void ShowModal();
    // Shown maximised and brought to the front.
    void ShowFront();
    TKvHtmlViewerWin& Viewer() { return FViewer; }
    // Minimising the manual minimises this window too.
    void SetMainWindow(HWND main) { FMainWindow = main; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<std::string()> FNews;
    TKvHtmlViewerWin FViewer;
    HFONT FFont = nullptr;
    HWND FMainWindow = nullptr;
    bool FModal = false;
    bool FClosed = false;
};
