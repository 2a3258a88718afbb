#include "viewer/HtmlBuilder.h"

#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>
#include <utility>

#include "base/Text1251.h"
#include "viewer/HtmlAttributes.h"
#include "viewer/HtmlTokenizer.h"

namespace kivo {
namespace {

// clang-format off
enum class TTag : std::uint8_t {
  Unknown, Body, Object, Br, Img, Hr,
  // blocks
  Block, Div, P, Center, H1, H2, H3, H4, H5, H6, Blockquote, Pre, Address, Ul, Ol, Li, Dl, Dt, Dd, Figure,
  Table, Caption, Tr, Td, Th, TSection,
  // inline
  Bold, Italic, Underline, Strike, Fixed, Font, A, Span, Big, Small, SubSup, Textarea
};

struct TTagName {
  std::u16string_view Name;
  TTag Tag;
};

// Sorted by name.
constexpr TTagName kTagNames[] = {
    {u"a", TTag::A}, {u"abbr", TTag::Span}, {u"acronym", TTag::Span}, {u"address", TTag::Address},
    {u"applet", TTag::Object}, {u"article", TTag::Block}, {u"aside", TTag::Block}, {u"b", TTag::Bold},
    {u"big", TTag::Big}, {u"blockquote", TTag::Blockquote}, {u"body", TTag::Body}, {u"br", TTag::Br},
    {u"caption", TTag::Caption}, {u"center", TTag::Center}, {u"cite", TTag::Italic}, {u"code", TTag::Fixed},
    {u"dd", TTag::Dd}, {u"del", TTag::Strike}, {u"details", TTag::Block}, {u"dfn", TTag::Italic},
    {u"dir", TTag::Ul}, {u"div", TTag::Div}, {u"dl", TTag::Dl}, {u"dt", TTag::Dt},
    {u"em", TTag::Italic}, {u"fieldset", TTag::Block}, {u"figcaption", TTag::Block}, {u"figure", TTag::Figure},
    {u"font", TTag::Font}, {u"footer", TTag::Block}, {u"form", TTag::Block}, {u"h1", TTag::H1},
    {u"h2", TTag::H2}, {u"h3", TTag::H3}, {u"h4", TTag::H4}, {u"h5", TTag::H5},
    {u"h6", TTag::H6}, {u"header", TTag::Block}, {u"hgroup", TTag::Block}, {u"hr", TTag::Hr},
    {u"i", TTag::Italic}, {u"img", TTag::Img}, {u"ins", TTag::Underline}, {u"kbd", TTag::Fixed},
    {u"label", TTag::Span}, {u"legend", TTag::Block}, {u"li", TTag::Li}, {u"listing", TTag::Pre},
    {u"main", TTag::Block}, {u"menu", TTag::Ul}, {u"nav", TTag::Block}, {u"nobr", TTag::Span},
    {u"object", TTag::Object}, {u"ol", TTag::Ol}, {u"p", TTag::P}, {u"plaintext", TTag::Pre},
    {u"pre", TTag::Pre}, {u"q", TTag::Span}, {u"s", TTag::Strike}, {u"samp", TTag::Fixed},
    {u"section", TTag::Block}, {u"small", TTag::Small}, {u"span", TTag::Span}, {u"strike", TTag::Strike},
    {u"strong", TTag::Bold}, {u"sub", TTag::SubSup}, {u"summary", TTag::Block}, {u"sup", TTag::SubSup},
    {u"table", TTag::Table}, {u"tbody", TTag::TSection}, {u"td", TTag::Td}, {u"textarea", TTag::Textarea},
    {u"tfoot", TTag::TSection}, {u"th", TTag::Th}, {u"thead", TTag::TSection}, {u"tr", TTag::Tr},
    {u"tt", TTag::Fixed}, {u"u", TTag::Underline}, {u"ul", TTag::Ul}, {u"var", TTag::Italic},
    {u"xmp", TTag::Pre}};
// clang-format on

TTag LookupTag(std::u16string_view name) {
  const auto it = std::lower_bound(std::begin(kTagNames), std::end(kTagNames), name,
                                   [](const TTagName& t, std::u16string_view n) { return t.Name < n; });
  return it != std::end(kTagNames) && it->Name == name ? it->Tag : TTag::Unknown;
}

bool IsHeading(TTag tag) {
  return tag >= TTag::H1 && tag <= TTag::H6;
}
bool IsFlowBlock(TTag tag) {
  return tag >= TTag::Block && tag <= TTag::Figure;
}
bool IsInline(TTag tag) {
  return tag >= TTag::Bold && tag <= TTag::Textarea;
}
bool IsList(TTag tag) {
  return tag == TTag::Ul || tag == TTag::Ol;
}
bool IsScopeBoundary(TTag tag) {
  return tag == TTag::Table || tag == TTag::Td || tag == TTag::Th || tag == TTag::Caption;
}
// Inline elements that carry over into the next block when a block ends inside them.
bool IsFormatting(TTag tag) {
  return IsInline(tag) && tag != TTag::Span && tag != TTag::Textarea;
}

constexpr std::size_t kMaxOpen = 256;  // deeper tags are ignored; their text stays
constexpr int kMaxBoxDepth = 48;       // nesting of blocks and tables
constexpr std::size_t kMaxReopen = 8;
constexpr int kListIndent = 40;
constexpr int kPreTab = 8;
constexpr char16_t kSoftHyphen = 0xAD;

// Font sizes 1..7 relative to size 3 (the default), in thirteenths.
constexpr std::array<int, 7> kLevelScale = {10, 11, 13, 15, 20, 26, 39};

// What the open elements give the text inside them.
struct TState {
  std::u16string Face;
  int Level = 3;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strike = false;
  bool Pre = false;
  TColor Color = kDefaultTextColor;
  int Link = -1;
  TAlign Align = TAlign::Left;
  int Style = -1;  // resolved lazily
};

struct TOpen {
  TTag Tag = TTag::Unknown;
  std::vector<THtmlAttribute> Attributes;
  int Box = -1;
  int Link = -1;
  int Counter = 1;  // lists
  TState State;

  const std::u16string* Attribute(std::u16string_view name) const {
    for (const THtmlAttribute& a : Attributes) {
      if (a.Name == name) return &a.Value;
    }
    return nullptr;
  }
};

class THtmlBuilder {
 public:
  explicit THtmlBuilder(const THtmlViewOptions& options) : options_(options) {}
  THtmlContent Build(std::u16string_view html);

 private:
  void StartTag(const THtmlToken& token);
  void StartStructureTag(TTag tag, const THtmlToken& token);
  void EndTag(const THtmlToken& token);
  void Text(std::u16string_view text);
  void FlowText(std::u16string_view text);
  void PreText(std::u16string_view text);

  TState Apply(const TOpen& entry, const TState& parent) const;
  void ApplyFont(const TOpen& entry, TState& state) const;
  int ResolveStyle(TState& state);
  int CurrentStyle() { return ResolveStyle(open_.back().State); }
  int LevelPx(int level) const;

  int NewBox(TBoxKind kind, int parent);
  int CurrentBlock() const;
  int BoxDepth() const;
  int CurrentInline();
  int BlockParent();
  void Push(TOpen entry);
  void PushInline(TTag tag, const THtmlToken& token);
  void OpenBlock(TTag tag, const THtmlToken& token);
  void SetBlockSpacing(TTag tag, int box, const TState& state);
  void OpenListItem(const THtmlToken& token);
  void OpenTable(const THtmlToken& token);
  void OpenCaption(const THtmlToken& token);
  void OpenRow(const THtmlToken* token);
  void OpenCell(TTag tag, const THtmlToken* token);
  void AddRule(const THtmlToken& token);
  void AddEmptyParagraph();
  void AddBreak();
  void AddImage(const THtmlToken& token);
  void AddAnchor(const std::u16string& name);
  void AppendRun(int container, std::u16string_view text, TInlineKind kind, bool pre, int index = -1);
  void ApplyBody(const THtmlToken& token);

  int FindInScope(TTag tag, bool stopAtLists = false) const;
  int FindInTable(TTag tag) const;
  int FindOpen(TTag tag) const;
  void PopTo(int index, bool reopen);
  void CloseBox(const TOpen& entry);
  void CloseParagraph();
  void RemoveInline(TTag tag);
  void Reopen();
  void TrimTrailingSpace();
  void BreakText(char16_t separator);

  const THtmlViewOptions& options_;
  THtmlContent c_;
  std::vector<TOpen> open_;
  std::vector<TOpen> reopen_;
  std::map<std::pair<std::u16string, std::uint64_t>, int> styleIndex_;
  std::unordered_map<std::string, int> pictureIndex_;
  int dropDepth_ = 0;
  bool bodySeen_ = false;
  bool skipPreNewline_ = false;
  int preColumn_ = 0;
  std::uint32_t itemsEnd_ = 0;  // the end of the last character that belongs to an item
  int lastRunBox_ = -1;         // the inline box of the last run appended
};

THtmlContent THtmlBuilder::Build(std::u16string_view html) {
  c_.Boxes.push_back({});
  TOpen body;
  body.Tag = TTag::Body;
  body.Box = 0;
  body.State.Face = options_.DefaultFace;
  open_.push_back(std::move(body));
  THtmlTokenizer tokenizer(html);
  THtmlToken token;
  for (tokenizer.Next(token); token.Kind != THtmlTokenKind::End; tokenizer.Next(token)) {
    if (token.Kind == THtmlTokenKind::Text) {
      Text(token.Text);
    } else if (token.Kind == THtmlTokenKind::StartTag) {
      StartTag(token);
    } else {
      EndTag(token);
    }
  }
  PopTo(1, false);
  TrimTrailingSpace();
  while (c_.Text.size() > itemsEnd_ && (c_.Text.back() == '\n' || c_.Text.back() == '\t')) c_.Text.pop_back();
  return std::move(c_);
}

// ---- styles -----------------------------------------------------------------

int THtmlBuilder::LevelPx(int level) const {
  return std::max(
      1, options_.DefaultSizePx * kLevelScale[static_cast<std::size_t>(std::clamp(level, 1, 7) - 1)] / 13);
}

void THtmlBuilder::ApplyFont(const TOpen& entry, TState& state) const {
  if (const std::u16string* size = entry.Attribute(u"size")) {
    if (const std::optional<int> value = ParseHtmlInt(*size, nullptr, 100)) {
      const bool relative = size->find_first_of(u"+-") != std::u16string::npos;
      state.Level = std::clamp(relative ? 3 + *value : *value, 1, 7);
    }
  }
  if (const std::u16string* color = entry.Attribute(u"color")) {
    if (const std::optional<TColor> value = ParseHtmlColor(*color)) state.Color = *value;
  }
  if (const std::u16string* face = entry.Attribute(u"face")) {
    std::u16string first = FirstFontFace(*face);
    if (!first.empty()) state.Face = std::move(first);
  }
}

TState THtmlBuilder::Apply(const TOpen& entry, const TState& parent) const {
  TState s = parent;
  s.Style = -1;
  switch (entry.Tag) {
    case TTag::Bold:
      s.Bold = true;
      break;
    case TTag::Italic:
    case TTag::Address:
      s.Italic = true;
      break;
    case TTag::Underline:
      s.Underline = true;
      break;
    case TTag::Strike:
      s.Strike = true;
      break;
    case TTag::Fixed:
      s.Face = options_.FixedFace;
      break;
    case TTag::Big:
      s.Level = std::min(s.Level + 1, 7);
      break;
    case TTag::Small:
    case TTag::SubSup:
      s.Level = std::max(s.Level - 1, 1);
      break;
    case TTag::Font:
      ApplyFont(entry, s);
      break;
    case TTag::A:
      if (entry.Link >= 0) {
        s.Link = entry.Link;
        s.Color = kDefaultLinkColor;
        s.Underline = true;
      }
      break;
    case TTag::Pre:
    case TTag::Textarea:
      s.Face = options_.FixedFace;
      s.Pre = true;
      break;
    case TTag::Center:
      s.Align = TAlign::Center;
      break;
    case TTag::Th:
      s.Bold = true;
      break;
    case TTag::Table:
      s.Align = TAlign::Left;
      s.Pre = false;
      break;
    default:
      break;
  }
  if (IsHeading(entry.Tag)) {
    constexpr int kHeadingLevels[] = {6, 5, 4, 3, 2, 1};
    s.Bold = true;
    s.Level = kHeadingLevels[static_cast<int>(entry.Tag) - static_cast<int>(TTag::H1)];
  }
  if (IsFlowBlock(entry.Tag) || entry.Tag == TTag::Caption || entry.Tag == TTag::Tr) {
    if (const std::optional<TAlign> align = ParseHtmlAlign(entry.Attribute(u"align"))) s.Align = *align;
  }
  return s;
}

int THtmlBuilder::ResolveStyle(TState& state) {
  if (state.Style >= 0) return state.Style;
  TTextStyle style;
  style.Font.Face = state.Face;
  style.Font.SizePx = LevelPx(state.Level);
  style.Font.Bold = state.Bold;
  style.Font.Italic = state.Italic;
  style.Font.Underline = state.Underline;
  style.Font.Strike = state.Strike;
  style.Font.Charset = options_.Charset;
  style.Color = state.Color;
  const std::uint64_t key = static_cast<std::uint64_t>(style.Color) << 32 |
                            static_cast<std::uint64_t>(style.Font.SizePx & 0xFFFFFF) << 4 |
                            (state.Bold ? 1u : 0u) | (state.Italic ? 2u : 0u) | (state.Underline ? 4u : 0u) |
                            (state.Strike ? 8u : 0u);
  const auto [it, added] = styleIndex_.try_emplace({state.Face, key}, static_cast<int>(c_.Styles.size()));
  if (added) c_.Styles.push_back(std::move(style));
  state.Style = it->second;
  return state.Style;
}

// ---- boxes ------------------------------------------------------------------

int THtmlBuilder::NewBox(TBoxKind kind, int parent) {
  const int index = static_cast<int>(c_.Boxes.size());
  c_.Boxes.push_back({});
  c_.Boxes.back().Kind = kind;
  c_.Boxes.back().Parent = parent;
  c_.Boxes[static_cast<std::size_t>(parent)].Children.push_back(index);
  return index;
}

int THtmlBuilder::CurrentBlock() const {
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if (it->Box >= 0) return it->Box;
  }
  return 0;
}

int THtmlBuilder::BoxDepth() const {
  return static_cast<int>(
      std::count_if(open_.begin(), open_.end(), [](const TOpen& e) { return e.Box >= 0; }));
}

// The block that new content goes into; inside a table outside any cell
// that is a cell made for it.
int THtmlBuilder::BlockParent() {
  TBoxKind kind = c_.Boxes[static_cast<std::size_t>(CurrentBlock())].Kind;
  if (kind == TBoxKind::Table) {
    OpenRow(nullptr);
    kind = TBoxKind::Row;
  }
  if (kind == TBoxKind::Row) OpenCell(TTag::Td, nullptr);
  return CurrentBlock();
}

int THtmlBuilder::CurrentInline() {
  const int block = BlockParent();
  const std::vector<int>& children = c_.Boxes[static_cast<std::size_t>(block)].Children;
  if (!children.empty() && c_.Boxes[static_cast<std::size_t>(children.back())].Kind == TBoxKind::Inline)
    return children.back();
  const int box = NewBox(TBoxKind::Inline, block);
  c_.Boxes[static_cast<std::size_t>(box)].Align = c_.Boxes[static_cast<std::size_t>(block)].Align;
  return box;
}

void THtmlBuilder::Push(TOpen entry) {
  entry.State = Apply(entry, open_.back().State);
  open_.push_back(std::move(entry));
}

void THtmlBuilder::PushInline(TTag tag, const THtmlToken& token) {
  if (open_.size() >= kMaxOpen) return;
  TOpen entry;
  entry.Tag = tag;
  entry.Attributes = token.Attributes;
  if (tag == TTag::A) {
    RemoveInline(TTag::A);
    if (const std::u16string* href = token.Attribute(u"href")) {
      entry.Link = static_cast<int>(c_.Links.size());
      c_.Links.push_back(Utf16ToWin(*href));
    }
  }
  Push(std::move(entry));
}

void THtmlBuilder::SetBlockSpacing(TTag tag, int box, const TState& state) {
  TBox& b = c_.Boxes[static_cast<std::size_t>(box)];
  const int em = LevelPx(state.Level);
  const bool nestedList = std::any_of(open_.begin(), open_.end(),
                                      [](const TOpen& e) { return IsList(e.Tag) || e.Tag == TTag::Dl; });
  switch (tag) {
    case TTag::P:
    case TTag::Pre:
      b.MarginTop = b.MarginBottom = em;
      break;
    case TTag::Blockquote:
    case TTag::Figure:
      b.MarginTop = b.MarginBottom = em;
      b.IndentLeft = b.IndentRight = kListIndent;
      break;
    case TTag::Ul:
    case TTag::Ol:
      b.IndentLeft = kListIndent;
      if (!nestedList) b.MarginTop = b.MarginBottom = em;
      break;
    case TTag::Dl:
      if (!nestedList) b.MarginTop = b.MarginBottom = em;
      break;
    case TTag::Dd:
      b.IndentLeft = kListIndent;
      break;
    default:
      if (IsHeading(tag)) b.MarginTop = b.MarginBottom = em * 2 / 3;
      break;
  }
}

void THtmlBuilder::OpenBlock(TTag tag, const THtmlToken& token) {
  if (open_.size() >= kMaxOpen || BoxDepth() >= kMaxBoxDepth) return;
  const int parent = BlockParent();
  BreakText('\n');
  TOpen entry;
  entry.Tag = tag;
  entry.Attributes = token.Attributes;
  entry.State = Apply(entry, open_.back().State);
  if (IsList(tag)) entry.Counter = ClampedHtmlInt(token.Attribute(u"start"), 1, -100000, 100000);
  if (tag == TTag::Pre) skipPreNewline_ = true;
  const int box = NewBox(TBoxKind::Flow, parent);
  c_.Boxes[static_cast<std::size_t>(box)].Align = entry.State.Align;
  SetBlockSpacing(tag, box, entry.State);
  entry.Box = box;
  open_.push_back(std::move(entry));
}

TMarker ListMarker(const TOpen* list, int bulletDepth) {
  const std::u16string* type = list != nullptr ? list->Attribute(u"type") : nullptr;
  if (list != nullptr && list->Tag == TTag::Ol) {
    if (type == nullptr || type->empty()) return TMarker::Decimal;
    switch ((*type)[0]) {
      case 'a':
        return TMarker::LowerAlpha;
      case 'A':
        return TMarker::UpperAlpha;
      case 'i':
        return TMarker::LowerRoman;
      case 'I':
        return TMarker::UpperRoman;
      default:
        return TMarker::Decimal;
    }
  }
  const std::u16string value = type != nullptr ? LowerTrimmedAscii(*type) : u"";
  if (value == u"circle") return TMarker::Circle;
  if (value == u"square") return TMarker::Square;
  if (value == u"disc") return TMarker::Disc;
  return bulletDepth <= 1 ? TMarker::Disc : bulletDepth == 2 ? TMarker::Circle : TMarker::Square;
}

void THtmlBuilder::OpenListItem(const THtmlToken& token) {
  const int previous = FindInScope(TTag::Li, true);
  if (previous > 0) PopTo(previous, true);
  if (open_.size() >= kMaxOpen || BoxDepth() >= kMaxBoxDepth) return;
  int listIndex = -1;
  int bulletDepth = 0;
  for (int i = static_cast<int>(open_.size()) - 1;
       i > 0 && !IsScopeBoundary(open_[static_cast<std::size_t>(i)].Tag); --i) {
    if (!IsList(open_[static_cast<std::size_t>(i)].Tag)) continue;
    if (listIndex < 0) listIndex = i;
    if (open_[static_cast<std::size_t>(i)].Tag == TTag::Ul) ++bulletDepth;
  }
  const int parent = BlockParent();
  TOpen* list = listIndex > 0 ? &open_[static_cast<std::size_t>(listIndex)] : nullptr;
  BreakText('\n');
  TOpen entry;
  entry.Tag = TTag::Li;
  entry.Attributes = token.Attributes;
  entry.State = Apply(entry, open_.back().State);
  const int box = NewBox(TBoxKind::ListItem, parent);
  TBox& b = c_.Boxes[static_cast<std::size_t>(box)];
  b.Align = entry.State.Align;
  b.Marker = ListMarker(list, bulletDepth);
  b.MarkerStyle = ResolveStyle(entry.State);
  if (list != nullptr) {
    list->Counter = ClampedHtmlInt(token.Attribute(u"value"), list->Counter, -100000, 100000);
    b.Number = list->Counter++;
  } else {
    b.Number = 1;
    b.IndentLeft = kListIndent / 2;
  }
  entry.Box = box;
  open_.push_back(std::move(entry));
}

void THtmlBuilder::OpenTable(const THtmlToken& token) {
  if (open_.size() >= kMaxOpen || BoxDepth() >= kMaxBoxDepth) return;
  const TAlign parentAlign = open_.back().State.Align;
  const int parent = BlockParent();
  BreakText('\n');
  TOpen entry;
  entry.Tag = TTag::Table;
  entry.Attributes = token.Attributes;
  entry.State = Apply(entry, open_.back().State);
  const int box = NewBox(TBoxKind::Table, parent);
  TBox& b = c_.Boxes[static_cast<std::size_t>(box)];
  if (const std::u16string* border = token.Attribute(u"border")) b.Border = ClampedHtmlInt(border, 1, 0, 20);
  b.CellPadding = ClampedHtmlInt(token.Attribute(u"cellpadding"), 1, 0, 100);
  b.CellSpacing = ClampedHtmlInt(token.Attribute(u"cellspacing"), 2, 0, 100);
  b.Width = ParseHtmlLength(token.Attribute(u"width"));
  if (const std::u16string* color = token.Attribute(u"bgcolor")) b.Background = ParseHtmlColor(*color);
  b.Align = ParseHtmlAlign(token.Attribute(u"align")).value_or(parentAlign);
  entry.Box = box;
  open_.push_back(std::move(entry));
}

void THtmlBuilder::OpenCaption(const THtmlToken& token) {
  const int table = FindOpen(TTag::Table);
  if (table < 0) return;
  PopTo(table + 1, false);
  TOpen entry;
  entry.Tag = TTag::Caption;
  entry.Attributes = token.Attributes;
  entry.State = Apply(entry, open_.back().State);
  if (!token.Attribute(u"align")) entry.State.Align = TAlign::Center;
  BreakText('\n');
  const int box = NewBox(TBoxKind::Flow, open_.back().Box);
  c_.Boxes[static_cast<std::size_t>(box)].Align = entry.State.Align;
  entry.Box = box;
  open_.push_back(std::move(entry));
}

void THtmlBuilder::OpenRow(const THtmlToken* token) {
  const int table = FindOpen(TTag::Table);
  if (table < 0) return;
  PopTo(table + 1, false);
  BreakText('\n');
  TOpen entry;
  entry.Tag = TTag::Tr;
  if (token != nullptr) entry.Attributes = token->Attributes;
  entry.State = Apply(entry, open_.back().State);
  const int box = NewBox(TBoxKind::Row, open_.back().Box);
  if (const std::u16string* color = entry.Attribute(u"bgcolor"))
    c_.Boxes[static_cast<std::size_t>(box)].Background = ParseHtmlColor(*color);
  entry.Box = box;
  open_.push_back(std::move(entry));
}

void THtmlBuilder::OpenCell(TTag tag, const THtmlToken* token) {
  const int table = FindOpen(TTag::Table);
  if (table < 0) return;
  const int row = FindInTable(TTag::Tr);
  if (row < 0)
    OpenRow(nullptr);
  else
    PopTo(row + 1, false);
  const TOpen& rowEntry = open_.back();
  const bool firstInRow = c_.Boxes[static_cast<std::size_t>(rowEntry.Box)].Children.empty();
  TOpen entry;
  entry.Tag = tag;
  if (token != nullptr) entry.Attributes = token->Attributes;
  entry.State = Apply(entry, rowEntry.State);
  const std::optional<TAlign> own = ParseHtmlAlign(entry.Attribute(u"align"));
  const bool rowAligned = rowEntry.Attribute(u"align") != nullptr;
  entry.State.Align = own.value_or(tag == TTag::Th && !rowAligned ? TAlign::Center : rowEntry.State.Align);
  BreakText(firstInRow ? '\n' : '\t');
  const int box = NewBox(TBoxKind::Cell, rowEntry.Box);
  TBox& b = c_.Boxes[static_cast<std::size_t>(box)];
  const TBox& rowBox = c_.Boxes[static_cast<std::size_t>(rowEntry.Box)];
  b.Align = entry.State.Align;
  b.ColSpan = ClampedHtmlInt(entry.Attribute(u"colspan"), 1, 1, 100);
  b.Width = ParseHtmlLength(entry.Attribute(u"width"));
  b.NoWrap = entry.Attribute(u"nowrap") != nullptr;
  const std::u16string* color = entry.Attribute(u"bgcolor");
  b.Background = color != nullptr ? ParseHtmlColor(*color) : rowBox.Background;
  b.VAlign = ParseHtmlVAlign(entry.Attribute(u"valign"))
                 .value_or(ParseHtmlVAlign(rowEntry.Attribute(u"valign")).value_or(TVAlign::Middle));
  entry.Box = box;
  open_.push_back(std::move(entry));
}

void THtmlBuilder::AddRule(const THtmlToken& token) {
  const int parent = BlockParent();
  BreakText('\n');
  const int box = NewBox(TBoxKind::Rule, parent);
  TBox& b = c_.Boxes[static_cast<std::size_t>(box)];
  b.RuleSize = ClampedHtmlInt(token.Attribute(u"size"), 2, 1, 100);
  b.Width = ParseHtmlLength(token.Attribute(u"width"));
  b.Align = ParseHtmlAlign(token.Attribute(u"align")).value_or(TAlign::Center);
  b.NoShade = token.Attribute(u"noshade") != nullptr;
  if (const std::u16string* color = token.Attribute(u"color")) b.Background = ParseHtmlColor(*color);
  b.MarginTop = b.MarginBottom = LevelPx(open_.back().State.Level) / 2;
}

// ---- inline content -----------------------------------------------------------

void THtmlBuilder::AppendRun(int container, std::u16string_view text, TInlineKind kind, bool pre, int index) {
  const int style = CurrentStyle();
  const int link = open_.back().State.Link;
  const auto start = static_cast<std::uint32_t>(c_.Text.size());
  c_.Text.append(text);
  const auto end = static_cast<std::uint32_t>(c_.Text.size());
  itemsEnd_ = end;
  lastRunBox_ = container;
  std::vector<TInlineItem>& items = c_.Boxes[static_cast<std::size_t>(container)].Items;
  if (kind == TInlineKind::Text && !items.empty()) {
    TInlineItem& last = items.back();
    if (last.Kind == TInlineKind::Text && last.Style == style && last.Link == link && last.Pre == pre &&
        last.End == start) {
      last.End = end;
      return;
    }
  }
  items.push_back({kind, pre, style, link, start, end, index});
}

void THtmlBuilder::Text(std::u16string_view text) {
  if (dropDepth_ > 0 || text.empty()) return;
  if (open_.back().State.Pre) {
    PreText(text);
  } else {
    FlowText(text);
  }
}

void THtmlBuilder::FlowText(std::u16string_view text) {
  const bool blank = std::all_of(text.begin(), text.end(), IsHtmlSpace);
  if (blank) {
    const TBoxKind kind = c_.Boxes[static_cast<std::size_t>(CurrentBlock())].Kind;
    if (kind == TBoxKind::Table || kind == TBoxKind::Row) return;
    if (c_.Text.empty() || IsHtmlSpace(c_.Text.back())) return;
  }
  Reopen();
  const int container = CurrentInline();
  std::u16string out;
  out.reserve(text.size());
  bool space = c_.Text.empty() || IsHtmlSpace(c_.Text.back());
  for (const char16_t c : text) {
    if (c == kSoftHyphen) continue;  // fonts draw it as a hyphen; breaking there is not supported
    if (IsHtmlSpace(c)) {
      if (!space) out += u' ';
      space = true;
    } else {
      out += c;
      space = false;
    }
  }
  if (!out.empty()) AppendRun(container, out, TInlineKind::Text, false);
}

void THtmlBuilder::PreText(std::u16string_view text) {
  Reopen();
  std::u16string run;
  const auto flush = [&] {
    if (!run.empty()) AppendRun(CurrentInline(), run, TInlineKind::Text, true);
    run.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      c = '\n';
    }
    if (std::exchange(skipPreNewline_, false) && c == '\n') continue;
    if (c == '\n') {
      flush();
      AddBreak();
    } else if (c == '\t') {
      const int spaces = kPreTab - preColumn_ % kPreTab;
      run.append(static_cast<std::size_t>(spaces), u' ');
      preColumn_ += spaces;
    } else {
      run += c;
      ++preColumn_;
    }
  }
  flush();
}

void THtmlBuilder::AddBreak() {
  Reopen();
  AppendRun(CurrentInline(), u"\n", TInlineKind::Break, open_.back().State.Pre);
  preColumn_ = 0;
}

void THtmlBuilder::AddImage(const THtmlToken& token) {
  Reopen();
  TImage image;
  const std::u16string* src = token.Attribute(u"src");
  if (src != nullptr && !src->empty()) {
    std::string source = Utf16ToWin(*src);
    const auto [it, added] = pictureIndex_.try_emplace(source, static_cast<int>(c_.Pictures.size()));
    if (added) c_.Pictures.emplace_back().Source = std::move(source);
    image.Picture = it->second;
  }
  if (const std::u16string* alt = token.Attribute(u"alt")) image.Alt = *alt;
  for (const auto& [name, side] : {std::pair{u"width", &image.Width}, std::pair{u"height", &image.Height}}) {
    const TLength length = ParseHtmlLength(token.Attribute(name));
    if (length.Set && !length.Percent) *side = std::min(length.Value, 8000);
  }
  const int index = static_cast<int>(c_.Images.size());
  c_.Images.push_back(image);
  AppendRun(CurrentInline(), std::u16string_view(&kObjectChar, 1), TInlineKind::Image, false, index);
}

void THtmlBuilder::AddAnchor(const std::u16string& name) {
  const TBoxKind kind = c_.Boxes[static_cast<std::size_t>(CurrentBlock())].Kind;
  if (name.empty() || kind == TBoxKind::Table || kind == TBoxKind::Row) return;
  const int container = CurrentInline();
  c_.Boxes[static_cast<std::size_t>(container)].Items.push_back(
      {TInlineKind::Anchor, false, CurrentStyle(), -1, 0, 0, static_cast<int>(c_.Anchors.size())});
  c_.Anchors.push_back(Utf16ToWin(name));
}

void THtmlBuilder::ApplyBody(const THtmlToken& token) {
  if (std::exchange(bodySeen_, true)) return;
  if (const std::u16string* color = token.Attribute(u"bgcolor")) c_.Background = ParseHtmlColor(*color);
  if (const std::u16string* color = token.Attribute(u"text")) c_.TextColor = ParseHtmlColor(*color);
  if (const std::u16string* color = token.Attribute(u"link")) c_.LinkColor = ParseHtmlColor(*color);
}

// ---- tags -------------------------------------------------------------------

void THtmlBuilder::StartTag(const THtmlToken& token) {
  const TTag tag = LookupTag(token.Name);
  if (dropDepth_ > 0) {
    if (tag == TTag::Object && !token.SelfClosing) ++dropDepth_;
    return;
  }
  if (tag == TTag::Object) {
    if (!token.SelfClosing) ++dropDepth_;
    return;
  }
  if (tag != TTag::Pre) skipPreNewline_ = false;
  if (IsInline(tag)) {
    Reopen();
    PushInline(tag, token);
  } else {
    StartStructureTag(tag, token);
  }
  const std::u16string* name = token.Attribute(u"id");
  if (name == nullptr && tag == TTag::A) name = token.Attribute(u"name");
  if (name != nullptr) AddAnchor(*name);
}

void THtmlBuilder::StartStructureTag(TTag tag, const THtmlToken& token) {
  switch (tag) {
    case TTag::Body:
      ApplyBody(token);
      return;
    case TTag::Br:
      AddBreak();
      return;
    case TTag::Img:
      AddImage(token);
      return;
    case TTag::Hr:
      CloseParagraph();
      AddRule(token);
      return;
    case TTag::Table:
      CloseParagraph();
      OpenTable(token);
      return;
    case TTag::Caption:
      OpenCaption(token);
      return;
    case TTag::Tr:
      OpenRow(&token);
      return;
    case TTag::Td:
    case TTag::Th:
      OpenCell(tag, &token);
      return;
    case TTag::TSection:
      if (const int table = FindOpen(TTag::Table); table > 0) PopTo(table + 1, false);
      return;
    case TTag::Li:
      CloseParagraph();
      OpenListItem(token);
      return;
    case TTag::Dt:
    case TTag::Dd: {
      CloseParagraph();
      const int previous = std::max(FindInScope(TTag::Dt, true), FindInScope(TTag::Dd, true));
      if (previous > 0) PopTo(previous, true);
      OpenBlock(tag, token);
      return;
    }
    default:
      break;
  }
  if (!IsFlowBlock(tag)) return;
  CloseParagraph();
  if (IsHeading(tag) && IsHeading(open_.back().Tag)) PopTo(static_cast<int>(open_.size()) - 1, true);
  OpenBlock(tag, token);
}

void THtmlBuilder::EndTag(const THtmlToken& token) {
  const TTag tag = LookupTag(token.Name);
  if (tag == TTag::Object) {
    if (dropDepth_ > 0) --dropDepth_;
    return;
  }
  if (dropDepth_ > 0) return;
  skipPreNewline_ = false;
  if (IsInline(tag)) {
    RemoveInline(tag);
    return;
  }
  int index = -1;
  switch (tag) {
    case TTag::Br:
      AddBreak();
      return;
    case TTag::Table:
      index = FindOpen(TTag::Table);
      break;
    case TTag::Tr:
    case TTag::Td:
    case TTag::Th:
    case TTag::Caption:
      index = FindInTable(tag);
      break;
    case TTag::TSection:
      if (const int table = FindOpen(TTag::Table); table > 0) PopTo(table + 1, false);
      return;
    default:
      if (IsHeading(tag)) {
        for (TTag h = TTag::H1; h <= TTag::H6; h = static_cast<TTag>(static_cast<int>(h) + 1))
          index = std::max(index, FindInScope(h));
      } else if (IsFlowBlock(tag)) {
        index = FindInScope(tag, tag == TTag::Li || tag == TTag::Dt || tag == TTag::Dd);
      }
      break;
  }
  if (index > 0) {
    PopTo(index, IsFlowBlock(tag));
  } else if (tag == TTag::P) {
    AddEmptyParagraph();
  }
}

// What browsers make of a "</p>" with no paragraph open.
void THtmlBuilder::AddEmptyParagraph() {
  const std::size_t depth = open_.size();
  OpenBlock(TTag::P, THtmlToken{});
  if (open_.size() > depth) PopTo(static_cast<int>(depth), false);
}

// ---- the stack of open elements ---------------------------------------------

int THtmlBuilder::FindInScope(TTag tag, bool stopAtLists) const {
  for (int i = static_cast<int>(open_.size()) - 1; i > 0; --i) {
    const TTag open = open_[static_cast<std::size_t>(i)].Tag;
    if (open == tag) return i;
    if (IsScopeBoundary(open) || (stopAtLists && (IsList(open) || open == TTag::Dl))) return -1;
  }
  return -1;
}

int THtmlBuilder::FindInTable(TTag tag) const {
  for (int i = static_cast<int>(open_.size()) - 1; i > 0; --i) {
    const TTag open = open_[static_cast<std::size_t>(i)].Tag;
    if (open == tag) return i;
    if (open == TTag::Table) return -1;
  }
  return -1;
}

int THtmlBuilder::FindOpen(TTag tag) const {
  for (int i = static_cast<int>(open_.size()) - 1; i > 0; --i) {
    if (open_[static_cast<std::size_t>(i)].Tag == tag) return i;
  }
  return -1;
}

void THtmlBuilder::PopTo(int index, bool reopen) {
  while (static_cast<int>(open_.size()) > std::max(index, 1)) {
    TOpen entry = std::move(open_.back());
    open_.pop_back();
    if (entry.Box >= 0) {
      CloseBox(entry);
    } else if (reopen && IsFormatting(entry.Tag) && reopen_.size() < kMaxReopen) {
      reopen_.insert(reopen_.begin(), std::move(entry));
    }
  }
}

void THtmlBuilder::CloseBox(const TOpen& entry) {
  TrimTrailingSpace();
  if (entry.Tag != TTag::Td && entry.Tag != TTag::Th) BreakText('\n');
}

void THtmlBuilder::CloseParagraph() {
  const int p = FindInScope(TTag::P);
  if (p > 0) PopTo(p, true);
}

void THtmlBuilder::RemoveInline(TTag tag) {
  const int index = FindInScope(tag);
  if (index > 0 && open_[static_cast<std::size_t>(index)].Box < 0) {
    open_.erase(open_.begin() + index);
    for (std::size_t i = static_cast<std::size_t>(index); i < open_.size(); ++i) {
      const TAlign align = open_[i].State.Align;
      open_[i].State = Apply(open_[i], open_[i - 1].State);
      if (open_[i].Box >= 0) open_[i].State.Align = align;
    }
    return;
  }
  const auto it =
      std::find_if(reopen_.rbegin(), reopen_.rend(), [tag](const TOpen& e) { return e.Tag == tag; });
  if (it != reopen_.rend()) reopen_.erase(std::next(it).base());
}

// Formatting cut off by the end of a block goes on in what follows.
void THtmlBuilder::Reopen() {
  for (TOpen& entry : reopen_) {
    if (open_.size() < kMaxOpen) Push(std::move(entry));
  }
  reopen_.clear();
}

void THtmlBuilder::TrimTrailingSpace() {
  if (c_.Text.empty() || c_.Text.back() != ' ' || c_.Text.size() != itemsEnd_ || lastRunBox_ < 0) return;
  std::vector<TInlineItem>& items = c_.Boxes[static_cast<std::size_t>(lastRunBox_)].Items;
  const auto last = std::find_if(items.rbegin(), items.rend(),
                                 [](const TInlineItem& item) { return item.Kind != TInlineKind::Anchor; });
  if (last == items.rend() || last->Kind != TInlineKind::Text || last->Pre || last->End != itemsEnd_) return;
  --last->End;
  c_.Text.pop_back();
  --itemsEnd_;
}

void THtmlBuilder::BreakText(char16_t separator) {
  TrimTrailingSpace();
  if (c_.Text.empty() || c_.Text.back() == '\n') return;
  if (c_.Text.back() == '\t') {
    if (separator == '\n' && c_.Text.size() > itemsEnd_) c_.Text.back() = '\n';
    return;
  }
  c_.Text += separator;
}

}  // namespace

THtmlContent BuildHtmlContent(std::u16string_view html, const THtmlViewOptions& options) {
  return THtmlBuilder(options).Build(html);
}

}  // namespace kivo
