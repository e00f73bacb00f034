// The drawing surface the HTML engine measures and paints through. The engine
// itself never touches a window system: the Windows build hands it a GDI
// canvas, tests and tools a deterministic one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// 0x00BBGGRR, red in the low byte; -1 means none.
using TKvColor = std::int32_t;

inline constexpr TKvColor KvColorNone = -1;

inline constexpr TKvColor KvRgb(int red, int green, int blue)
{
    return static_cast<TKvColor>(red | (green << 8) | (blue << 16));
}

// The logical font the engine asks for; the other fields of the platform's
// description are fixed (no escapement, default character set, TrueType
// preferred, proof quality).
struct TKvHtmlLogFont {
    std::int32_t FHeight = 0;    // minus the character height in pixels
    std::int32_t FWeight = 400;  // 400 or 700
    bool FUnderline = false;
    char FFaceName[32] = {};  // at most 31 characters, NUL-terminated
};

// Objects created by a canvas; the engine owns fonts and brushes and frees
// them through these bases.
class TKvHtmlFont {
public:
    virtual ~TKvHtmlFont() = default;
};

class TKvHtmlBrush {
public:
    virtual ~TKvHtmlBrush() = default;
};

// An image handed to the engine by its owner; the owner keeps it alive.
class TKvHtmlImage {
public:
    virtual ~TKvHtmlImage() = default;
};

// What a canvas had selected before a pass, handed back at its end.
using TKvHtmlSelection = void*;

class TKvHtmlCanvas {
public:
    virtual ~TKvHtmlCanvas() = default;

    // Null when the platform refuses.
    virtual std::unique_ptr<TKvHtmlFont> CreateFont(const TKvHtmlLogFont& logFont) = 0;
    virtual std::unique_ptr<TKvHtmlBrush> CreateBrush(TKvColor color) = 0;

    // Returns what was selected before; SelectPrevious puts it back.
    virtual TKvHtmlSelection SelectFont(TKvHtmlFont& font) = 0;
    virtual void SelectPrevious(TKvHtmlSelection previous) = 0;

    // Measurement with the selected font.
    virtual std::int32_t TextWidth(const char* text, std::size_t length) = 0;
    virtual void FontMetrics(std::int32_t& ascent, std::int32_t& descent) = 0;

    virtual TKvColor SetTextColor(TKvColor color) = 0;  // returns the previous colour
    virtual int SetTransparentBackground() = 0;         // returns the previous mode
    virtual void SetBackgroundMode(int mode) = 0;

    virtual void TextOut(std::int32_t x, std::int32_t y, const char* text, std::size_t length) = 0;
    // One blank whose advance is forced to width (an underline runs across it).
    virtual void BlankOut(std::int32_t x, std::int32_t y, std::int32_t width) = 0;
    virtual void FillRect(const TKvHtmlBrush& brush, std::int32_t left, std::int32_t top,
                          std::int32_t right, std::int32_t bottom) = 0;
    // Copies width x height pixels from the image's top-left corner.
    virtual void CopyImage(TKvHtmlImage& image, std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height) = 0;
    // Scales the whole image (sourceWidth x sourceHeight) into the rectangle.
    virtual void StretchImage(TKvHtmlImage& image, std::int32_t x, std::int32_t y,
                              std::int32_t width, std::int32_t height, std::int32_t sourceWidth,
                              std::int32_t sourceHeight) = 0;
};
