// What the byte map shows for each class of bytes: its name and colour in
// the legend, and how the legend shares the control with the picture.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "inspect/ByteClasses.h"

struct TKvLegendEntry {
    TByteClass Class;
    const char* Name;
    std::uint32_t Colour;  // 0xRRGGBB
};

// Every class, in the order the legend lists them: structure first, then
// the bytes that tell of a fault.
const std::array<TKvLegendEntry, ByteClassCount>& ByteMapLegend();
std::uint32_t ByteClassColour(TByteClass byteClass);

// "Tag values: 12,345 bytes".
std::string LegendText(const TKvLegendEntry& entry, std::uint64_t bytes);

// The legend sits below the picture in as many columns as the width holds;
// every figure is at 96 DPI.
struct TKvLegendLayout {
    int PictureHeight = 0;
    int Columns = 1;
    int ColumnWidth = 0;
};
inline constexpr int LegendRowHeight = 16;
inline constexpr int LegendSwatch = 10;
inline constexpr int LegendGap = 4;  // between the picture and the legend, swatch and text
TKvLegendLayout LayoutByteMap(int width, int height);
