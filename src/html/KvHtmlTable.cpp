// Tables: the grid bookkeeping while parsing, column widths from the cells'
// minimum and maximum widths, and row layout.
#include <algorithm>

#include "html/KvHtmlElements.h"
#include "html/KvHtmlLayout.h"
#include "html/KvHtmlMath.h"

namespace {

// A grid of more slots than this is refused: it can only come from hostile
// text, and it keeps every index far from wrapping.
constexpr std::int64_t MaxGridSlots = 4 * 1024 * 1024;

// Rows, columns and grid slots are non-negative counts kept in 32 bits.
std::size_t At(std::int64_t index)
{
    return static_cast<std::size_t>(index);
}

TKvHtmlElementTable& TableOf(const TKvHtmlElement& element)
{
    if (!element.FTable)
        KvHtmlFail("2330.95");
    return *element.FTable;
}

}  // namespace

// ---------------------------------------------------------------- bookkeeping

void TKvHtmlElementCol::InitStyle()
{
    InheritStyle();
    FColumn = TableOf(*this).FColumnCount;
    FSpan = 1;
}

void TKvHtmlElementCol::Close()
{
    TKvHtmlElementTable& table = TableOf(*this);
    if (table.FCurrentRow == 0 && table.FCurrentColumn == 0)
        table.AddColumn(*this);
}

void TKvHtmlElementTd::InitStyle()
{
    InheritStyle();
    TKvHtmlElementTable& table = TableOf(*this);
    FRow = table.FCurrentRow;
    FStartColumn = table.FCurrentColumn;
    FColspan = 1;
    FVAlign = VAlignTop;
}

void TKvHtmlElementTd::Close()
{
    TableOf(*this).PlaceCell(*this);
}

void TKvHtmlElementTr::Close()
{
    TableOf(*this).EndRow();
}

void TKvHtmlElementTable::AddColumn(TKvHtmlElementCol& col)
{
    std::int32_t index = FColumnCount;
    GrowColumns(FColumnCount + 1);
    col.FColumn = index;
    FColumns[At(index)] = &col;
}

void TKvHtmlElementTable::PlaceCell(TKvHtmlElementTd& cell)
{
    std::int64_t end = static_cast<std::int64_t>(cell.FStartColumn) + cell.FColspan;
    if (end > KvHtmlMaxColspan)
        KvHtmlFail("2355.74");
    if (end > FColumnCount)
        GrowColumns(static_cast<std::int32_t>(end));
    if (cell.FRow + 1 > FRowCount)
        GrowRows(cell.FRow + 1);
    for (std::int32_t c = cell.FStartColumn; c < end; ++c)
        FGrid[At(std::int64_t{cell.FRow} * FColumnCount + c)] = &cell;
    FCurrentColumn = static_cast<std::int32_t>(end);
}

void TKvHtmlElementTable::EndRow()
{
    ++FCurrentRow;
    FCurrentColumn = 0;
}

void TKvHtmlElementTable::GrowColumns(std::int32_t columns)
{
    if (FRowCount >= 2)
        KvHtmlFail("2355.74");
    if (columns > KvHtmlMaxColspan)
        KvHtmlFail("2355.74");
    if (static_cast<std::size_t>(columns) > FColumns.capacity())
        FColumns.reserve(static_cast<std::size_t>(columns) + 32);
    FColumns.resize(At(columns), nullptr);
    if (FRowCount == 1) {
        if (static_cast<std::size_t>(columns) > FGrid.capacity())
            FGrid.reserve(9 * At(columns) + 64);
        FGrid.resize(At(columns), nullptr);
    }
    FColumnCount = columns;
}

void TKvHtmlElementTable::GrowRows(std::int32_t rows)
{
    std::int64_t slots = static_cast<std::int64_t>(rows) * FColumnCount;
    if (slots > MaxGridSlots)
        KvHtmlFail("2384.91");
    if (static_cast<std::size_t>(slots) > FGrid.capacity())
        FGrid.reserve(At(slots) + 64 + 8 * At(FColumnCount));
    FGrid.resize(static_cast<std::size_t>(slots), nullptr);
    FRowCount = rows;
}

TKvHtmlElementTd* TKvHtmlElementTable::Cell(std::int32_t row, std::int32_t column) const
{
    return FGrid[At(std::int64_t{row} * FColumnCount + column)];
}

TKvHtmlElementTd* TKvHtmlElementTable::CellStart(std::int32_t row, std::int32_t column) const
{
    TKvHtmlElementTd* cell = Cell(row, column);
    return cell && cell->FStartColumn == column ? cell : nullptr;
}

// ---------------------------------------------------------------- width pass

void TKvHtmlElementTable::ComputeColumnMinMax()
{
    FColumnMinMax.assign(At(FColumnCount), TMinMax{});
    for (std::int32_t c = 0; c < FColumnCount; ++c) {
        if (FColumns[At(c)] && FColumns[At(c)]->FWidthGiven)
            FColumnMinMax[At(c)] = {FColumns[At(c)]->FWidth, FColumns[At(c)]->FWidth};
    }
    for (std::int32_t r = 0; r < FRowCount; ++r) {
        for (std::int32_t c = 0; c < FColumnCount; ++c) {
            TKvHtmlElementTd* cell = CellStart(r, c);
            if (!cell || cell->FColspan != 1)
                continue;
            FColumnMinMax[At(c)].FMin = std::max(FColumnMinMax[At(c)].FMin, cell->FMinWidth);
            FColumnMinMax[At(c)].FMax = std::max(FColumnMinMax[At(c)].FMax, cell->FMaxWidth);
        }
    }
    // A spanning cell wider than its columns spreads the deficit over them
    // from the left, each column taking its rounded share of what is left.
    auto distribute = [this](std::int32_t first, std::int32_t span, std::int32_t want,
                             std::int32_t TMinMax::*field) {
        std::int64_t sum = 0;
        for (std::int32_t k = 0; k < span; ++k)
            sum += FColumnMinMax[At(first + k)].*field;
        std::int64_t deficit = want - sum;
        for (std::int32_t k = 0; k < span && deficit > 0; ++k) {
            std::int32_t share = KvRoundRatio(deficit, span - k);
            FColumnMinMax[At(first + k)].*field = KvAdd(FColumnMinMax[At(first + k)].*field, share);
            deficit -= share;
        }
    };
    for (std::int32_t r = 0; r < FRowCount; ++r) {
        for (std::int32_t c = 0; c < FColumnCount; ++c) {
            TKvHtmlElementTd* cell = CellStart(r, c);
            if (!cell || cell->FColspan <= 1)
                continue;
            distribute(c, cell->FColspan, cell->FMinWidth, &TMinMax::FMin);
            distribute(c, cell->FColspan, cell->FMaxWidth, &TMinMax::FMax);
        }
    }
    // The two distributions are independent; a column must never end up
    // with a maximum below its minimum, or the width shares divide by zero.
    std::int64_t sumMin = 0, sumMax = 0;
    for (TMinMax& column : FColumnMinMax) {
        column.FMax = std::max(column.FMax, column.FMin);
        sumMin += column.FMin;
        sumMax += column.FMax;
    }
    FSumMin = KvClamp32(sumMin);
    FSumMax = KvClamp32(sumMax);
}

void TKvHtmlElementTable::MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                                        std::int32_t& maximum)
{
    state.EndLine(minimum, maximum);
    for (std::int32_t r = 0; r < FRowCount; ++r) {
        for (std::int32_t c = 0; c < FColumnCount; ++c) {
            TKvHtmlElementTd* cell = CellStart(r, c);
            if (!cell)
                continue;
            std::int32_t cellMin = 0, cellMax = 0;
            cell->MeasureMinMax(state, cellMin, cellMax);
            cell->FMinWidth = cellMin;
            cell->FMaxWidth = cellMax;
        }
    }
    ComputeColumnMinMax();
    std::int32_t box = HorizontalBox();
    minimum = std::max(minimum, KvAdd(FSumMin, box));
    maximum = std::max(maximum, KvAdd(FSumMax, box));
}

// ---------------------------------------------------------------- height pass

void TKvHtmlElementTable::ComputeColumnWidths(std::int32_t available)
{
    FColumnWidths.assign(At(FColumnCount), 0);
    if (FColumnMinMax.size() != At(FColumnCount))
        return;
    std::int64_t extra = static_cast<std::int64_t>(available) - FSumMin;
    std::int64_t sumMin = FSumMin, sumMax = FSumMax;
    for (std::int32_t c = 0; c < FColumnCount; ++c) {
        const TMinMax& column = FColumnMinMax[At(c)];
        std::int32_t share = 0;
        std::int64_t flexible = sumMax - sumMin;
        if (column.FMax != column.FMin && flexible > 0)
            share = KvRoundScaled(std::int64_t{column.FMax} - column.FMin, extra, flexible);
        FColumnWidths[At(c)] = KvAdd(column.FMin, share);
        sumMin -= column.FMin;
        sumMax -= column.FMax;
        extra -= share;
    }
}

void TKvHtmlElementTable::LayoutRow(TKvHtmlSizeHeightForWidthData& state, std::int32_t row,
                                    std::int32_t x, std::int32_t& y)
{
    std::int32_t rowTop = y, rowBottom = y, cellX = x;
    for (std::int32_t c = 0; c < FColumnCount; ++c) {
        TKvHtmlElementTd* cell = CellStart(row, c);
        if (!cell)
            continue;
        std::int32_t cellWidth = 0;
        for (std::int32_t k = c; k < c + cell->FColspan && k < FColumnCount; ++k)
            cellWidth = KvAdd(cellWidth, FColumnWidths[At(k)]);
        std::int32_t cellY = rowTop;
        cell->LayoutHeight(state, cellX, cellY, cellWidth);
        state.FlushMargin(cellY);
        rowBottom = std::max(rowBottom, cellY);
        cellX = KvAdd(cellX, cellWidth);
    }
    std::int32_t rowHeight = KvSub(rowBottom, rowTop);
    for (std::int32_t c = 0; c < FColumnCount; ++c) {
        TKvHtmlElementTd* cell = CellStart(row, c);
        if (!cell)
            continue;
        if (cell->FVAlign == TKvHtmlElementTd::VAlignMiddle)
            cell->ShiftChildren(KvSub(rowHeight, cell->FBoxHeight) / 2);
        else if (cell->FVAlign != TKvHtmlElementTd::VAlignTop)
            KvHtmlFail("1765.72");
        cell->FBoxHeight = rowHeight;
    }
    y = rowBottom;
}

void TKvHtmlElementTable::LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t x,
                                       std::int32_t& y, std::int32_t width)
{
    state.EndLine(y);
    state.AddMargin(FMarginTop);
    state.FlushMargin(y);
    FBoxX = x;
    FBoxY = y;
    std::int32_t contentX = KvAdd(x, KvAdd(FMarginLeft, KvAdd(FBorderLeft, FPaddingLeft)));
    std::int32_t overhead = HorizontalBox();
    // A table never stretches beyond its maximum width: given more room
    // (a wide window), it is laid out at its maximum.
    std::int32_t available = std::min(KvSub(width, overhead), FSumMax);
    FBoxWidth = KvAdd(available, overhead);
    ComputeColumnWidths(available);
    for (std::int32_t r = 0; r < FRowCount; ++r)
        LayoutRow(state, r, contentX, y);
    FBoxHeight = KvSub(y, FBoxY);
    state.AddMargin(FMarginBottom);
}

void TKvHtmlElementTable::ShiftY(std::int32_t)
{
    KvHtmlFail("1743.70");
}
