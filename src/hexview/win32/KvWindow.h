// The base of the program's own window classes: the class keeps the object
// pointer from WM_NCCREATE on, and the window procedure only hands messages to
// the object's handler. No C++ exception leaves the procedure.
#pragma once

#include <windows.h>

#include <string>

#include "hexview/PlaceNearRect.h"

class TKvWindow {
public:
    TKvWindow() = default;
    virtual ~TKvWindow();
    TKvWindow(const TKvWindow&) = delete;
    TKvWindow& operator=(const TKvWindow&) = delete;

    HWND Handle() const { return FHandle; }

protected:
    static void RegisterOnce(const char* className, UINT classStyle, HBRUSH background);
    bool CreateHandle(DWORD exStyle, const char* className, const char* text, DWORD style, int x,
                      int y, int width, int height, HWND parent, UINT_PTR id);
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND FHandle = nullptr;
    HFONT FFont = nullptr;
};

// A control that draws all of itself: it erases nothing, and paints the same
// way for WM_PAINT and WM_PRINTCLIENT (which tests and screenshots use).
class TKvPaintedWindow : public TKvWindow {
protected:
    virtual void Paint(HDC dc, const RECT& band) = 0;
    // True when msg was a painting message, with its result in result.
    bool HandlePaintMessage(UINT msg, WPARAM wParam, LRESULT& result);
};

// Shows an internal failure that reached a window procedure.
void ReportWindowFailure(HWND owner, const std::string& text);

// The screen's work area, or 0, 0, 1024, 768 when it cannot be had.
TKvRect ScreenWorkArea();
TKvRect WindowRectOf(HWND wnd);

// "MS Sans Serif" at 8 points, made once.
HFONT DefaultUiFont(bool bold = false);
