// The scrolling HTML viewer: lays a document out to the control's size,
// decides the scroll bars, keeps the visible part rendered off-screen,
// scrolls by bar, wheel and in-page anchors, and shows link titles as tips.
// The platform side supplies the control through IKvHtmlViewerControl.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "html/KvHtml.h"

inline constexpr std::int32_t ViewerLineStep = 20;
inline constexpr std::int32_t ViewerWheelDivisor = 4;
inline constexpr std::uint32_t ViewerTipDelayMs = 250;
inline constexpr std::int32_t ViewerTipOffset = 16;

class IKvHtmlViewerControl {
public:
    virtual ~IKvHtmlViewerControl() = default;
    virtual void ClientSize(std::int32_t& width, std::int32_t& height) = 0;
    virtual std::int32_t VerticalBarWidth() = 0;
    virtual std::int32_t HorizontalBarHeight() = 0;
    virtual void ShowBars(bool vertical, bool horizontal) = 0;
    virtual void SetVerticalBar(std::int32_t position, std::int32_t maximum, std::int32_t page) = 0;
    virtual void SetHorizontalBar(std::int32_t maximum, std::int32_t page) = 0;
    virtual void SetVerticalPosition(std::int32_t position) = 0;
    // The off-screen picture of at least this size, or null when the system
    // refuses one (painting then shows the control colour).
    virtual TKvHtmlCanvas* Surface(std::int32_t width, std::int32_t height) = 0;
    // Fills the area with the control colour and writes the text, wrapped.
    virtual void DrawFailure(const std::string& text, std::int32_t width, std::int32_t height) = 0;
    virtual void Invalidate() = 0;
    virtual void UpdateNow() = 0;
    virtual void PostLayout() = 0;
    virtual void StartTipTimer(std::uint32_t ms) = 0;
    virtual void StopTipTimer() = 0;
    virtual void SetLinkCursor(bool onLink) = 0;
    // Client position of the tip's top-left corner.
    virtual void ShowTip(std::int32_t x, std::int32_t y, const std::string& title) = 0;
    virtual void HideTip() = 0;
};

enum class TKvScrollRequest {
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbPosition,
    ThumbTrack,
    Top,
    Bottom,
    EndScroll
};

class TKvHtmlViewer {
public:
    using TGetImage =
        std::function<void(TKvHtmlViewer& sender, const std::string& name, TKvHtmlImage*& image,
                           std::int32_t& width, std::int32_t& height)>;
    using TLinkClick = std::function<void(TKvHtmlViewer& sender, const std::string& href)>;

    explicit TKvHtmlViewer(IKvHtmlViewerControl& control);
    ~TKvHtmlViewer();
    TKvHtmlViewer(const TKvHtmlViewer&) = delete;
    TKvHtmlViewer& operator=(const TKvHtmlViewer&) = delete;

    // Hands the text over; it is parsed at the next layout. Raises on failure.
    void SetHtml(const std::string& text);
    // The same, dropping a failure.
    void SetHtmlQuiet(const std::string& text);

    void Layout();
    void Scroll(TKvScrollRequest request, std::int32_t thumb);
    // True when the wheel was taken (the vertical bar is shown).
    bool Wheel(std::int32_t delta);
    void MouseMove(std::int32_t x, std::int32_t y);
    void Click();
    void TipTimer();
    void MouseLeave();
    // Re-renders the off-screen picture at the current position.
    void SizeChanged() { FRendered = false; }

    TGetImage OnGetImage;
    TLinkClick OnLinkClick;

    bool VerticalBarShown() const { return FVerticalShown; }
    bool HorizontalBarShown() const { return FHorizontalShown; }
    std::int32_t Position() const { return FPosition; }
    std::int32_t DocumentHeight() const { return FDocumentHeight; }
    std::int32_t LayoutWidth() const { return FLayoutWidth; }
    std::int32_t PaintHeight() const { return FPaintHeight; }
    const std::string& FailureText() const { return FFailure; }
    TKvHtml* Document() { return FDocument.get(); }

private:
    bool Passes(TKvHtmlCanvas& canvas, std::int32_t fullWidth, std::int32_t narrowWidth,
                std::int32_t fullHeight, std::int32_t shortHeight);
    void Measure(TKvHtmlCanvas& canvas, std::int32_t width, std::int32_t& height);
    void ShowFailure(std::int32_t width, std::int32_t height);
    void Render();
    void ScrollTo(std::int32_t position);
    std::int32_t Clamp(std::int32_t position) const;
    void HideTip();
    void Hover();

    IKvHtmlViewerControl& FControl;
    std::unique_ptr<TKvHtml> FDocument;
    bool FVerticalShown = false;
    bool FHorizontalShown = false;
    std::int32_t FPosition = 0;
    bool FRendered = false;
    bool FMeasured = false;
    // The engine's text for a page that failed; shown until a new text comes.
    std::string FFailure;
    std::int32_t FMinWidth = 0;
    std::int32_t FMaxWidth = 0;
    std::int32_t FLayoutWidth = 0;
    std::int32_t FDocumentHeight = 0;
    std::int32_t FSurfaceWidth = 0;
    std::int32_t FSurfaceHeight = 0;
    std::int32_t FPaintWidth = 0;
    std::int32_t FPaintHeight = 0;
    TKvHtmlCanvas* FCanvas = nullptr;
    std::int32_t FMouseX = 0;
    std::int32_t FMouseY = 0;
    bool FHoverValid = false;
    std::int32_t FHoverX = 0;
    std::int32_t FHoverY = 0;
    bool FOnLink = false;
    std::string FLinkHref;
    std::string FLinkTitle;
    bool FTipPending = false;
    bool FTipShown = false;
};
