// Painting with the clip test, and hit testing.
#include "html/KvHtmlRender.h"

#include "html/KvHtmlElements.h"
#include "html/KvHtmlMath.h"

TKvHtmlRenderData::TKvHtmlRenderData(TKvHtmlCanvas& dc, std::int32_t originX, std::int32_t originY,
                                     std::int32_t clipLeft, std::int32_t clipTop,
                                     std::int32_t clipWidth, std::int32_t clipHeight)
    : FDc(dc), FOriginX(originX), FOriginY(originY), FClipLeft(clipLeft), FClipTop(clipTop),
      FClipWidth(clipWidth), FClipHeight(clipHeight)
{
}

TKvHtmlRenderData::~TKvHtmlRenderData()
{
    if (FFontSelected)
        FDc.SelectPrevious(FPreviousFont);
    if (FTextColorChanged) {
        FDc.SetTextColor(FPreviousTextColor);
        FDc.SetBackgroundMode(FPreviousBackgroundMode);
    }
}

void TKvHtmlRenderData::SelectEntry(FontEntry& entry)
{
    if (FCurrentEntry == &entry)
        return;
    TKvHtmlSelection previous = FDc.SelectFont(*entry.FFont);
    if (!FFontSelected) {
        FPreviousFont = previous;
        FFontSelected = true;
    }
    FCurrentEntry = &entry;
}

void TKvHtmlRenderData::SetTextColor(TKvColor color)
{
    if (color == FCurrentTextColor)
        return;
    TKvColor previous = FDc.SetTextColor(color);
    if (!FTextColorChanged) {
        FPreviousTextColor = previous;
        FPreviousBackgroundMode = FDc.SetTransparentBackground();
        FTextColorChanged = true;
    }
    FCurrentTextColor = color;
}

bool TKvHtmlRenderData::MeetsClip(std::int64_t left, std::int64_t top, std::int64_t width,
                                  std::int64_t height) const
{
    return left < static_cast<std::int64_t>(FClipLeft) + FClipWidth &&
           top < static_cast<std::int64_t>(FClipTop) + FClipHeight && FClipLeft < left + width &&
           FClipTop < top + height;
}

// ---------------------------------------------------------------- render

void TKvHtmlElement::RenderChildren(TKvHtmlRenderData& state)
{
    for (TKvHtmlElement* child = FFirstChild; child; child = child->FNextSibling)
        child->Render(state);
}

namespace {

void AskImage(TKvHtml& document, const std::string& name, TKvHtmlImage*& image, std::int32_t& width,
              std::int32_t& height)
{
    if (image || !document.OnGetImage)
        return;
    TKvHtmlImage* answer = nullptr;
    std::int32_t w = 0, h = 0;
    document.OnGetImage(document, name, answer, w, h);
    if (answer) {
        image = answer;
        width = w;
        height = h;
    }
}

// Tiles cover the box from its top-left corner; only those that meet the clip
// rectangle are copied, so a huge box with a tiny tile stays cheap.
void TileImage(TKvHtmlRenderData& state, TKvHtmlImage& image, std::int32_t imageWidth,
               std::int32_t imageHeight, std::int64_t left, std::int64_t top, std::int64_t width,
               std::int64_t height)
{
    if (imageWidth <= 0 || imageHeight <= 0)
        return;
    std::int64_t firstRow = 0, firstColumn = 0;
    if (state.FClipTop > top)
        firstRow = (state.FClipTop - top) / imageHeight * imageHeight;
    if (state.FClipLeft > left)
        firstColumn = (state.FClipLeft - left) / imageWidth * imageWidth;
    std::int64_t clipBottom = static_cast<std::int64_t>(state.FClipTop) + state.FClipHeight;
    std::int64_t clipRight = static_cast<std::int64_t>(state.FClipLeft) + state.FClipWidth;
    for (std::int64_t row = firstRow; row < height && top + row < clipBottom; row += imageHeight) {
        std::int64_t tileHeight = std::min<std::int64_t>(imageHeight, height - row);
        for (std::int64_t column = firstColumn; column < width && left + column < clipRight;
             column += imageWidth) {
            std::int64_t tileWidth = std::min<std::int64_t>(imageWidth, width - column);
            state.FDc.CopyImage(image, KvClamp32(left + column), KvClamp32(top + row),
                                KvClamp32(tileWidth), KvClamp32(tileHeight));
        }
    }
}

}  // namespace

void TKvHtmlElement::RenderBackground(TKvHtmlRenderData& state)
{
    std::int64_t left = static_cast<std::int64_t>(state.FOriginX) + FBoxX;
    std::int64_t top = static_cast<std::int64_t>(state.FOriginY) + FBoxY;
    if (FBackgroundColor != KvColorNone) {
        if (!FBackgroundBrush)
            FBackgroundBrush = state.FDc.CreateBrush(FBackgroundColor);
        if (!FBackgroundBrush)
            KvHtmlFail("1246.102");
        state.FDc.FillRect(*FBackgroundBrush, KvClamp32(left), KvClamp32(top),
                           KvClamp32(left + FBoxWidth), KvClamp32(top + FBoxHeight));
    }
    if (FBackgroundImageName.empty())
        return;
    AskImage(*FDocument, FBackgroundImageName, FBackgroundImage, FBackgroundImageWidth,
             FBackgroundImageHeight);
    if (!FBackgroundImage)
        return;
    if (!FBackgroundRepeat)
        KvHtmlFail("1275.80");
    TileImage(state, *FBackgroundImage, FBackgroundImageWidth, FBackgroundImageHeight, left, top,
              FBoxWidth, FBoxHeight);
}

void TKvHtmlElement::Render(TKvHtmlRenderData& state)
{
    if (!IsBlock()) {
        RenderChildren(state);
        return;
    }
    if (!state.MeetsClip(static_cast<std::int64_t>(state.FOriginX) + FBoxX,
                         static_cast<std::int64_t>(state.FOriginY) + FBoxY, FBoxWidth, FBoxHeight))
        return;
    RenderBackground(state);
    RenderChildren(state);
}

void TKvHtmlElementBody::Render(TKvHtmlRenderData& state)
{
    if (FBackgroundColor != KvColorNone) {
        if (!FBackgroundBrush)
            FBackgroundBrush = state.FDc.CreateBrush(FBackgroundColor);
        if (!FBackgroundBrush)
            KvHtmlFail("1910.96");
        state.FDc.FillRect(*FBackgroundBrush, state.FClipLeft, state.FClipTop,
                           KvAdd(state.FClipLeft, state.FClipWidth),
                           KvAdd(state.FClipTop, state.FClipHeight));
    }
    RenderChildren(state);
}

void TKvHtmlElementText::Render(TKvHtmlRenderData& state)
{
    if (!FFontEntry)
        FFontEntry = &FDocument->LookupFont(state.FDc, *this);
    state.SelectEntry(*FFontEntry);
    state.SetTextColor(FTextColor);
    for (const WordItem& item : FItems) {
        std::int32_t x = KvAdd(state.FOriginX, item.FX);
        std::int32_t y = KvAdd(state.FOriginY, KvSub(item.FBaseline, item.FAscent));
        if (item.FKind == WordItem::KindWord)
            state.FDc.TextOut(x, y, item.FText.data(), item.FText.size());
        else if (!item.FSuppressed)
            state.FDc.BlankOut(x, y, item.FWidth);
    }
}

void TKvHtmlElementImg::Render(TKvHtmlRenderData& state)
{
    AskImage(*FDocument, FSrc, FImage, FImageWidth, FImageHeight);
    if (!FImage)
        return;
    state.FDc.StretchImage(*FImage, KvAdd(state.FOriginX, FItem.FX),
                           KvAdd(state.FOriginY, KvSub(FItem.FBaseline, FHeight)), FWidth, FHeight,
                           FImageWidth, FImageHeight);
}

void TKvHtmlElementTable::Render(TKvHtmlRenderData& state)
{
    if (!state.MeetsClip(static_cast<std::int64_t>(state.FOriginX) + FBoxX,
                         static_cast<std::int64_t>(state.FOriginY) + FBoxY, FBoxWidth, FBoxHeight))
        return;
    for (std::int32_t r = 0; r < FRowCount; ++r)
        for (std::int32_t c = 0; c < FColumnCount; ++c)
            if (TKvHtmlElementTd* cell = CellStart(r, c))
                cell->Render(state);
}

// ---------------------------------------------------------------- hit testing

namespace {

bool InRange(std::int32_t value, std::int64_t from, std::int64_t to)
{
    return from <= value && value < to;
}

bool InBox(const TKvHtmlElement& e, std::int32_t x, std::int32_t y)
{
    return InRange(x, e.FBoxX, static_cast<std::int64_t>(e.FBoxX) + e.FBoxWidth) &&
           InRange(y, e.FBoxY, static_cast<std::int64_t>(e.FBoxY) + e.FBoxHeight);
}

}  // namespace

TKvHtmlElement* TKvHtmlElement::HitTestChildren(std::int32_t x, std::int32_t y)
{
    for (TKvHtmlElement* child = FFirstChild; child; child = child->FNextSibling)
        if (TKvHtmlElement* hit = child->HitTest(x, y))
            return hit;
    return nullptr;
}

TKvHtmlElement* TKvHtmlElement::HitTest(std::int32_t x, std::int32_t y)
{
    if (!IsBlock())
        return HitTestChildren(x, y);
    if (!InBox(*this, x, y))
        return nullptr;
    if (TKvHtmlElement* hit = HitTestChildren(x, y))
        return hit;
    return this;
}

TKvHtmlElement* TKvHtmlElementText::HitTest(std::int32_t x, std::int32_t y)
{
    for (const WordItem& item : FItems) {
        if (item.FKind == WordItem::KindSpace && item.FSuppressed)
            continue;
        if (InRange(x, item.FX, static_cast<std::int64_t>(item.FX) + item.FWidth) &&
            InRange(y, static_cast<std::int64_t>(item.FBaseline) - item.FAscent,
                    static_cast<std::int64_t>(item.FBaseline) + item.FDescent))
            return this;
    }
    return nullptr;
}

TKvHtmlElement* TKvHtmlElementImg::HitTest(std::int32_t x, std::int32_t y)
{
    if (InRange(x, FItem.FX, static_cast<std::int64_t>(FItem.FX) + FWidth) &&
        InRange(y, static_cast<std::int64_t>(FItem.FBaseline) - FHeight, FItem.FBaseline))
        return this;
    return nullptr;
}

TKvHtmlElement* TKvHtmlElementTable::HitTest(std::int32_t x, std::int32_t y)
{
    if (!InBox(*this, x, y))
        return nullptr;
    for (std::int32_t r = 0; r < FRowCount; ++r)
        for (std::int32_t c = 0; c < FColumnCount; ++c)
            if (TKvHtmlElementTd* cell = CellStart(r, c))
                if (TKvHtmlElement* hit = cell->HitTest(x, y))
                    return hit;
    return this;
}
