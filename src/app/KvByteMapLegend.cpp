#include "app/KvByteMapLegend.h"

#include <algorithm>

namespace {

constexpr int LegendColumnMin = 170;  // fits "Unaccounted: 999,999,999 bytes"

std::string GroupDigits(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

}  // namespace

const std::array<TKvLegendEntry, ByteClassCount>& ByteMapLegend()
{
    // Image data, the bulk of most files, stays quiet; faults are loud.
    static const std::array<TKvLegendEntry, ByteClassCount> legend = {{
        {TByteClass::Header, "Header", 0x7030A0},
        {TByteClass::Directory, "Directories", 0x1F4FBF},
        {TByteClass::TagValue, "Tag values", 0x2E9E4F},
        {TByteClass::ImageData, "Image data", 0xC0C0C0},
        {TByteClass::Unaccounted, "Unaccounted", 0xF2C200},
        {TByteClass::Overlap, "Claimed twice", 0xE0201C},
        {TByteClass::BeyondEnd, "Beyond the end", 0x7A3E12},
    }};
    return legend;
}

std::uint32_t ByteClassColour(TByteClass byteClass)
{
    for (const TKvLegendEntry& entry : ByteMapLegend())
        if (entry.Class == byteClass)
            return entry.Colour;
    return 0;
}

std::string LegendText(const TKvLegendEntry& entry, std::uint64_t bytes)
{
    return std::string(entry.Name) + ": " + GroupDigits(bytes) + (bytes == 1 ? " byte" : " bytes");
}

TKvLegendLayout LayoutByteMap(int width, int height)
{
    TKvLegendLayout layout;
    layout.Columns = std::clamp(width / LegendColumnMin, 1, static_cast<int>(ByteClassCount));
    layout.ColumnWidth = width / layout.Columns;
    const int rows = (static_cast<int>(ByteClassCount) + layout.Columns - 1) / layout.Columns;
    layout.PictureHeight = std::max(0, height - LegendGap - rows * LegendRowHeight);
    return layout;
}
