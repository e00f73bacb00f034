#include "htmlview/KvHtmlViewer.h"

#include <algorithm>

TKvHtmlViewer::TKvHtmlViewer(IKvHtmlViewerControl& control) : FControl(control) {}

TKvHtmlViewer::~TKvHtmlViewer() = default;

void TKvHtmlViewer::SetHtml(const std::string& text)
{
    if (!FDocument) {
        FDocument = std::make_unique<TKvHtml>();
        FDocument->OnGetImage = [this](TKvHtml&, const std::string& name, TKvHtmlImage*& image,
                                       std::int32_t& width, std::int32_t& height) {
            image = nullptr;
            if (OnGetImage)
                OnGetImage(*this, name, image, width, height);
        };
    }
    TErrCode code = ErrOk;
    std::string error;
    FMeasured = false;
    FRendered = false;
    // The link under the mouse was the old page's: a click before the mouse
    // moves again must not follow it.
    FHoverValid = false;
    FOnLink = false;
    FLinkHref.clear();
    FLinkTitle.clear();
    FControl.SetLinkCursor(false);
    FFailure.clear();
    HideTip();
    FDocument->LoadFromString(text, code, error);
    if (code != ErrOk)
        FFailure = error;
    FControl.PostLayout();
    if (code != ErrOk)
        throw EKvInternal(error);
}

void TKvHtmlViewer::SetHtmlQuiet(const std::string& text)
{
    try {
        SetHtml(text);
    } catch (const std::exception&) {
    }
}

void TKvHtmlViewer::Layout()
{
    std::int32_t width = 0, height = 0;
    FControl.ClientSize(width, height);
    std::int32_t barWidth = FControl.VerticalBarWidth();
    std::int32_t barHeight = FControl.HorizontalBarHeight();
    std::int32_t fullWidth = width + (FVerticalShown ? barWidth : 0);
    std::int32_t fullHeight = height + (FHorizontalShown ? barHeight : 0);
    if (fullWidth != FSurfaceWidth || fullHeight != FSurfaceHeight || !FCanvas) {
        FCanvas = FControl.Surface(fullWidth, fullHeight);
        FSurfaceWidth = fullWidth;
        FSurfaceHeight = fullHeight;
        FRendered = false;
    }
    if (!FCanvas || FRendered || !FDocument)
        return;
    if (!FFailure.empty() ||
        !Passes(*FCanvas, fullWidth, fullWidth - barWidth, fullHeight, fullHeight - barHeight))
        ShowFailure(fullWidth, fullHeight);
    FRendered = true;
    FControl.Invalidate();
}

// The width pass once per text, then the height pass at the width the bars
// leave; false with FFailure set when the engine refuses the page.
bool TKvHtmlViewer::Passes(TKvHtmlCanvas& canvas, std::int32_t fullWidth, std::int32_t narrowWidth,
                           std::int32_t fullHeight, std::int32_t shortHeight)
{
    try {
        TErrCode code = ErrOk;
        if (!FMeasured) {
            FDocument->ComputeMinMaxWidth(canvas, FMinWidth, FMaxWidth, code, FFailure);
            if (code != ErrOk)
                return false;
            FMeasured = true;
        }
        bool vertical = false;
        bool horizontal = false;
        if (FMinWidth > fullWidth) {
            FLayoutWidth = FMinWidth;
            horizontal = true;
            Measure(canvas, FLayoutWidth, FDocumentHeight);
            vertical = FDocumentHeight > shortHeight;
        } else {
            FLayoutWidth = fullWidth;
            Measure(canvas, FLayoutWidth, FDocumentHeight);
            if (FDocumentHeight > fullHeight) {
                vertical = true;
                horizontal = narrowWidth < FMinWidth;
                FLayoutWidth = horizontal ? FMinWidth : narrowWidth;
                Measure(canvas, FLayoutWidth, FDocumentHeight);
            }
        }
        FPaintWidth = vertical ? narrowWidth : fullWidth;
        FPaintHeight = horizontal ? shortHeight : fullHeight;
        FVerticalShown = vertical;
        FHorizontalShown = horizontal;
        FControl.ShowBars(vertical, horizontal);
        FPosition = 0;
        if (vertical)
            FControl.SetVerticalBar(0, FDocumentHeight, FPaintHeight);
        if (horizontal)
            FControl.SetHorizontalBar(FLayoutWidth, FPaintWidth);
        Render();
        return true;
    } catch (const std::exception& e) {
        FFailure = e.what();
        return false;
    }
}

void TKvHtmlViewer::Measure(TKvHtmlCanvas& canvas, std::int32_t width, std::int32_t& height)
{
    TErrCode code = ErrOk;
    std::string error;
    FDocument->ComputeHeightForWidth(canvas, width, height, code, error);
    if (code != ErrOk)
        throw EKvInternal(error);
}

void TKvHtmlViewer::ShowFailure(std::int32_t width, std::int32_t height)
{
    FVerticalShown = false;
    FHorizontalShown = false;
    FPosition = 0;
    FControl.ShowBars(false, false);
    FPaintWidth = width;
    FPaintHeight = height;
    FControl.DrawFailure(FFailure, width, height);
}

void TKvHtmlViewer::Render()
{
    TErrCode code = ErrOk;
    std::string error;
    FDocument->RenderTo(*FCanvas, 0, -FPosition, 0, 0, FPaintWidth, FPaintHeight, code, error);
    if (code != ErrOk)
        throw EKvInternal(error);
}

std::int32_t TKvHtmlViewer::Clamp(std::int32_t position) const
{
    return std::max(0, std::min(position, FDocumentHeight - FPaintHeight));
}

void TKvHtmlViewer::Scroll(TKvScrollRequest request, std::int32_t thumb)
{
    std::int32_t position = FPosition;
    switch (request) {
    case TKvScrollRequest::LineUp: position -= ViewerLineStep; break;
    case TKvScrollRequest::LineDown: position += ViewerLineStep; break;
    case TKvScrollRequest::PageUp: position -= FPaintHeight; break;
    case TKvScrollRequest::PageDown: position += FPaintHeight; break;
    case TKvScrollRequest::ThumbPosition:
    case TKvScrollRequest::ThumbTrack: position = thumb; break;
    case TKvScrollRequest::Top: position = 0; break;
    case TKvScrollRequest::Bottom: position = FDocumentHeight - FPaintHeight; break;
    case TKvScrollRequest::EndScroll: break;
    }
    ScrollTo(Clamp(position));
}

bool TKvHtmlViewer::Wheel(std::int32_t delta)
{
    if (!FVerticalShown || !FCanvas)
        return false;
    std::int32_t position = Clamp(FPosition - delta / ViewerWheelDivisor);
    if (position != FPosition)
        ScrollTo(position);
    return true;
}

void TKvHtmlViewer::ScrollTo(std::int32_t position)
{
    FPosition = position;
    FControl.SetVerticalPosition(position);
    if (FCanvas && FRendered && FFailure.empty()) {
        try {
            Render();
        } catch (const std::exception& e) {
            FFailure = e.what();
            ShowFailure(FSurfaceWidth, FSurfaceHeight);
        }
    }
    FControl.Invalidate();
    FControl.UpdateNow();
    Hover();
}

void TKvHtmlViewer::MouseMove(std::int32_t x, std::int32_t y)
{
    FMouseX = x;
    FMouseY = y;
    Hover();
}

void TKvHtmlViewer::Hover()
{
    std::int32_t x = FMouseX;
    std::int32_t y = FMouseY + FPosition;
    if (FHoverValid && x == FHoverX && y == FHoverY)
        return;
    HideTip();
    FHoverValid = true;
    FHoverX = x;
    FHoverY = y;
    TKvHtmlLink link;
    if (FRendered && FFailure.empty() && FDocument) {
        try {
            if (TKvHtmlElement* element = FDocument->ElementAt(x, y))
                link = element->GetLink();
        } catch (const std::exception&) {
            link = {};
        }
    }
    FOnLink = link.FIsLink;
    FLinkHref = link.FHref;
    FLinkTitle = link.FTitle;
    FControl.SetLinkCursor(FOnLink);
    if (FOnLink && !FLinkTitle.empty() && !FTipShown && !FTipPending) {
        FTipPending = true;
        FControl.StartTipTimer(ViewerTipDelayMs);
    }
}

void TKvHtmlViewer::TipTimer()
{
    FControl.StopTipTimer();
    if (!FTipPending)
        return;
    FTipPending = false;
    FTipShown = true;
    FControl.ShowTip(FHoverX + ViewerTipOffset, FHoverY - FPosition + ViewerTipOffset, FLinkTitle);
}

void TKvHtmlViewer::HideTip()
{
    if (FTipPending)
        FControl.StopTipTimer();
    if (FTipShown)
        FControl.HideTip();
    FTipPending = false;
    FTipShown = false;
}

void TKvHtmlViewer::MouseLeave()
{
    HideTip();
}

void TKvHtmlViewer::Click()
{
    if (!FOnLink || FLinkHref.empty())
        return;
    if (FLinkHref[0] != '#') {
        if (OnLinkClick)
            OnLinkClick(*this, FLinkHref);
        return;
    }
    if (!FVerticalShown || !FDocument)
        return;
    if (TKvHtmlElement* target = FDocument->FindById(FLinkHref.substr(1)))
        ScrollTo(Clamp(target->GetTop()));
}
