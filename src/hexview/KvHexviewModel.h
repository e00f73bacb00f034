// The arithmetic of the hex dump control, free of any window system: how many
// bytes fit a row, which rows fit the height, where scrolling may go and what
// a paint draws where.
#pragma once

#include <cstdint>
#include <vector>

enum class THexScroll { LineUp, LineDown, PageUp, PageDown, Thumb, Top, Bottom, Other };

struct THexScrollBar {
    std::int32_t Min = 0;
    std::int32_t Max = 1;
    std::int32_t Page = 0;
    std::int32_t Pos = 0;
};

// What a paint needs from a drawing context.
class IKvHexCanvas {
public:
    virtual ~IKvHexCanvas() = default;
    virtual std::int32_t CharWidth(unsigned char ch) = 0;
    virtual void DrawChar(std::int32_t x, std::int32_t y, char ch) = 0;
};

class TKvHexviewModel {
public:
    static constexpr std::int32_t RowHeight = 15;
    static constexpr std::int32_t FirstHexX = 68;
    static constexpr std::int32_t ByteAdvance = 18;
    static constexpr std::int32_t DigitAdvance = 6;
    static constexpr std::int32_t CharCell = 8;
    static constexpr std::int32_t ReservedWidth = 80;
    static constexpr std::int32_t BytePixels = 26;
    static constexpr std::int32_t MinBytesPerRow = 4;

    void SetData(const std::uint8_t* bytes, std::uint32_t size);

    // Returns true when the size really changed (and the layout was redone).
    bool Resize(std::int32_t width, std::int32_t height);

    // Returns false for codes the control leaves unhandled; Changed reports a
    // new top offset (the caller then updates the bar and repaints).
    bool Scroll(THexScroll code, std::uint32_t thumbPos, bool& changed);

    THexScrollBar ScrollBar() const;

    // Draws the rows that meet the band top..bottom (client coordinates).
    void Paint(std::int32_t top, std::int32_t bottom, IKvHexCanvas& canvas) const;

    std::uint32_t DataSize() const { return static_cast<std::uint32_t>(FData.size()); }
    const std::vector<std::uint8_t>& Data() const { return FData; }
    std::uint32_t TopOffset() const { return FTopOffset; }
    std::int32_t BytesPerRow() const { return FBytesPerRow; }
    std::int32_t VisibleRows() const { return FVisibleRows; }
    std::int32_t CharColumnX() const { return (3 * FBytesPerRow + 13) * 6 + 2; }

private:
    std::int64_t MaxTopOffset() const;
    void PaintRow(std::uint32_t offset, std::int32_t y, IKvHexCanvas& canvas,
                  const std::int32_t* widths) const;

    std::vector<std::uint8_t> FData;
    std::uint32_t FTopOffset = 0;
    std::int32_t FLastWidth = -1;
    std::int32_t FLastHeight = -1;
    std::int32_t FBytesPerRow = MinBytesPerRow;
    std::int32_t FVisibleRows = 0;
};
