// The state of one paint pass.
#pragma once

#include <cstdint>

#include "html/KvHtml.h"

class TKvHtmlRenderData {
public:
    TKvHtmlRenderData(TKvHtmlCanvas& dc, std::int32_t originX, std::int32_t originY,
                      std::int32_t clipLeft, std::int32_t clipTop, std::int32_t clipWidth,
                      std::int32_t clipHeight);
    // Puts back the font, and the text colour and background mode if the
    // pass changed them.
    ~TKvHtmlRenderData();

    void SelectEntry(FontEntry& entry);
    void SetTextColor(TKvColor color);
    // Whether a rectangle in device coordinates meets the clip rectangle.
    bool MeetsClip(std::int64_t left, std::int64_t top, std::int64_t width,
                   std::int64_t height) const;

    TKvHtmlCanvas& FDc;
    TKvHtmlSelection FPreviousFont = nullptr;
    bool FFontSelected = false;
    FontEntry* FCurrentEntry = nullptr;
    bool FTextColorChanged = false;
    TKvColor FPreviousTextColor = 0;
    TKvColor FCurrentTextColor = KvColorNone;
    int FPreviousBackgroundMode = 0;
    std::int32_t FOriginX, FOriginY;
    std::int32_t FClipLeft, FClipTop, FClipWidth, FClipHeight;
};
