// What the builder makes of a page and the layout reads: a tree of boxes (the
// body first), the page's text in reading order with the inline runs pointing
// into it, text styles, links, anchors and pictures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "viewer/Canvas.h"

namespace kivo {

// Colours that follow the body's text and link attributes or the view's options.
inline constexpr TColor kDefaultTextColor = 0x01000000;
inline constexpr TColor kDefaultLinkColor = 0x02000000;

// The page text holds this where a picture stands, so that blanks around it survive.
inline constexpr char16_t kObjectChar = 0xFFFC;

enum class TAlign : std::uint8_t { Left, Center, Right };
enum class TVAlign : std::uint8_t { Top, Middle, Bottom };
enum class TBoxKind : std::uint8_t { Flow, Inline, ListItem, Table, Row, Cell, Rule };
enum class TMarker : std::uint8_t {
  None,
  Disc,
  Circle,
  Square,
  Decimal,
  LowerAlpha,
  UpperAlpha,
  LowerRoman,
  UpperRoman
};
enum class TInlineKind : std::uint8_t { Text, Image, Break, Anchor };

struct TLength {
  int Value = 0;
  bool Percent = false;
  bool Set = false;
};

// A length in pixels: a percentage of `of`, 0 when none is set.
inline int ResolveLength(const TLength& length, int of) {
  if (!length.Set) return 0;
  return length.Percent ? static_cast<int>(static_cast<std::int64_t>(of) * length.Value / 100) : length.Value;
}

// Where a line or block of `room` spare pixels starts with the alignment.
inline int AlignOffset(TAlign align, int room) {
  if (room <= 0) return 0;
  return align == TAlign::Center ? room / 2 : align == TAlign::Right ? room : 0;
}

struct TTextStyle {
  TFontSpec Font;
  TColor Color = kDefaultTextColor;
  friend bool operator==(const TTextStyle&, const TTextStyle&) = default;
};

struct TInlineItem {
  TInlineKind Kind = TInlineKind::Text;
  bool Pre = false;  // white space kept, no wrapping
  int Style = 0;
  int Link = -1;
  std::uint32_t Start = 0;  // Text, Image, Break: the characters in THtmlContent::Text
  std::uint32_t End = 0;
  int Index = -1;  // Image: into Images; Anchor: into Anchors
};

struct TBox {
  TBoxKind Kind = TBoxKind::Flow;
  int Parent = -1;
  std::vector<int> Children;
  std::vector<TInlineItem> Items;  // Inline
  TAlign Align = TAlign::Left;     // of the lines inside; of a table or rule: its own place
  int MarginTop = 0;
  int MarginBottom = 0;
  int IndentLeft = 0;
  int IndentRight = 0;
  // list items
  TMarker Marker = TMarker::None;
  int Number = 0;
  int MarkerStyle = 0;
  // tables and cells
  int Border = 0;
  int CellPadding = 1;
  int CellSpacing = 2;
  int ColSpan = 1;
  TVAlign VAlign = TVAlign::Middle;
  bool NoWrap = false;
  TLength Width;  // tables, cells, rules
  std::optional<TColor> Background;
  // rules
  int RuleSize = 2;
  bool NoShade = false;
};

// Alternative: the picture did not fit the page's budget; each image of it
// shows its alt text instead.
enum class TPictureState : std::uint8_t { Waiting, Shown, None, Alternative };

struct TPicture {
  std::string Source;  // windows-1251, as the page names it
  TPictureState State = TPictureState::Waiting;
  TBitmap32 Bitmap;
  // Names these pixels for good (0 for none): a canvas may keep what it made of them.
  std::uint64_t Stamp = 0;
};

struct TImage {
  int Picture = -1;  // into Pictures; -1: no source
  std::optional<int> Width;
  std::optional<int> Height;
  std::u16string Alt;
};

struct THtmlContent {
  std::vector<TBox> Boxes;  // [0] is the body
  std::u16string Text;      // blocks end in '\n', table cells in '\t'
  std::vector<TTextStyle> Styles;
  std::vector<std::string> Links;    // targets, windows-1251
  std::vector<std::string> Anchors;  // names, windows-1251
  std::vector<TImage> Images;
  std::vector<TPicture> Pictures;  // one per source, in page order
  std::optional<TColor> Background;
  std::optional<TColor> TextColor;
  std::optional<TColor> LinkColor;
};

// The size an image takes: the placeholder while waiting, the picture (scaled
// to a single given side) when shown, nothing when there is no picture (the
// layout measures an alternative text itself).
TSize ImageSize(const THtmlContent& content, const TImage& image);

}  // namespace kivo
