// Width and height passes of everything but tables.
#include "html/KvHtmlLayout.h"

#include <algorithm>

#include "html/KvHtmlElements.h"
#include "html/KvHtmlMath.h"

// ---------------------------------------------------------------- width pass state

TKvHtmlSizeMinmaxwidthData::~TKvHtmlSizeMinmaxwidthData()
{
    if (FFontSelected)
        FDc.SelectPrevious(FPreviousFont);
}

void TKvHtmlSizeMinmaxwidthData::SelectEntry(FontEntry& entry)
{
    if (FCurrentEntry != &entry) {
        TKvHtmlSelection previous = FDc.SelectFont(*entry.FFont);
        if (!FFontSelected) {
            FPreviousFont = previous;
            FFontSelected = true;
        }
        FCurrentEntry = &entry;
    }
    if (!entry.FMetricsValid) {
        entry.FBlankWidth = FDc.TextWidth(" ", 1);
        FDc.FontMetrics(entry.FAscent, entry.FDescent);
        entry.FMetricsValid = 1;
    }
}

void TKvHtmlSizeMinmaxwidthData::AddWord(std::int32_t width)
{
    if (!FLineOpen) {
        FLineOpen = true;
        FLineWidth = 0;
    }
    if (!FWordOpen) {
        FWordOpen = true;
        FWordWidth = 0;
    }
    FWordWidth = KvAdd(FWordWidth, width);
}

void TKvHtmlSizeMinmaxwidthData::EndWord(std::int32_t& minimum)
{
    if (!FWordOpen)
        return;
    minimum = std::max(minimum, FWordWidth);
    FLineWidth = KvAdd(FLineWidth, FWordWidth);
    FWordOpen = false;
}

void TKvHtmlSizeMinmaxwidthData::AddSpace(std::int32_t width, std::int32_t& minimum)
{
    EndWord(minimum);
    FLineWidth = KvAdd(FLineWidth, width);
}

void TKvHtmlSizeMinmaxwidthData::EndLine(std::int32_t& minimum, std::int32_t& maximum)
{
    EndWord(minimum);
    if (!FLineOpen)
        return;
    maximum = std::max(maximum, FLineWidth);
    FLineOpen = false;
}

// ---------------------------------------------------------------- height pass state

void TKvHtmlSizeHeightForWidthData::OpenLine()
{
    FLineOpen = true;
    EmptyLine();
}

void TKvHtmlSizeHeightForWidthData::EmptyLine()
{
    FLineWidth = FLineAscent = FLineDescent = 0;
    FLineItems.clear();
}

void TKvHtmlSizeHeightForWidthData::MoveWordToLine()
{
    if (!FWordOpen)
        return;
    FLineWidth = KvAdd(FLineWidth, FWordWidth);
    FLineAscent = std::max(FLineAscent, FWordAscent);
    FLineDescent = std::max(FLineDescent, FWordDescent);
    if (FLineItems.size() == FLineItems.capacity())
        FLineItems.reserve(FLineItems.size() + 128);
    FLineItems.insert(FLineItems.end(), FWordItems.begin(), FWordItems.end());
    FWordItems.clear();
    FWordOpen = false;
}

void TKvHtmlSizeHeightForWidthData::PlaceLine(std::int32_t& y)
{
    std::int32_t x = FLeft;
    switch (FAlign) {
    case TKvHtmlElement::AlignLeft: break;
    case TKvHtmlElement::AlignCenter: x = KvAdd(FLeft, KvSub(FWidth, FLineWidth) / 2); break;
    case TKvHtmlElement::AlignRight: x = KvAdd(FLeft, KvSub(FWidth, FLineWidth)); break;
    default: KvHtmlFail("1605.72");
    }
    std::int32_t baseline = KvAdd(y, FLineAscent);
    for (WordItem* item : FLineItems) {
        item->FX = x;
        item->FLineTop = y;
        item->FBaseline = baseline;
        x = KvAdd(x, item->FWidth);
    }
    y = KvAdd(y, KvAdd(FLineAscent, FLineDescent));
}

void TKvHtmlSizeHeightForWidthData::AddWordItem(WordItem& item, std::int32_t& y)
{
    if (!FLineOpen)
        OpenLine();
    if (!FWordOpen) {
        FWordOpen = true;
        FWordWidth = FWordAscent = FWordDescent = 0;
        FWordItems.clear();
    }
    FWordWidth = KvAdd(FWordWidth, item.FWidth);
    FWordAscent = std::max(FWordAscent, item.FAscent);
    FWordDescent = std::max(FWordDescent, item.FDescent);
    if (FWordItems.size() == FWordItems.capacity())
        FWordItems.reserve(FWordItems.size() + 16);
    FWordItems.push_back(&item);
    // The word stays pending and starts the next line; a word wider than the
    // whole line overflows it rather than being split.
    if (static_cast<std::int64_t>(FLineWidth) + FWordWidth > FWidth) {
        PlaceLine(y);
        EmptyLine();
    }
}

void TKvHtmlSizeHeightForWidthData::AddSpaceItem(WordItem& space, std::int32_t& y)
{
    MoveWordToLine();
    // A blank that would start a line is dropped, as the width pass does.
    if (!FLineOpen) {
        space.FSuppressed = 1;
        return;
    }
    if (static_cast<std::int64_t>(FLineWidth) + space.FWidth > FWidth) {
        space.FSuppressed = 1;
        PlaceLine(y);
        EmptyLine();
        return;
    }
    space.FSuppressed = 0;
    if (FLineItems.size() == FLineItems.capacity())
        FLineItems.reserve(FLineItems.size() + 128);
    FLineItems.push_back(&space);
    FLineWidth = KvAdd(FLineWidth, space.FWidth);
}

void TKvHtmlSizeHeightForWidthData::EndLine(std::int32_t& y)
{
    MoveWordToLine();
    if (!FLineOpen)
        return;
    PlaceLine(y);
    EmptyLine();
    FLineOpen = false;
}

void TKvHtmlSizeHeightForWidthData::AddMargin(std::int32_t margin)
{
    FPendingMargin = std::max(FPendingMargin, margin);
}

void TKvHtmlSizeHeightForWidthData::FlushMargin(std::int32_t& y)
{
    y = KvAdd(y, FPendingMargin);
    FPendingMargin = 0;
}

// ---------------------------------------------------------------- width pass

void TKvHtmlElement::MeasureChildren(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                                     std::int32_t& maximum)
{
    for (TKvHtmlElement* child = FFirstChild; child; child = child->FNextSibling)
        child->MeasureMinMax(state, minimum, maximum);
}

void TKvHtmlElement::MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                                   std::int32_t& maximum)
{
    if (!IsBlock()) {
        MeasureChildren(state, minimum, maximum);
        return;
    }
    state.EndLine(minimum, maximum);
    std::int32_t ownMin = 0, ownMax = 0;
    MeasureChildren(state, ownMin, ownMax);
    state.EndLine(ownMin, ownMax);
    std::int32_t box = HorizontalBox();
    minimum = std::max(minimum, KvAdd(ownMin, box));
    maximum = std::max(maximum, KvAdd(ownMax, box));
}

void TKvHtmlElementText::MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                                       std::int32_t&)
{
    if (!FFontEntry)
        FFontEntry = &FDocument->LookupFont(state.FDc, *this);
    state.SelectEntry(*FFontEntry);
    for (WordItem& item : FItems) {
        item.FAscent = FFontEntry->FAscent;
        item.FDescent = FFontEntry->FDescent;
        if (item.FKind == WordItem::KindSpace) {
            item.FWidth = FFontEntry->FBlankWidth;
            state.AddSpace(item.FWidth, minimum);
        } else {
            item.FWidth = state.FDc.TextWidth(item.FText.data(), item.FText.size());
            state.AddWord(item.FWidth);
        }
    }
}

void TKvHtmlElementBr::MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                                     std::int32_t& maximum)
{
    if (state.FLineOpen) {
        state.EndLine(minimum, maximum);
        return;
    }
    if (!FFontEntry)
        FFontEntry = &FDocument->LookupFont(state.FDc, *this);
    state.SelectEntry(*FFontEntry);
    FLineHeight = KvAdd(FFontEntry->FAscent, FFontEntry->FDescent);
}

void TKvHtmlElementImg::MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t&,
                                      std::int32_t&)
{
    state.AddWord(FWidth);
}

// ---------------------------------------------------------------- height pass

void TKvHtmlElement::LayoutChildren(TKvHtmlSizeHeightForWidthData& state, std::int32_t x,
                                    std::int32_t& y, std::int32_t width)
{
    for (TKvHtmlElement* child = FFirstChild; child; child = child->FNextSibling)
        child->LayoutHeight(state, x, y, width);
}

void TKvHtmlElement::LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t x,
                                  std::int32_t& y, std::int32_t width)
{
    if (!IsBlock()) {
        LayoutChildren(state, x, y, width);
        return;
    }
    state.EndLine(y);
    state.AddMargin(FMarginTop);
    state.FlushMargin(y);
    FBoxX = x;
    FBoxY = y;
    FBoxWidth = width;
    std::int32_t contentX = KvAdd(x, KvAdd(FMarginLeft, KvAdd(FBorderLeft, FPaddingLeft)));
    std::int32_t contentWidth = KvSub(width, HorizontalBox());
    std::int32_t savedLeft = state.FLeft, savedWidth = state.FWidth;
    std::uint8_t savedAlign = state.FAlign;
    state.FLeft = contentX;
    state.FWidth = contentWidth;
    state.FAlign = FAlign;
    LayoutChildren(state, contentX, y, contentWidth);
    state.EndLine(y);
    FBoxHeight = KvSub(y, FBoxY);
    state.FLeft = savedLeft;
    state.FWidth = savedWidth;
    state.FAlign = savedAlign;
    state.AddMargin(FMarginBottom);
}

void TKvHtmlElementText::LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t,
                                      std::int32_t& y, std::int32_t)
{
    for (WordItem& item : FItems) {
        if (item.FKind == WordItem::KindSpace)
            state.AddSpaceItem(item, y);
        else
            state.AddWordItem(item, y);
    }
}

void TKvHtmlElementBr::LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t,
                                    std::int32_t& y, std::int32_t)
{
    if (state.FLineOpen)
        state.EndLine(y);
    else
        y = KvAdd(y, FLineHeight);
}

void TKvHtmlElementImg::LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t,
                                     std::int32_t& y, std::int32_t)
{
    FItem.FKind = WordItem::KindWord;
    FItem.FWidth = FWidth;
    FItem.FAscent = FHeight;
    FItem.FDescent = 0;
    state.AddWordItem(FItem, y);
}

// ---------------------------------------------------------------- vertical shift

void TKvHtmlElement::ShiftChildren(std::int32_t dy)
{
    for (TKvHtmlElement* child = FFirstChild; child; child = child->FNextSibling)
        child->ShiftY(dy);
}

void TKvHtmlElement::ShiftY(std::int32_t dy)
{
    if (IsBlock())
        FBoxY = KvAdd(FBoxY, dy);
    ShiftChildren(dy);
}

void TKvHtmlElementText::ShiftY(std::int32_t dy)
{
    for (WordItem& item : FItems) {
        item.FLineTop = KvAdd(item.FLineTop, dy);
        item.FBaseline = KvAdd(item.FBaseline, dy);
    }
}

void TKvHtmlElementImg::ShiftY(std::int32_t dy)
{
    FItem.FLineTop = KvAdd(FItem.FLineTop, dy);
    FItem.FBaseline = KvAdd(FItem.FBaseline, dy);
}
