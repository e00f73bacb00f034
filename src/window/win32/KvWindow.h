// The base of the program's own window classes: the class keeps the object
// pointer from WM_NCCREATE on, and the window procedure only hands messages to
// the object's handler. No C++ exception leaves the procedure.
#pragma once

#include <windows.h>

#include <string>

#include "window/KvGeometry.h"

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

// The program's DPI policy, for every window:
// - The manifest declares the program system-DPI aware (dpiAware true), so
//   Windows never stretches its bitmaps; the program scales itself.
// - Every layout is written at 96 DPI. Each position and size (controls,
//   client and outer sizes, list column widths, the fixed steps of self-drawn
//   controls) goes through ScaleToDpi, once, where the window is built or laid
//   out; sizes taken from the system (frames, captions, client rectangles)
//   are already in screen pixels and are not scaled again.
// - Fonts are made for the screen DPI (DefaultUiFont), so text grows with the
//   layout and fits where it fits at 96 DPI. A self-drawn control that keeps
//   96-DPI arithmetic (the hex view) maps its client pixels back with
//   UnscaleFromDpi and draws at ScaleToDpi positions.
// - Glyph bitmaps keep their pixel size and are centred in their scaled
//   buttons.
// The screen DPI is read once: a system-aware program keeps the DPI it
// started with.
int ScaleToDpi(int pixels96);
int UnscaleFromDpi(int screenPixels);
int ScreenDpi();

// A window's caption in UTF-8, set and read as the system keeps it. The
// program's windows are ANSI ones, whose procedures would take a wide text
// in the code page; the wide default procedure keeps every character.
void SetCaptionText(HWND wnd, const std::string& text);
std::string CaptionText(HWND wnd);

// "MS Sans Serif" at 8 points, made once.
HFONT DefaultUiFont(bool bold = false);

// For WM_GETMINMAXINFO of a window with a fixed frame and a caption: the
// smallest and largest tracking sizes are the client size plus frame and
// caption, so the user cannot resize it.
void SetFixedTrackSize(MINMAXINFO& info, int clientWidth, int clientHeight);

// Runs a modal message loop for dialog until done turns true or the window
// is gone: the owner is disabled meanwhile and enabled and activated again
// afterwards. A WM_QUIT seen inside is posted again for the outer loop.
void RunModalLoop(HWND dialog, HWND owner, const bool& done);

// A memory device context with a bitmap compatible with a window's, for
// painting without flicker. The bitmap is made again only when the size grows
// beyond what it holds.
class TKvOffscreenBitmap {
public:
    TKvOffscreenBitmap() = default;
    ~TKvOffscreenBitmap();
    TKvOffscreenBitmap(const TKvOffscreenBitmap&) = delete;
    TKvOffscreenBitmap& operator=(const TKvOffscreenBitmap&) = delete;

    // A device context of at least width x height pixels compatible with
    // reference, or nullptr when the system refuses the resources.
    HDC Prepare(HDC reference, int width, int height);
    // Copies the top-left width x height pixels to dest at (x, y).
    void CopyTo(HDC dest, int x, int y, int width, int height) const;
    void Release();

private:
    HDC FDc = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
    int FWidth = 0;
    int FHeight = 0;
};
