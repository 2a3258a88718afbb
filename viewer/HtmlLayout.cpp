#include "viewer/HtmlLayout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kivo {
namespace {

constexpr int kBodyMargin = 8;
constexpr int kUnbounded = std::numeric_limits<int>::max() / 4;
constexpr int kMarkerGap = 6;
constexpr TColor kRuleColor = 0x808080;

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

std::u16string Alphabetic(int number, char16_t first) {
  std::u16string out;
  for (int n = number; n > 0; n = (n - 1) / 26)
    out.insert(out.begin(), static_cast<char16_t>(first + (n - 1) % 26));
  return out;
}

std::u16string Roman(int number, bool upper) {
  constexpr std::pair<int, std::u16string_view> kDigits[] = {
      {1000, u"m"}, {900, u"cm"}, {500, u"d"}, {400, u"cd"}, {100, u"c"}, {90, u"xc"}, {50, u"l"},
      {40, u"xl"},  {10, u"x"},   {9, u"ix"},  {5, u"v"},    {4, u"iv"},  {1, u"i"}};
  std::u16string out;
  for (const auto& [value, digits] : kDigits) {
    for (; number >= value; number -= value) out += digits;
  }
  if (upper) {
    for (char16_t& c : out) c = static_cast<char16_t>(c - 32);
  }
  return out;
}

std::u16string MarkerLabel(TMarker marker, int number) {
  const bool positive = number > 0 && number < 4000;
  std::u16string label;
  if (marker == TMarker::LowerAlpha && positive)
    label = Alphabetic(number, u'a');
  else if (marker == TMarker::UpperAlpha && positive)
    label = Alphabetic(number, u'A');
  else if (marker == TMarker::LowerRoman && positive)
    label = Roman(number, false);
  else if (marker == TMarker::UpperRoman && positive)
    label = Roman(number, true);
  else
    for (const char c : std::to_string(number)) label += static_cast<char16_t>(c);
  return label + u'.';
}

}  // namespace

std::pair<std::size_t, std::size_t> THtmlLayout::ItemsBetween(int top, int bottom) const {
  const auto first = std::upper_bound(MaxBottom.begin(), MaxBottom.end(), top);
  const auto last = std::lower_bound(MinTop.begin(), MinTop.end(), bottom);
  const auto begin = static_cast<std::size_t>(first - MaxBottom.begin());
  const auto end = static_cast<std::size_t>(last - MinTop.begin());
  return {begin, std::max(begin, end)};
}

THtmlLayoutEngine::THtmlLayoutEngine(const THtmlContent& content, IFontMetrics& metrics)
    : content_(content),
      metrics_(metrics),
      styleMetrics_(content.Styles.size()),
      pieces_(content.Boxes.size()),
      piecesMade_(content.Boxes.size(), false),
      measures_(content.Boxes.size()) {}

void THtmlLayoutEngine::ForgetMeasures() {
  std::fill(measures_.begin(), measures_.end(), TWidths{});
}

int THtmlLayoutEngine::TextWidth(int style, std::uint32_t start, std::uint32_t end) {
  if (end <= start) return 0;
  return metrics_.TextWidth(content_.Styles[static_cast<std::size_t>(style)].Font,
                            std::u16string_view(content_.Text).substr(start, end - start));
}

const THtmlLayoutEngine::TStyleMetrics& THtmlLayoutEngine::Metrics(int style) {
  TStyleMetrics& m = styleMetrics_[static_cast<std::size_t>(style)];
  if (!m.Known) {
    const TFontSpec& font = content_.Styles[static_cast<std::size_t>(style)].Font;
    m.Known = true;
    m.Ascent = metrics_.Ascent(font);
    m.Descent = std::max(0, metrics_.LineHeight(font) - m.Ascent);
    m.Space = metrics_.TextWidth(font, u" ");
  }
  return m;
}

// ---- pieces -------------------------------------------------------------------

void THtmlLayoutEngine::AddTextPieces(const TInlineItem& item, std::vector<TPiece>& pieces) {
  const std::u16string& text = content_.Text;
  const auto add = [&](std::uint32_t start, std::uint32_t end, bool space, bool breakAfter) {
    pieces.push_back(
        {TPieceKind::Word, space, breakAfter, &item, start, end, TextWidth(item.Style, start, end)});
  };
  if (item.Pre) {
    add(item.Start, item.End, false, false);
    return;
  }
  std::uint32_t start = item.Start;
  for (std::uint32_t i = item.Start; i < item.End; ++i) {
    const char16_t c = text[i];
    if (c == ' ') {
      add(start, i, true, true);
      start = i + 1;
    } else if (c == '-' && i > start && i + 1 < item.End && text[i + 1] != ' ') {
      add(start, i + 1, false, true);
      start = i + 1;
    }
  }
  if (start < item.End) add(start, item.End, false, false);
}

const std::vector<THtmlLayoutEngine::TPiece>& THtmlLayoutEngine::Pieces(int box) {
  std::vector<TPiece>& pieces = pieces_[static_cast<std::size_t>(box)];
  if (piecesMade_[static_cast<std::size_t>(box)]) return pieces;
  piecesMade_[static_cast<std::size_t>(box)] = true;
  for (const TInlineItem& item : Box(box).Items) {
    switch (item.Kind) {
      case TInlineKind::Text:
        AddTextPieces(item, pieces);
        break;
      case TInlineKind::Image:
        if (!pieces.empty()) pieces.back().BreakAfter = true;
        pieces.push_back({TPieceKind::Image, false, true, &item, item.Start, item.End, 0});
        break;
      case TInlineKind::Break:
        pieces.push_back({TPieceKind::Break, false, true, &item, item.Start, item.End, 0});
        break;
      case TInlineKind::Anchor:
        pieces.push_back({TPieceKind::Anchor, false, false, &item, 0, 0, 0});
        break;
    }
  }
  return pieces;
}

int THtmlLayoutEngine::PieceWidth(const TPiece& piece) const {
  if (piece.Kind != TPieceKind::Image) return piece.Width;
  if (const std::u16string* alt = AltTextOf(piece))
    return metrics_.TextWidth(content_.Styles[static_cast<std::size_t>(piece.Item->Style)].Font, *alt);
  return ImageSize(content_, content_.Images[static_cast<std::size_t>(piece.Item->Index)]).Width;
}

const std::u16string* THtmlLayoutEngine::AltTextOf(const TPiece& piece) const {
  if (piece.Kind != TPieceKind::Image) return nullptr;
  const TImage& image = content_.Images[static_cast<std::size_t>(piece.Item->Index)];
  if (image.Picture < 0 || image.Alt.empty()) return nullptr;
  const TPicture& picture = content_.Pictures[static_cast<std::size_t>(image.Picture)];
  return picture.State == TPictureState::Alternative ? &image.Alt : nullptr;
}

// ---- content widths -------------------------------------------------------------

THtmlLayoutEngine::TWidths THtmlLayoutEngine::Measure(int index) {
  if (measures_[static_cast<std::size_t>(index)].Min >= 0) return measures_[static_cast<std::size_t>(index)];
  const TBox& box = Box(index);
  TWidths widths{0, 0};
  switch (box.Kind) {
    case TBoxKind::Inline:
      widths = MeasureInline(index);
      break;
    case TBoxKind::Table:
      widths = MeasureTable(index);
      break;
    case TBoxKind::Rule:
      if (box.Width.Set && !box.Width.Percent) widths = {box.Width.Value, box.Width.Value};
      break;
    default:
      for (const int child : box.Children) {
        const TWidths c = Measure(child);
        widths = {std::max(widths.Min, c.Min), std::max(widths.Max, c.Max)};
      }
      widths.Min = ClampExtent(std::int64_t{widths.Min} + box.IndentLeft + box.IndentRight);
      widths.Max = ClampExtent(std::int64_t{widths.Max} + box.IndentLeft + box.IndentRight);
      break;
  }
  if (box.Kind == TBoxKind::Cell) {
    const TBox& table = Box(Box(box.Parent).Parent);
    const int frame = 2 * (table.CellPadding + (table.Border > 0 ? 1 : 0));
    if (box.NoWrap) widths.Min = widths.Max;
    widths = {ClampExtent(std::int64_t{widths.Min} + frame), ClampExtent(std::int64_t{widths.Max} + frame)};
  }
  measures_[static_cast<std::size_t>(index)] = widths;
  return widths;
}

THtmlLayoutEngine::TWidths THtmlLayoutEngine::MeasureInline(int box) {
  const std::vector<TPiece>& pieces = Pieces(box);
  std::int64_t min = 0, max = 0, group = 0, line = 0, trailing = 0;
  for (const TPiece& piece : pieces) {
    if (piece.Kind == TPieceKind::Break) {
      max = std::max(max, line - trailing);
      min = std::max(min, group);
      line = trailing = group = 0;
      continue;
    }
    const int width = PieceWidth(piece);
    group += width;
    line += width;
    trailing = 0;
    if (piece.BreakAfter) {
      min = std::max(min, group);
      group = 0;
    }
    if (piece.SpaceAfter) {
      trailing = Metrics(piece.Item->Style).Space;
      line += trailing;
    }
  }
  return {ClampExtent(std::max(min, group)), ClampExtent(std::max(max, line - trailing))};
}

// ---- blocks -------------------------------------------------------------------

THtmlLayout THtmlLayoutEngine::Layout(int width) {
  out_ = {};
  out_.Width = width;
  out_.AnchorTops.assign(content_.Anchors.size(), -1);
  if (width <= 0 || content_.Boxes.empty()) return std::move(out_);
  y_ = kBodyMargin;
  pendingMargin_ = 0;
  suppressMargin_ = true;
  pendingMarker_ = -1;
  LayoutFlow(0, kBodyMargin, width - 2 * kBodyMargin, false);
  MoveDown(kBodyMargin);
  out_.Height = y_;
  Index();
  return std::move(out_);
}

void THtmlLayoutEngine::FlushMargin() {
  if (!suppressMargin_) MoveDown(pendingMargin_);
  pendingMargin_ = 0;
  suppressMargin_ = false;
}

void THtmlLayoutEngine::LayoutBox(int box, int x, int width, bool noWrap) {
  switch (Box(box).Kind) {
    case TBoxKind::Inline:
      LayoutInline(box, x, width, noWrap);
      break;
    case TBoxKind::Table:
      LayoutTable(box, x, width);
      break;
    case TBoxKind::Rule:
      LayoutRule(box, x, width);
      break;
    default:
      LayoutFlow(box, x, width, noWrap);
      break;
  }
}

void THtmlLayoutEngine::LayoutFlow(int index, int x, int width, bool noWrap) {
  const TBox& box = Box(index);
  AddMargin(box.MarginTop);
  const int innerX = x + box.IndentLeft;
  const int innerWidth = std::max(0, width - box.IndentLeft - box.IndentRight);
  if (box.Kind == TBoxKind::ListItem) {
    pendingMarker_ = index;
    markerX_ = innerX;
  }
  for (const int child : box.Children) LayoutBox(child, innerX, innerWidth, noWrap);
  if (pendingMarker_ == index) {
    FlushMargin();
    const TStyleMetrics& m = Metrics(box.MarkerStyle);
    EmitMarker(y_ + m.Ascent, y_, m.Ascent + m.Descent);
    MoveDown(m.Ascent + m.Descent);
  }
  AddMargin(box.MarginBottom);
}

void THtmlLayoutEngine::LayoutRule(int index, int x, int width) {
  const TBox& box = Box(index);
  AddMargin(box.MarginTop);
  FlushMargin();
  const int ruleWidth = box.Width.Set ? std::min(ResolveLength(box.Width, width), width) : width;
  const int left = x + AlignOffset(box.Align, width - ruleWidth);
  const TRect rect{left, y_, left + ruleWidth, y_ + box.RuleSize};
  if (box.Background || box.NoShade || box.RuleSize < 2) {
    AddItem(TDisplayKind::Fill, rect, box.Background.value_or(kRuleColor));
  } else {
    AddItem(TDisplayKind::Frame, rect, kRuleColor);
  }
  MoveDown(box.RuleSize);
  AddMargin(box.MarginBottom);
}

// ---- lines --------------------------------------------------------------------

void THtmlLayoutEngine::LayoutInline(int box, int x, int width, bool noWrap) {
  const std::vector<TPiece>& pieces = Pieces(box);
  line_.clear();
  lineUsed_ = trailingSpace_ = 0;
  lineX_ = x;
  lineWidth_ = width;
  fitWidth_ = noWrap ? kUnbounded : width;
  lineAlign_ = Box(box).Align;
  std::size_t group = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const TPiece& piece = pieces[i];
    if (piece.Kind == TPieceKind::Break) {
      PlaceGroup(pieces, group, i);
      FinishLine(&piece);
      group = i + 1;
    } else if (piece.BreakAfter || i + 1 == pieces.size()) {
      PlaceGroup(pieces, group, i + 1);
      group = i + 1;
    }
  }
  if (!line_.empty()) FinishLine(nullptr);
}

void THtmlLayoutEngine::PlaceGroup(const std::vector<TPiece>& pieces, std::size_t begin, std::size_t end) {
  if (begin >= end) return;
  std::int64_t sum = 0;
  bool pre = false;
  for (std::size_t i = begin; i < end; ++i) {
    sum += PieceWidth(pieces[i]);
    pre = pre || pieces[i].Item->Pre;
  }
  const int width = ClampExtent(sum);
  if (lineUsed_ > 0 && lineUsed_ + width > fitWidth_) FinishLine(nullptr);
  if (lineUsed_ + width <= fitWidth_ || pre) {
    for (std::size_t i = begin; i < end; ++i)
      AddPart(pieces[i], pieces[i].Start, pieces[i].End, PieceWidth(pieces[i]));
  } else {
    for (std::size_t i = begin; i < end; ++i) SplitWord(pieces[i]);
  }
  const TPiece& last = pieces[end - 1];
  if (last.SpaceAfter) {
    trailingSpace_ = Metrics(last.Item->Style).Space;
    lineUsed_ = ClampExtent(std::int64_t{lineUsed_} + trailingSpace_);
  }
}

// A word wider than the line goes on by characters.
void THtmlLayoutEngine::SplitWord(const TPiece& piece) {
  const int pieceWidth = PieceWidth(piece);
  if (piece.Kind != TPieceKind::Word) {
    if (lineUsed_ > 0 && lineUsed_ + pieceWidth > fitWidth_) FinishLine(nullptr);
    AddPart(piece, piece.Start, piece.End, pieceWidth);
    return;
  }
  if (lineUsed_ + pieceWidth <= fitWidth_) {
    AddPart(piece, piece.Start, piece.End, pieceWidth);
    return;
  }
  const int style = piece.Item->Style;
  std::uint32_t start = piece.Start;
  while (start < piece.End) {
    std::uint32_t count = FitCharacters(style, start, piece.End, fitWidth_ - lineUsed_);
    if (count == piece.End - start) {
      AddPart(piece, start, piece.End, TextWidth(style, start, piece.End));
      return;
    }
    if (count == 0 && lineUsed_ > 0) {
      FinishLine(nullptr);
      continue;
    }
    count = std::max<std::uint32_t>(count, IsHighSurrogate(content_.Text[start]) ? 2 : 1);
    count = std::min(count, piece.End - start);
    AddPart(piece, start, start + count, TextWidth(style, start, start + count));
    FinishLine(nullptr);
    start += count;
  }
}

// How many characters from `start` fit into `room` pixels. Characters are
// taken to be at least a pixel wide, which bounds the search by the room.
std::uint32_t THtmlLayoutEngine::FitCharacters(int style, std::uint32_t start, std::uint32_t end, int room) {
  std::uint32_t low = 0;
  std::uint32_t high =
      std::min<std::uint32_t>(end - start, static_cast<std::uint32_t>(std::max(room, 0)) + 1);
  while (low < high) {
    const std::uint32_t mid = (low + high + 1) / 2;
    if (TextWidth(style, start, start + mid) <= room) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  if (low > 0 && low < end - start && IsHighSurrogate(content_.Text[start + low - 1])) --low;
  return low;
}

void THtmlLayoutEngine::AddPart(const TPiece& piece, std::uint32_t start, std::uint32_t end, int width) {
  line_.push_back({&piece, lineUsed_, width, start, end});
  lineUsed_ = ClampExtent(std::int64_t{lineUsed_} + width);
  trailingSpace_ = 0;
}

void THtmlLayoutEngine::FinishLine(const TPiece* lineBreak) {
  int ascent = 0, descent = 0;
  bool content = false;
  for (const TLinePart& part : line_) {
    if (part.Piece->Kind == TPieceKind::Word || AltTextOf(*part.Piece) != nullptr) {
      const TStyleMetrics& m = Metrics(part.Piece->Item->Style);
      ascent = std::max(ascent, m.Ascent);
      descent = std::max(descent, m.Descent);
      content = true;
    } else if (part.Piece->Kind == TPieceKind::Image) {
      ascent = std::max(
          ascent,
          ImageSize(content_, content_.Images[static_cast<std::size_t>(part.Piece->Item->Index)]).Height);
      content = true;
    }
  }
  if (!content && lineBreak != nullptr) {
    const TStyleMetrics& m = Metrics(lineBreak->Item->Style);
    ascent = m.Ascent;
    descent = m.Descent;
  }
  const int height = ascent + descent;
  if (height > 0) FlushMargin();
  const int used = lineUsed_ - trailingSpace_;
  const int left = lineX_ + AlignOffset(lineAlign_, lineWidth_ - used);
  if (pendingMarker_ >= 0 && height > 0) EmitMarker(y_ + ascent, y_, height);
  EmitParts(left, y_, y_ + ascent, height);
  MoveDown(height);
  line_.clear();
  lineUsed_ = trailingSpace_ = 0;
}

void THtmlLayoutEngine::EmitParts(int left, int top, int baseline, int height) {
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::size_t run = kNone;
  for (const TLinePart& part : line_) {
    const TInlineItem& item = *part.Piece->Item;
    const int x = left + part.X;
    if (part.Piece->Kind == TPieceKind::Anchor) {
      out_.AnchorTops[static_cast<std::size_t>(item.Index)] = top;
      continue;
    }
    if (const std::u16string* alt = AltTextOf(*part.Piece)) {
      TDisplayItem& text = out_.Items[AddItem(TDisplayKind::AltText, {x, top, x + part.Width, top + height})];
      text.TextTop = baseline - Metrics(item.Style).Ascent;
      text.Style = item.Style;
      text.Link = item.Link;
      text.Start = static_cast<std::uint32_t>(out_.AltText.size());
      out_.AltText += *alt;
      text.End = static_cast<std::uint32_t>(out_.AltText.size());
      run = kNone;
      continue;
    }
    if (part.Piece->Kind == TPieceKind::Image) {
      const TSize size = ImageSize(content_, content_.Images[static_cast<std::size_t>(item.Index)]);
      TDisplayItem& image =
          out_.Items[AddItem(TDisplayKind::Image, {x, baseline - size.Height, x + size.Width, baseline})];
      image.Image = item.Index;
      image.Link = item.Link;
      image.Start = item.Start;
      image.End = item.End;
      run = kNone;
      continue;
    }
    // Words of one run on one line become one item.
    if (run != kNone) {
      TDisplayItem& last = out_.Items[run];
      if (last.Style == item.Style && last.Link == item.Link &&
          (part.Start == last.End || (part.Start == last.End + 1 && content_.Text[last.End] == ' '))) {
        last.End = part.End;
        last.Rect.Right = x + part.Width;
        continue;
      }
    }
    if (part.Start == part.End) continue;
    run = AddItem(TDisplayKind::Text, {x, top, x + part.Width, top + height});
    TDisplayItem& text = out_.Items[run];
    text.TextTop = baseline - Metrics(item.Style).Ascent;
    text.Style = item.Style;
    text.Link = item.Link;
    text.Start = part.Start;
    text.End = part.End;
  }
}

void THtmlLayoutEngine::EmitMarker(int baseline, int top, int height) {
  const TBox& box = Box(pendingMarker_);
  pendingMarker_ = -1;
  if (box.Marker == TMarker::None) return;
  const TStyleMetrics& m = Metrics(box.MarkerStyle);
  if (box.Marker == TMarker::Disc || box.Marker == TMarker::Circle || box.Marker == TMarker::Square) {
    const int side = std::max(3, m.Ascent / 3);
    const int right = markerX_ - kMarkerGap - side / 2;
    const int bottom = baseline - m.Ascent / 3 + side / 2;
    const TRect rect{right - side, bottom - side, right, bottom};
    AddItem(box.Marker == TMarker::Circle ? TDisplayKind::Frame : TDisplayKind::Fill, rect,
            kDefaultTextColor);
    return;
  }
  const std::u16string label = MarkerLabel(box.Marker, box.Number);
  const int width =
      metrics_.TextWidth(content_.Styles[static_cast<std::size_t>(box.MarkerStyle)].Font, label);
  const int right = markerX_ - kMarkerGap;
  const std::size_t i = AddItem(TDisplayKind::Marker, {right - width, top, right, top + height});
  TDisplayItem& item = out_.Items[i];
  item.TextTop = baseline - m.Ascent;
  item.Style = box.MarkerStyle;
  item.Start = static_cast<std::uint32_t>(out_.MarkerText.size());
  out_.MarkerText += label;
  item.End = static_cast<std::uint32_t>(out_.MarkerText.size());
}

// ---- the display list ----------------------------------------------------------

std::size_t THtmlLayoutEngine::AddItem(TDisplayKind kind, const TRect& rect, TColor color) {
  TDisplayItem item;
  item.Kind = kind;
  item.Rect = rect;
  item.Color = color;
  out_.Items.push_back(item);
  return out_.Items.size() - 1;
}

void THtmlLayoutEngine::ShiftItems(std::size_t first, std::size_t end, int dy) {
  if (dy == 0) return;
  for (std::size_t i = first; i < end; ++i) {
    TDisplayItem& item = out_.Items[i];
    item.Rect.Top += dy;
    item.Rect.Bottom += dy;
    item.TextTop += dy;
  }
}

void THtmlLayoutEngine::Index() {
  const std::vector<TDisplayItem>& items = out_.Items;
  out_.MaxBottom.resize(items.size());
  out_.MinTop.resize(items.size());
  int bottom = std::numeric_limits<int>::min();
  for (std::size_t i = 0; i < items.size(); ++i) {
    bottom = std::max(bottom, items[i].Rect.Bottom);
    out_.MaxBottom[i] = bottom;
    if (items[i].Kind == TDisplayKind::Text) out_.TextItems.push_back(static_cast<int>(i));
  }
  int top = std::numeric_limits<int>::max();
  for (std::size_t i = items.size(); i-- > 0;) {
    top = std::min(top, items[i].Rect.Top);
    out_.MinTop[i] = top;
  }
}

}  // namespace kivo
