// A deterministic canvas for tests and tools: every character advances
// round(0.5 x size) pixels (round(0.55 x size) when bold), the ascent is
// round(0.8 x size) and the descent the rest of the size, rounding half to
// even. It draws nothing; it records every drawing call as a line of text.
#pragma once

#include <string>
#include <vector>

#include "html/KvHtmlCanvas.h"

class TKvHtmlImageLog : public TKvHtmlImage {
public:
    explicit TKvHtmlImageLog(std::string name) : FName(std::move(name)) {}
    std::string FName;
};

class TKvHtmlCanvasLog : public TKvHtmlCanvas {
public:
    TKvHtmlCanvasLog();
    ~TKvHtmlCanvasLog() override;

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

    // Drawing calls only; creation and measurement are not recorded.
    std::vector<std::string> FLog;
    int FFontsCreated = 0;

    static std::int32_t Advance(std::int32_t size, bool bold);
    static std::int32_t Ascent(std::int32_t size);

private:
    const TKvHtmlLogFont& Selected() const;

    TKvHtmlFont* FSelected;
    std::unique_ptr<TKvHtmlFont> FStockFont;
    TKvColor FTextColor = 0;
    int FBackgroundMode = 2;
};

std::string KvColorText(TKvColor color);
