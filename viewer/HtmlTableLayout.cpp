// The table half of the layout engine: the grid of rows and cells, column
// widths from the cells' content and the table's own width, and the rows laid
// out with their cells' borders.
#include <algorithm>
#include <cstdint>

#include "viewer/HtmlLayout.h"

namespace kivo {
namespace {

constexpr int kMaxColumns = 1000;
constexpr TColor kBorderColor = 0x808080;

}  // namespace

THtmlLayoutEngine::TGrid THtmlLayoutEngine::Grid(int table) const {
  TGrid grid;
  for (const int child : Box(table).Children) {
    const TBox& box = Box(child);
    if (box.Kind != TBoxKind::Row) {
      grid.Captions.push_back(child);
      continue;
    }
    int columns = 0;
    for (const int cell : box.Children) columns += Box(cell).ColSpan;
    grid.Columns = std::clamp(columns, grid.Columns, kMaxColumns);
    grid.Rows.push_back(box.Children);
  }
  return grid;
}

std::vector<THtmlLayoutEngine::TColumn> THtmlLayoutEngine::Columns(const TGrid& grid, int table) {
  std::vector<TColumn> columns(static_cast<std::size_t>(grid.Columns));
  const int spacing = Box(table).CellSpacing;
  for (const bool spanned : {false, true}) {
    for (const std::vector<int>& row : grid.Rows) {
      int col = 0;
      for (const int cell : row) {
        if (col >= grid.Columns) break;
        const TBox& box = Box(cell);
        const int span = std::min(box.ColSpan, grid.Columns - col);
        const TWidths widths = Measure(cell);
        const auto first = columns.begin() + col;
        col += span;
        if ((span > 1) != spanned) continue;
        if (span == 1) {
          first->Min = std::max(first->Min, widths.Min);
          first->Max = std::max(first->Max, widths.Max);
          if (box.Width.Set && box.Width.Percent) first->Percent = std::max(first->Percent, box.Width.Value);
          if (box.Width.Set && !box.Width.Percent) first->Fixed = std::max(first->Fixed, box.Width.Value);
          continue;
        }
        // A spanning cell widens its columns evenly by what they lack.
        std::int64_t haveMin = std::int64_t{spacing} * (span - 1), haveMax = haveMin;
        for (auto c = first; c != first + span; ++c) haveMin += c->Min, haveMax += c->Max;
        for (auto c = first; c != first + span; ++c) {
          c->Min = ClampExtent(c->Min + std::max<std::int64_t>(0, widths.Min - haveMin) / span);
          c->Max = ClampExtent(c->Max + std::max<std::int64_t>(0, widths.Max - haveMax) / span);
        }
      }
    }
  }
  for (TColumn& column : columns) {
    column.Max = std::max(column.Max, column.Min);
    if (column.Fixed > 0) column.Max = std::max(column.Min, column.Fixed);
  }
  return columns;
}

THtmlLayoutEngine::TWidths THtmlLayoutEngine::MeasureTable(int index) {
  const TBox& table = Box(index);
  const TGrid grid = Grid(index);
  const std::vector<TColumn> columns = Columns(grid, index);
  const int overhead = table.CellSpacing * (grid.Columns + 1) + 2 * table.Border;
  std::int64_t min = overhead, max = overhead;
  for (const TColumn& column : columns) min += column.Min, max += column.Max;
  TWidths widths{ClampExtent(min), ClampExtent(max)};
  for (const int caption : grid.Captions) {
    const TWidths c = Measure(caption);
    widths = {std::max(widths.Min, c.Min), std::max(widths.Max, c.Max)};
  }
  if (table.Width.Set && !table.Width.Percent) {
    widths.Min = std::max(widths.Min, table.Width.Value);
    widths.Max = widths.Min;
  }
  return widths;
}

int THtmlLayoutEngine::TableWidth(const std::vector<TColumn>& columns, const TBox& table,
                                  int available) const {
  const int overhead = table.CellSpacing * (static_cast<int>(columns.size()) + 1) + 2 * table.Border;
  std::int64_t sumMin = overhead, sumMax = overhead;
  for (const TColumn& column : columns) sumMin += column.Min, sumMax += column.Max;
  if (table.Width.Set)
    return ClampExtent(std::max<std::int64_t>(ResolveLength(table.Width, available), sumMin));
  return ClampExtent(std::max<std::int64_t>(std::min<std::int64_t>(available, sumMax), sumMin));
}

std::vector<int> THtmlLayoutEngine::ColumnWidths(std::vector<TColumn> columns, const TBox& table,
                                                 int inner) const {
  for (TColumn& column : columns) {
    if (column.Percent > 0)
      column.Min = column.Max = std::max(column.Min, ClampExtent(std::int64_t{inner} * column.Percent / 100));
  }
  std::int64_t sumMin = 0, sumMax = 0, flexibleMax = 0;
  int flexible = 0;
  for (const TColumn& column : columns) {
    sumMin += column.Min;
    sumMax += column.Max;
    if (column.Percent == 0 && column.Fixed == 0) flexibleMax += column.Max, ++flexible;
  }
  std::vector<int> widths;
  widths.reserve(columns.size());
  if (inner >= sumMax) {
    const std::int64_t extra = table.Width.Set || sumMax < inner ? inner - sumMax : 0;
    for (const TColumn& column : columns) {
      const bool grows = flexible == 0 || (column.Percent == 0 && column.Fixed == 0);
      const std::int64_t pool = flexible == 0 ? sumMax : flexibleMax;
      const std::int64_t count = flexible == 0 ? static_cast<std::int64_t>(columns.size()) : flexible;
      std::int64_t share = 0;
      if (grows) share = pool > 0 ? extra * column.Max / pool : extra / std::max<std::int64_t>(count, 1);
      widths.push_back(ClampExtent(column.Max + share));
    }
  } else if (inner > sumMin) {
    for (const TColumn& column : columns)
      widths.push_back(
          ClampExtent(column.Min + (column.Max - column.Min) * (inner - sumMin) / (sumMax - sumMin)));
  } else {
    for (const TColumn& column : columns) widths.push_back(column.Min);
  }
  return widths;
}

void THtmlLayoutEngine::LayoutTable(int index, int x, int width) {
  const TBox& table = Box(index);
  FlushMargin();
  if (pendingMarker_ >= 0) {
    const TStyleMetrics& m = Metrics(Box(pendingMarker_).MarkerStyle);
    EmitMarker(y_ + m.Ascent, y_, m.Ascent + m.Descent);
  }
  const TGrid grid = Grid(index);
  const std::vector<TColumn> columns = Columns(grid, index);
  const int tableWidth = TableWidth(columns, table, width);
  const int overhead = table.CellSpacing * (grid.Columns + 1) + 2 * table.Border;
  const std::vector<int> widths = ColumnWidths(columns, table, tableWidth - overhead);
  const int left = x + AlignOffset(table.Align, width - tableWidth);
  for (const int caption : grid.Captions) LayoutBox(caption, left, tableWidth, false);
  FlushMargin();
  const int top = y_;
  const std::size_t background = table.Background ? AddItem(TDisplayKind::Fill, {}, *table.Background) : 0;
  MoveDown(table.Border + table.CellSpacing);
  for (const std::vector<int>& row : grid.Rows)
    LayoutRow(row, table, widths, left + table.Border + table.CellSpacing);
  MoveDown(table.Border);
  const TRect rect{left, top, left + tableWidth, y_};
  if (table.Background) out_.Items[background].Rect = rect;
  for (int i = 0; i < table.Border; ++i)
    AddItem(TDisplayKind::Frame, {rect.Left + i, rect.Top + i, rect.Right - i, rect.Bottom - i},
            kBorderColor);
  pendingMargin_ = 0;
  suppressMargin_ = false;
}

void THtmlLayoutEngine::LayoutRow(const std::vector<int>& cells, const TBox& table,
                                  const std::vector<int>& widths, int x) {
  const int top = y_;
  std::vector<TCellRun> runs;
  int col = 0;
  int rowHeight = 0;
  for (const int cell : cells) {
    const int columns = static_cast<int>(widths.size());
    if (col >= columns) break;
    const TBox& box = Box(cell);
    const int span = std::min(box.ColSpan, columns - col);
    std::int64_t sum = std::int64_t{table.CellSpacing} * (span - 1);
    for (int c = col; c < col + span; ++c) sum += widths[static_cast<std::size_t>(c)];
    const int width = ClampExtent(sum);
    const std::size_t background = box.Background ? AddItem(TDisplayKind::Fill, {}, *box.Background) : 0;
    const std::size_t first = out_.Items.size();
    const int height = LayoutCell(cell, table, x, top, width);
    runs.push_back({cell, {x, top, x + width, top}, first, out_.Items.size(), height, background});
    rowHeight = std::max(rowHeight, height);
    x = ClampExtent(std::int64_t{x} + width + table.CellSpacing);
    col += span;
  }
  for (TCellRun& run : runs) {
    run.Rect.Bottom = top + rowHeight;
    const TVAlign align = Box(run.Box).VAlign;
    const int room = rowHeight - run.Height;
    ShiftItems(run.First, run.End, align == TVAlign::Top ? 0 : align == TVAlign::Middle ? room / 2 : room);
    if (Box(run.Box).Background) out_.Items[run.Background].Rect = run.Rect;
    if (table.Border > 0) AddItem(TDisplayKind::Frame, run.Rect, kBorderColor);
  }
  y_ = top;
  MoveDown(std::int64_t{rowHeight} + table.CellSpacing);
}

int THtmlLayoutEngine::LayoutCell(int cell, const TBox& table, int x, int top, int width) {
  const int inset = table.CellPadding + (table.Border > 0 ? 1 : 0);
  const int savedMarker = pendingMarker_;
  pendingMarker_ = -1;
  y_ = top + inset;
  pendingMargin_ = 0;
  suppressMargin_ = true;
  const TBox& box = Box(cell);
  for (const int child : box.Children)
    LayoutBox(child, x + inset, std::max(0, width - 2 * inset), box.NoWrap);
  pendingMarker_ = savedMarker;
  return y_ - top + inset;
}

}  // namespace kivo
