#include "html/KvHtmlCanvasLog.h"

#include <cstdlib>

#include "html/KvHtmlMath.h"

namespace {

class TFontLog : public TKvHtmlFont {
public:
    explicit TFontLog(const TKvHtmlLogFont& logFont) : FLogFont(logFont) {}
    TKvHtmlLogFont FLogFont;
};

class TBrushLog : public TKvHtmlBrush {
public:
    explicit TBrushLog(TKvColor color) : FColor(color) {}
    TKvColor FColor;
};

std::string Join(std::initializer_list<std::int64_t> numbers)
{
    std::string text;
    for (std::int64_t n : numbers)
        text += " " + std::to_string(n);
    return text;
}

}  // namespace

std::string KvColorText(TKvColor color)
{
    return std::to_string(color & 0xFF) + "," + std::to_string((color >> 8) & 0xFF) + "," +
           std::to_string((color >> 16) & 0xFF);
}

TKvHtmlCanvasLog::TKvHtmlCanvasLog() : FStockFont(std::make_unique<TFontLog>(TKvHtmlLogFont{}))
{
    FSelected = FStockFont.get();
}

TKvHtmlCanvasLog::~TKvHtmlCanvasLog() = default;

std::int32_t TKvHtmlCanvasLog::Advance(std::int32_t size, bool bold)
{
    return bold ? KvRoundRatio(std::int64_t{size} * 11, 20) : KvRoundRatio(size, 2);
}

std::int32_t TKvHtmlCanvasLog::Ascent(std::int32_t size)
{
    return KvRoundRatio(std::int64_t{size} * 4, 5);
}

std::unique_ptr<TKvHtmlFont> TKvHtmlCanvasLog::CreateFont(const TKvHtmlLogFont& logFont)
{
    ++FFontsCreated;
    return std::make_unique<TFontLog>(logFont);
}

std::unique_ptr<TKvHtmlBrush> TKvHtmlCanvasLog::CreateBrush(TKvColor color)
{
    return std::make_unique<TBrushLog>(color);
}

const TKvHtmlLogFont& TKvHtmlCanvasLog::Selected() const
{
    return static_cast<const TFontLog*>(FSelected)->FLogFont;
}

TKvHtmlSelection TKvHtmlCanvasLog::SelectFont(TKvHtmlFont& font)
{
    TKvHtmlFont* previous = FSelected;
    FSelected = &font;
    const TKvHtmlLogFont& f = Selected();
    FLog.push_back("font " + std::string(f.FFaceName) +
                   Join({-f.FHeight, f.FWeight, f.FUnderline}));
    return previous;
}

void TKvHtmlCanvasLog::SelectPrevious(TKvHtmlSelection previous)
{
    FSelected = static_cast<TKvHtmlFont*>(previous);
    FLog.push_back("font restored");
}

std::int32_t TKvHtmlCanvasLog::TextWidth(const char*, std::size_t length)
{
    const TKvHtmlLogFont& f = Selected();
    std::int64_t width =
        static_cast<std::int64_t>(length) * Advance(std::abs(f.FHeight), f.FWeight >= 700);
    return width > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(width);
}

void TKvHtmlCanvasLog::FontMetrics(std::int32_t& ascent, std::int32_t& descent)
{
    std::int32_t size = std::abs(Selected().FHeight);
    ascent = Ascent(size);
    descent = size - ascent;
}

TKvColor TKvHtmlCanvasLog::SetTextColor(TKvColor color)
{
    TKvColor previous = FTextColor;
    FTextColor = color;
    FLog.push_back("color " + KvColorText(color));
    return previous;
}

int TKvHtmlCanvasLog::SetTransparentBackground()
{
    int previous = FBackgroundMode;
    FBackgroundMode = 1;
    FLog.push_back("transparent");
    return previous;
}

void TKvHtmlCanvasLog::SetBackgroundMode(int mode)
{
    FBackgroundMode = mode;
    FLog.push_back("background mode" + Join({mode}));
}

void TKvHtmlCanvasLog::TextOut(std::int32_t x, std::int32_t y, const char* text, std::size_t length)
{
    FLog.push_back("text" + Join({x, y}) + " " + std::string(text, length));
}

void TKvHtmlCanvasLog::BlankOut(std::int32_t x, std::int32_t y, std::int32_t width)
{
    FLog.push_back("blank" + Join({x, y, width}));
}

void TKvHtmlCanvasLog::FillRect(const TKvHtmlBrush& brush, std::int32_t left, std::int32_t top,
                                std::int32_t right, std::int32_t bottom)
{
    FLog.push_back("fill" + Join({left, top, right, bottom}) + " " +
                   KvColorText(static_cast<const TBrushLog&>(brush).FColor));
}

namespace {

std::string ImageName(const TKvHtmlImage& image)
{
    auto* named = dynamic_cast<const TKvHtmlImageLog*>(&image);
    return named ? named->FName : "?";
}

}  // namespace

void TKvHtmlCanvasLog::CopyImage(TKvHtmlImage& image, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height)
{
    FLog.push_back("copy " + ImageName(image) + Join({x, y, width, height}));
}

void TKvHtmlCanvasLog::StretchImage(TKvHtmlImage& image, std::int32_t x, std::int32_t y,
                                    std::int32_t width, std::int32_t height,
                                    std::int32_t sourceWidth, std::int32_t sourceHeight)
{
    FLog.push_back("stretch " + ImageName(image) +
                   Join({x, y, width, height, sourceWidth, sourceHeight}));
}
