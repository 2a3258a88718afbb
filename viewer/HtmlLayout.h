// Lays the boxes of a page out for a width: lines broken at blanks and after
// hyphens, tables with automatic column widths, lists with markers. The
// result is a display list in document coordinates, in painting order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "viewer/Canvas.h"
#include "viewer/HtmlContent.h"

namespace kivo {

// No position or size of a layout passes this: sums over a hostile page (a
// thousand columns of 100 000 px, rows of pictures 8000 px high) are taken in
// 64 bits and clamped, so that the few ints added after stay in range.
inline constexpr int kMaxLayoutExtent = 1 << 24;

inline int ClampExtent(std::int64_t value) {
  return static_cast<int>(value < -kMaxLayoutExtent  ? -kMaxLayoutExtent
                          : value > kMaxLayoutExtent ? kMaxLayoutExtent
                                                     : value);
}

// AltText: an image's alternative text, standing where its picture would.
enum class TDisplayKind : std::uint8_t { Text, Marker, Image, Fill, Frame, AltText };

struct TDisplayItem {
  TDisplayKind Kind = TDisplayKind::Text;
  TRect Rect;       // text: the part of the line box the run covers
  int TextTop = 0;  // text and markers: the top of the glyphs
  int Style = -1;
  int Link = -1;
  // Text: characters of THtmlContent::Text; markers: of MarkerText; alternative texts: of AltText.
  std::uint32_t Start = 0;
  std::uint32_t End = 0;
  int Image = -1;
  TColor Color = 0;  // fills and frames; may be kDefaultTextColor
};

struct THtmlLayout {
  std::vector<TDisplayItem> Items;
  std::vector<int> MaxBottom;   // greatest bottom of Items[0..i]
  std::vector<int> MinTop;      // least top of Items[i..]
  std::vector<int> TextItems;   // items with page text, in text order
  std::vector<int> AnchorTops;  // per anchor; -1 when not placed
  std::u16string MarkerText;
  std::u16string AltText;
  int Width = 0;
  int Height = 0;

  // The index range of items that may meet the rows [top, bottom).
  std::pair<std::size_t, std::size_t> ItemsBetween(int top, int bottom) const;
};

class THtmlLayoutEngine {
 public:
  THtmlLayoutEngine(const THtmlContent& content, IFontMetrics& metrics);

  THtmlLayout Layout(int width);
  // Content widths depend on picture sizes; call when one changed.
  void ForgetMeasures();
  int TextWidth(int style, std::uint32_t start, std::uint32_t end);

 private:
  enum class TPieceKind : std::uint8_t { Word, Image, Break, Anchor };
  // A stretch of an inline box that is never broken, except a word by characters.
  struct TPiece {
    TPieceKind Kind = TPieceKind::Word;
    bool SpaceAfter = false;  // a collapsible blank follows
    bool BreakAfter = false;  // a line may end after it
    const TInlineItem* Item = nullptr;
    std::uint32_t Start = 0;
    std::uint32_t End = 0;
    int Width = 0;  // words
  };
  struct TLinePart {
    const TPiece* Piece;
    int X;
    int Width;
    std::uint32_t Start;
    std::uint32_t End;
  };
  struct TStyleMetrics {
    bool Known = false;
    int Ascent = 0;
    int Descent = 0;
    int Space = 0;
  };
  struct TWidths {
    int Min = -1;
    int Max = -1;
  };
  struct TColumn {
    int Min = 0;
    int Max = 0;
    int Fixed = 0;
    int Percent = 0;
  };
  struct TGrid {
    std::vector<std::vector<int>> Rows;
    std::vector<int> Captions;
    int Columns = 0;
  };
  struct TCellRun {
    int Box;
    TRect Rect;
    std::size_t First;
    std::size_t End;
    int Height;
    std::size_t Background;
  };

  const TBox& Box(int index) const { return content_.Boxes[static_cast<std::size_t>(index)]; }
  const TStyleMetrics& Metrics(int style);
  const std::vector<TPiece>& Pieces(int box);
  void AddTextPieces(const TInlineItem& item, std::vector<TPiece>& pieces);
  int PieceWidth(const TPiece& piece) const;
  // The alternative text an image piece shows instead of its picture; null for a picture.
  const std::u16string* AltTextOf(const TPiece& piece) const;

  TWidths Measure(int box);
  TWidths MeasureInline(int box);
  TWidths MeasureTable(int box);
  TGrid Grid(int table) const;
  std::vector<TColumn> Columns(const TGrid& grid, int table);
  int TableWidth(const std::vector<TColumn>& columns, const TBox& table, int available) const;
  std::vector<int> ColumnWidths(std::vector<TColumn> columns, const TBox& table, int inner) const;

  void LayoutBox(int box, int x, int width, bool noWrap);
  void LayoutFlow(int box, int x, int width, bool noWrap);
  void LayoutRule(int box, int x, int width);
  void LayoutTable(int box, int x, int width);
  void LayoutRow(const std::vector<int>& cells, const TBox& table, const std::vector<int>& widths, int x);
  int LayoutCell(int cell, const TBox& table, int x, int top, int width);
  void LayoutInline(int box, int x, int width, bool noWrap);
  void PlaceGroup(const std::vector<TPiece>& pieces, std::size_t begin, std::size_t end);
  void SplitWord(const TPiece& piece);
  std::uint32_t FitCharacters(int style, std::uint32_t start, std::uint32_t end, int room);
  void AddPart(const TPiece& piece, std::uint32_t start, std::uint32_t end, int width);
  void FinishLine(const TPiece* lineBreak);
  void EmitParts(int left, int top, int baseline, int height);
  void EmitMarker(int baseline, int top, int height);
  void AddMargin(int margin) { pendingMargin_ = std::max(pendingMargin_, margin); }
  void FlushMargin();
  void MoveDown(std::int64_t dy) { y_ = ClampExtent(y_ + dy); }
  std::size_t AddItem(TDisplayKind kind, const TRect& rect, TColor color = 0);
  void ShiftItems(std::size_t first, std::size_t end, int dy);
  void Index();

  const THtmlContent& content_;
  IFontMetrics& metrics_;
  std::vector<TStyleMetrics> styleMetrics_;
  std::vector<std::vector<TPiece>> pieces_;
  std::vector<bool> piecesMade_;
  std::vector<TWidths> measures_;

  // the pass in progress
  THtmlLayout out_;
  int y_ = 0;
  int pendingMargin_ = 0;
  bool suppressMargin_ = false;
  int pendingMarker_ = -1;
  int markerX_ = 0;
  std::vector<TLinePart> line_;
  int lineX_ = 0;
  int lineWidth_ = 0;
  int fitWidth_ = 0;
  TAlign lineAlign_ = TAlign::Left;
  int lineUsed_ = 0;
  int trailingSpace_ = 0;
};

}  // namespace kivo
