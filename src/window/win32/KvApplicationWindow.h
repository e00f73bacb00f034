// The application window: a window of no size that owns the main window, so
// that the task bar button and Alt+Tab show its caption, the application
// title, while the main window keeps a caption of its own. The user never
// sees it; it passes activation on to the window that should have it and
// hides and shows the program's windows when the task bar minimises or
// restores the program.
#pragma once

#include <string>
#include <vector>

#include "window/win32/KvWindow.h"

class TKvApplicationWindow : public TKvWindow {
public:
    // Created hidden; the task bar lists it once it is shown.
    bool Create(const std::string& title);
    void SetTitle(const std::string& title);
    std::string Title() const;

    // The window that activation falls back to and that closing the
    // application closes.
    void SetMainWindow(HWND main) { FMain = main; }
    // Shows the window (of no size, without activating it) so that the task
    // bar lists the program.
    void ShowInTaskBar();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND ActivationTarget() const;
    void ActivateTarget();
    void HideOwnedWindows();
    void ShowHiddenWindows();

    HWND FMain = nullptr;
    // Windows hidden while minimised, topmost first.
    std::vector<HWND> FHidden;
};
