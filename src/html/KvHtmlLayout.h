// The state objects of the two layout passes: the width pass measures every
// word once and yields the document's minimum and maximum widths; the
// height-for-width pass breaks lines and positions everything.
#pragma once

#include <cstdint>
#include <vector>

#include "html/KvHtml.h"

class TKvHtmlSizeMinmaxwidthData {
public:
    explicit TKvHtmlSizeMinmaxwidthData(TKvHtmlCanvas& dc) : FDc(dc) {}
    // Puts back the font that was selected before the pass.
    ~TKvHtmlSizeMinmaxwidthData();

    // Selects the entry when it changes and measures it on first use.
    void SelectEntry(FontEntry& entry);
    void AddWord(std::int32_t width);
    void EndWord(std::int32_t& minimum);
    void AddSpace(std::int32_t width, std::int32_t& minimum);
    void EndLine(std::int32_t& minimum, std::int32_t& maximum);

    TKvHtmlCanvas& FDc;
    TKvHtmlSelection FPreviousFont = nullptr;
    bool FFontSelected = false;
    FontEntry* FCurrentEntry = nullptr;
    bool FWordOpen = false;
    std::int32_t FWordWidth = 0;
    bool FLineOpen = false;
    std::int32_t FLineWidth = 0;
};

class TKvHtmlSizeHeightForWidthData {
public:
    void AddWordItem(WordItem& item, std::int32_t& y);
    void AddSpaceItem(WordItem& space, std::int32_t& y);
    void EndLine(std::int32_t& y);
    void AddMargin(std::int32_t margin);
    void FlushMargin(std::int32_t& y);

    std::int32_t FLeft = 0;
    std::int32_t FWidth = 0;
    std::uint8_t FAlign = 0;
    bool FWordOpen = false;
    std::int32_t FWordWidth = 0, FWordAscent = 0, FWordDescent = 0;
    std::vector<WordItem*> FWordItems;
    bool FLineOpen = false;
    std::int32_t FLineWidth = 0, FLineAscent = 0, FLineDescent = 0;
    std::vector<WordItem*> FLineItems;
    std::int32_t FPendingMargin = 0;

private:
    void OpenLine();
    void EmptyLine();
    void MoveWordToLine();
    // Places the line's items at y and moves y below the line.
    void PlaceLine(std::int32_t& y);
};
