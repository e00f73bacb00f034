#include "html/win32/KvHtmlCanvasGdi.h"

#include <cstring>

namespace {

class TFontGdi : public TKvHtmlFont {
public:
    explicit TFontGdi(HFONT font) : FFont(font) {}
    ~TFontGdi() override { DeleteObject(FFont); }
    HFONT FFont;
};

class TBrushGdi : public TKvHtmlBrush {
public:
    explicit TBrushGdi(HBRUSH brush) : FBrush(brush) {}
    ~TBrushGdi() override { DeleteObject(FBrush); }
    HBRUSH FBrush;
};

// Images from another canvas kind draw as nothing.
HDC ImageDc(TKvHtmlImage& image)
{
    auto* gdi = dynamic_cast<TKvHtmlImageGdi*>(&image);
    return gdi ? gdi->FDc : nullptr;
}

int Length(std::size_t length)
{
    return length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(length);
}

}  // namespace

std::unique_ptr<TKvHtmlFont> TKvHtmlCanvasGdi::CreateFont(const TKvHtmlLogFont& logFont)
{
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = logFont.FHeight;
    lf.lfWeight = logFont.FWeight;
    lf.lfUnderline = logFont.FUnderline ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = 0;
    std::memcpy(lf.lfFaceName, logFont.FFaceName, sizeof logFont.FFaceName);
    HFONT font = CreateFontIndirectA(&lf);
    if (!font)
        return nullptr;
    return std::make_unique<TFontGdi>(font);
}

std::unique_ptr<TKvHtmlBrush> TKvHtmlCanvasGdi::CreateBrush(TKvColor color)
{
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
    if (!brush)
        return nullptr;
    return std::make_unique<TBrushGdi>(brush);
}

TKvHtmlSelection TKvHtmlCanvasGdi::SelectFont(TKvHtmlFont& font)
{
    return SelectObject(FDc, static_cast<TFontGdi&>(font).FFont);
}

void TKvHtmlCanvasGdi::SelectPrevious(TKvHtmlSelection previous)
{
    SelectObject(FDc, static_cast<HGDIOBJ>(previous));
}

std::int32_t TKvHtmlCanvasGdi::TextWidth(const char* text, std::size_t length)
{
    SIZE size = {0, 0};
    if (!GetTextExtentPoint32A(FDc, text, Length(length), &size))
        return 0;
    return size.cx;
}

void TKvHtmlCanvasGdi::FontMetrics(std::int32_t& ascent, std::int32_t& descent)
{
    TEXTMETRICA metrics;
    std::memset(&metrics, 0, sizeof metrics);
    GetTextMetricsA(FDc, &metrics);
    ascent = metrics.tmAscent;
    descent = metrics.tmDescent;
}

TKvColor TKvHtmlCanvasGdi::SetTextColor(TKvColor color)
{
    return static_cast<TKvColor>(::SetTextColor(FDc, static_cast<COLORREF>(color)));
}

int TKvHtmlCanvasGdi::SetTransparentBackground()
{
    return SetBkMode(FDc, TRANSPARENT);
}

void TKvHtmlCanvasGdi::SetBackgroundMode(int mode)
{
    SetBkMode(FDc, mode);
}

void TKvHtmlCanvasGdi::TextOut(std::int32_t x, std::int32_t y, const char* text, std::size_t length)
{
    TextOutA(FDc, x, y, text, Length(length));
}

void TKvHtmlCanvasGdi::BlankOut(std::int32_t x, std::int32_t y, std::int32_t width)
{
    INT advance = width;
    ExtTextOutA(FDc, x, y, 0, nullptr, " ", 1, &advance);
}

void TKvHtmlCanvasGdi::FillRect(const TKvHtmlBrush& brush, std::int32_t left, std::int32_t top,
                                std::int32_t right, std::int32_t bottom)
{
    RECT rect = {left, top, right, bottom};
    ::FillRect(FDc, &rect, static_cast<const TBrushGdi&>(brush).FBrush);
}

void TKvHtmlCanvasGdi::CopyImage(TKvHtmlImage& image, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height)
{
    if (HDC source = ImageDc(image))
        BitBlt(FDc, x, y, width, height, source, 0, 0, SRCCOPY);
}

void TKvHtmlCanvasGdi::StretchImage(TKvHtmlImage& image, std::int32_t x, std::int32_t y,
                                    std::int32_t width, std::int32_t height,
                                    std::int32_t sourceWidth, std::int32_t sourceHeight)
{
    if (HDC source = ImageDc(image))
        StretchBlt(FDc, x, y, width, height, source, 0, 0, sourceWidth, sourceHeight, SRCCOPY);
}
