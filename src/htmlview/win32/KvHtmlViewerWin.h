// The HTML viewer as a Win32 child control: off-screen picture, scroll bars,
// wheel, hand cursor over links and a tip window with the link's title.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "html/win32/KvHtmlCanvasGdi.h"
#include "htmlview/KvHtmlViewer.h"
#include "window/win32/KvWindow.h"

class TKvHtmlViewerHint;

class TKvHtmlViewerWin : public TKvPaintedWindow, private IKvHtmlViewerControl {
public:
    TKvHtmlViewerWin();
    ~TKvHtmlViewerWin() override;

    // Border none or single (a sunken client edge).
    bool Create(HWND parent, int x, int y, int width, int height, bool border);
    void SetBounds(int x, int y, int width, int height);

    void SetHtml(const std::string& text) { FLogic.SetHtml(text); }
    void SetHtmlQuiet(const std::string& text) { FLogic.SetHtmlQuiet(text); }
    TKvHtmlViewer& Logic() { return FLogic; }
    HFONT Font() const { return FFont; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& band) override;

private:
    void ClientSize(std::int32_t& width, std::int32_t& height) override;
    std::int32_t VerticalBarWidth() override;
    std::int32_t HorizontalBarHeight() override;
    void ShowBars(bool vertical, bool horizontal) override;
    void SetVerticalBar(std::int32_t position, std::int32_t maximum, std::int32_t page) override;
    void SetHorizontalBar(std::int32_t maximum, std::int32_t page) override;
    void SetVerticalPosition(std::int32_t position) override;
    TKvHtmlCanvas* Surface(std::int32_t width, std::int32_t height) override;
    void DrawFailure(const std::string& text, std::int32_t width, std::int32_t height) override;
    void Invalidate() override;
    void UpdateNow() override;
    void PostLayout() override;
    void StartTipTimer(std::uint32_t ms) override;
    void StopTipTimer() override;
    void SetLinkCursor(bool onLink) override;
    void ShowTip(std::int32_t x, std::int32_t y, const std::string& title) override;
    void HideTip() override;

    void VerticalScroll(WORD code);
    std::string ReadableText();

    TKvHtmlViewer FLogic;
    TKvOffscreenBitmap FBitmap;
    HDC FBitmapDc = nullptr;
    std::unique_ptr<TKvHtmlCanvasGdi> FCanvas;
    int FSurfaceWidth = 0;
    int FSurfaceHeight = 0;
    HFONT FFont = nullptr;
    bool FOnLink = false;
    std::unique_ptr<TKvHtmlViewerHint> FHint;
};
