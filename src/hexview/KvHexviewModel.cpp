#include "hexview/KvHexviewModel.h"

#include <algorithm>

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

bool Printable(std::uint8_t b)
{
    return b >= 32 && b <= 128;
}

}  // namespace

void TKvHexviewModel::SetData(const std::uint8_t* bytes, std::uint32_t size)
{
    FData.assign(bytes, bytes + size);
    FTopOffset = 0;
}

// Offsets are worked in 64 bits so that a value near 4 GB cannot wrap into a
// negative top offset.
std::int64_t TKvHexviewModel::MaxTopOffset() const
{
    std::int64_t rows = std::int64_t(DataSize()) / FBytesPerRow + 1 - FVisibleRows;
    return std::max<std::int64_t>(rows, 0) * FBytesPerRow;
}

bool TKvHexviewModel::Resize(std::int32_t width, std::int32_t height)
{
    if (width == FLastWidth && height == FLastHeight)
        return false;
    FLastWidth = width;
    FLastHeight = height;
    FBytesPerRow = std::max((width - ReservedWidth) / BytePixels, MinBytesPerRow);
    FVisibleRows = height / RowHeight;
    FTopOffset -= FTopOffset % static_cast<std::uint32_t>(FBytesPerRow);
    FTopOffset = static_cast<std::uint32_t>(std::min<std::int64_t>(FTopOffset, MaxTopOffset()));
    return true;
}

bool TKvHexviewModel::Scroll(THexScroll code, std::uint32_t thumbPos, bool& changed)
{
    changed = false;
    const std::int64_t top = FTopOffset;
    const std::int64_t row = FBytesPerRow;
    const std::int64_t page = std::int64_t(FVisibleRows - 2) * row;
    std::int64_t next = 0;
    switch (code) {
    case THexScroll::LineUp: next = top - row; break;
    case THexScroll::LineDown: next = top + row; break;
    case THexScroll::PageUp: next = top - page; break;
    case THexScroll::PageDown: next = top + page; break;
    case THexScroll::Thumb: next = std::int64_t(thumbPos) * row; break;
    case THexScroll::Top: next = 0; break;
    case THexScroll::Bottom: next = (std::int64_t(DataSize()) / row + 1) * row; break;
    case THexScroll::Other: return false;
    }
    next = std::clamp<std::int64_t>(next, 0, std::max<std::int64_t>(MaxTopOffset(), 0));
    if (next != top) {
        FTopOffset = static_cast<std::uint32_t>(next);
        changed = true;
    }
    return true;
}

THexScrollBar TKvHexviewModel::ScrollBar() const
{
    THexScrollBar bar;
    std::int64_t rows = (std::int64_t(DataSize()) + FBytesPerRow - 1) / FBytesPerRow;
    bar.Max = DataSize() == 0 ? 1 : static_cast<std::int32_t>(rows - 1);
    bar.Page = FVisibleRows;
    bar.Pos = static_cast<std::int32_t>(FTopOffset / static_cast<std::uint32_t>(FBytesPerRow));
    return bar;
}

void TKvHexviewModel::Paint(std::int32_t top, std::int32_t bottom, IKvHexCanvas& canvas) const
{
    if (bottom <= top)
        return;
    std::int32_t widths[129] = {};
    for (int ch = 32; ch <= 128; ++ch)
        widths[ch] = canvas.CharWidth(static_cast<unsigned char>(ch));
    std::uint64_t offset = FTopOffset;
    for (std::int32_t y = 0; offset < DataSize() && y < bottom; y += RowHeight) {
        if (y + RowHeight > top)
            PaintRow(static_cast<std::uint32_t>(offset), y, canvas, widths);
        offset += static_cast<std::uint64_t>(FBytesPerRow);
    }
}

void TKvHexviewModel::PaintRow(std::uint32_t offset, std::int32_t y, IKvHexCanvas& canvas,
                               const std::int32_t* widths) const
{
    for (int k = 0; k < 8; ++k)
        canvas.DrawChar(2 + DigitAdvance * k, y, HexDigits[(offset >> (28 - 4 * k)) & 15]);
    std::int32_t x = FirstHexX;
    std::int32_t cell = CharColumnX();
    for (std::int32_t i = 0; i < FBytesPerRow; ++i, x += ByteAdvance, cell += CharCell) {
        std::uint64_t at = std::uint64_t(offset) + static_cast<std::uint64_t>(i);
        if (at >= DataSize())
            continue;
        std::uint8_t b = FData[static_cast<std::size_t>(at)];
        canvas.DrawChar(x, y, HexDigits[b >> 4]);
        canvas.DrawChar(x + DigitAdvance, y, HexDigits[b & 15]);
        char shown = Printable(b) ? static_cast<char>(b) : '.';
        std::int32_t w = widths[static_cast<unsigned char>(shown)];
        canvas.DrawChar(cell + (CharCell - w) / 2, y, shown);
    }
}
