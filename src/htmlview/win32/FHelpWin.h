// The manual window: a viewer filling a sizeable window that opens
// maximised. Modal for "/manual"; opened by F1 it stays, hidden when
// closed, until the program ends. Owned by the application window, it has
// no task bar button of its own and minimises with the program.
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

    bool Create(HWND owner);
    // The page from the current news; a page the engine refuses raises.
    void BuildManualPage();
    // Until the user closes it; then the window is gone.
    void ShowModal();
    // Shown maximised and brought to the front.
    void ShowFront();
    TKvHtmlViewerWin& Viewer() { return FViewer; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<std::string()> FNews;
    TKvHtmlViewerWin FViewer;
    HFONT FFont = nullptr;
    bool FModal = false;
    bool FClosed = false;
};
