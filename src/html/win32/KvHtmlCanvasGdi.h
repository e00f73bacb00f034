// The HTML engine's canvas over a GDI device context.
#pragma once

#include <windows.h>

// The engine's canvas names its operations after the GDI calls; keep the
// ANSI/wide macros of <windows.h> from renaming them.
#undef CreateFont
#undef TextOut

#include "html/KvHtmlCanvas.h"

// An image handed to the engine: a memory device context with the bitmap
// selected. Its owner keeps both alive.
class TKvHtmlImageGdi : public TKvHtmlImage {
public:
    explicit TKvHtmlImageGdi(HDC dc) : FDc(dc) {}
    HDC FDc;
};

class TKvHtmlCanvasGdi : public TKvHtmlCanvas {
public:
    explicit TKvHtmlCanvasGdi(HDC dc) : FDc(dc) {}

    std::unique_ptr<TKvHtmlFont> CreateFont(const TKvHtmlLogFont& logFont) override;
    std::unique_ptr<TKvHtmlBrush> CreateBrush(TKvColor color) override;
    TKvHtmlSelection SelectFont(TKvHtmlFont& font) override;
    void SelectPrevious(TKvHtmlSelection previous) override;
    std::int32_t TextWidth(const char* text, std::size_t length) override;
    void FontMetrics(std::int32_t& ascent, std::int32_t& descent) override;
    TKvColor SetTextColor(TKvColor color) override;
    int SetTransparentBackground() override;
    void SetBackgroundMode(int mode) override;
    void TextOut(std::int32_t x, std::int32_t y, const char* text, std::size_t length) override;
    void BlankOut(std::int32_t x, std::int32_t y, std::int32_t width) override;
    void FillRect(const TKvHtmlBrush& brush, std::int32_t left, std::int32_t top,
                  std::int32_t right, std::int32_t bottom) override;
    void CopyImage(TKvHtmlImage& image, std::int32_t x, std::int32_t y, std::int32_t width,
                   std::int32_t height) override;
    void StretchImage(TKvHtmlImage& image, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height, std::int32_t sourceWidth,
                      std::int32_t sourceHeight) override;

private:
    HDC FDc;
};
