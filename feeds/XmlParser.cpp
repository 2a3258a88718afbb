#include "feeds/XmlParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/FileIo.h"

namespace kivo {

namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::string_view kCrLf = "\r\n";
// Two spaces a level would make the written size grow with the square of the
// depth (20 GB for a 100 000-deep document); beyond this level the indent stops
// growing. Real documents are a few levels deep and are written as always.
constexpr std::size_t kMaxIndentLevel = 64;
// The tree in an error text is cut there as well, so that a broken, deeply
// nested feed cannot exhaust memory on its way to a text nobody reads.
constexpr std::size_t kErrorTreeBudget = std::size_t{64} << 10;

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool Holds(std::string_view text, char c) {
  return !text.empty() && std::memchr(text.data(), c, text.size()) != nullptr;
}

bool HoldsMarkup(std::string_view text) {
  return Holds(text, '<') || Holds(text, '>');
}

// First `pattern` at or after `from`, found by memchr for its first byte.
std::size_t Find(std::string_view text, std::string_view pattern, std::size_t from) {
  while (from + pattern.size() <= text.size()) {
    const void* hit =
        std::memchr(text.data() + from, pattern.front(), text.size() - from - pattern.size() + 1);
    if (hit == nullptr) return kNone;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (text.compare(at, pattern.size(), pattern) == 0) return at;
    from = at + 1;
  }
  return kNone;
}

std::string ReplaceEvery(std::string_view text, std::string_view pattern, std::string_view replacement) {
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = Find(text, pattern, 0); at != kNone; at = Find(text, pattern, from)) {
    result.append(text, from, at - from);
    result.append(replacement);
    from = at + pattern.size();
  }
  result.append(text, from);
  return result;
}

// Every occurrence, left to right, in place: each replacement is shorter than
// its pattern, so the text is only ever written behind where it is read.
std::size_t ReplaceInPlace(char* text, std::size_t size, std::string_view pattern,
                           std::string_view replacement) {
  const std::string_view original(text, size);
  std::size_t at = Find(original, pattern, 0);
  if (at == kNone) return size;
  std::size_t read = 0;
  std::size_t write = 0;
  for (; at != kNone; at = Find(original, pattern, read)) {
    std::memmove(text + write, text + read, at - read);
    write += at - read;
    std::memcpy(text + write, replacement.data(), replacement.size());
    write += replacement.size();
    read = at + pattern.size();
  }
  std::memmove(text + write, text + read, size - read);
  return write + size - read;
}

// The order matters: "&amp;lt;" decodes to "&lt;", not to "<".
std::string_view DecodeAttributeValue(std::string_view raw, char* buffer) {
  static constexpr std::pair<std::string_view, std::string_view> kReplacements[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&apos;", "'"}, {"&quot;", "\""}, {"&nbsp;", " "}};
  std::memcpy(buffer, raw.data(), raw.size());
  std::size_t size = raw.size();
  for (const auto& [entity, replacement] : kReplacements)
    size = ReplaceInPlace(buffer, size, entity, replacement);
  return {buffer, size};
}

// Start of the last "rdf:RDF" in `text`, kNone when there is none. The rare
// capital R keeps this a memchr over ordinary attribute text.
std::size_t LastRdf(std::string_view text) {
  constexpr std::string_view kRdf = "rdf:RDF";
  std::size_t last = kNone;
  for (std::size_t from = 4; from < text.size();) {
    const void* hit = std::memchr(text.data() + from, 'R', text.size() - from);
    if (hit == nullptr) break;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (text.compare(at - 4, kRdf.size(), kRdf) == 0) last = at - 4;
    from = at + 1;
  }
  return last;
}

void AppendIndent(std::size_t level, std::string& out) {
  out.append(2 * std::min(level, kMaxIndentLevel), ' ');
}

// A "]]>" inside the section would end it early; "]]&gt;" keeps the rest.
void AppendCdataSection(std::string_view text, std::string& out) {
  out += "<![CDATA[";
  out += ReplaceEvery(text, "]]>", "]]&gt;");
  out += "]]>";
}

// Everything of the node up to its children: "<name attrs/>" for a leaf
// without text, "<name attrs>text</name>" for a leaf with text, else
// "<name attrs>text".
void AppendStart(const TmoxXMLNode2& node, std::size_t level, std::string& out) {
  AppendIndent(level, out);
  out += '<';
  out += node.Name();
  for (std::size_t i = 0; i < node.AttributeCount(); ++i) {
    const TmoxXMLAttribute2& attribute = node.AttributeAt(i);
    out += ' ';
    out += attribute.name;
    out += "=\"";
    out += attribute.value;
    out += '"';
  }
  if (node.ChildCount() == 0 && node.Text().empty()) {
    out += "/>";
    return;
  }
  out += '>';
  if (node.Cdata()) {
    AppendCdataSection(node.Text(), out);
  } else {
    out += node.Text();
  }
  if (node.ChildCount() == 0) {
    out += "</";
    out += node.Name();
    out += '>';
  }
}

void AppendEnd(const TmoxXMLNode2& node, std::size_t level, std::string& out) {
  out += kCrLf;
  AppendIndent(level, out);
  out += "</";
  out += node.Name();
  out += '>';
}

std::string AttributeOrDefault(const TmoxXMLNode2& node, std::string_view name, std::string_view fallback) {
  std::string value = node.Attribute(name);
  return value.empty() ? std::string(fallback) : value;
}

std::uint32_t GrownCapacity(std::uint32_t capacity) {
  return capacity < 2 ? 4 : 2 * capacity;
}

}  // namespace

// ---------------------------------------------------------------- arena

// Blocks that hold a tree's nodes, arrays and set texts, freed all at once: a
// node made here is never destroyed on its own. Nodes made elsewhere (a
// std::unique_ptr given to AppendNode) are kept here until the arena goes.
class TmoxXMLArena {
 public:
  TmoxXMLArena() = default;
  ~TmoxXMLArena() { Release(); }
  TmoxXMLArena(const TmoxXMLArena&) = delete;
  TmoxXMLArena& operator=(const TmoxXMLArena&) = delete;

  // The next blocks grow from about `bytes`: a parse knows its size.
  void ExpectAbout(std::size_t bytes) { nextBlockSize_ = std::clamp(bytes, kFirstBlockSize, kMaxBlockSize); }

  template <typename T>
  T* AllocateArray(std::size_t count) {
    return static_cast<T*>(Allocate(count * sizeof(T), alignof(T)));
  }

  std::string_view Copy(std::string_view text) {
    if (text.empty()) return {};
    char* bytes = AllocateArray<char>(text.size());
    std::memcpy(bytes, text.data(), text.size());
    return {bytes, text.size()};
  }

  TmoxXMLNode2* NewNode(TmoxXMLParser2* document) {
    TmoxXMLNode2* node = std::construct_at(AllocateArray<TmoxXMLNode2>(1), document);
    node->arena_ = this;
    return node;
  }

  void Keep(std::unique_ptr<TmoxXMLNode2> node) { kept_.push_back(std::move(node)); }

  std::size_t BlockBytes() const { return blockBytes_; }

  // The blocks, and each kept node with what its own arena holds.
  std::size_t Bytes() const {
    std::size_t bytes = 0;
    std::vector<const TmoxXMLArena*> pending{this};
    while (!pending.empty()) {
      const TmoxXMLArena* arena = pending.back();
      pending.pop_back();
      bytes += arena->blockBytes_ + arena->kept_.size() * sizeof(TmoxXMLNode2);
      for (const auto& node : arena->kept_) {
        if (node->ownArena_ != nullptr) pending.push_back(node->ownArena_.get());
      }
    }
    return bytes;
  }

  // Kept nodes hand what they keep over first, so that a long chain of
  // appended nodes is freed without recursion.
  void Release() {
    while (!kept_.empty()) {
      std::unique_ptr<TmoxXMLNode2> node = std::move(kept_.back());
      kept_.pop_back();
      if (node->ownArena_ == nullptr) continue;
      for (auto& inner : node->ownArena_->kept_) kept_.push_back(std::move(inner));
      node->ownArena_->kept_.clear();
    }
    blocks_.clear();
    blockBytes_ = 0;
    next_ = nullptr;
    end_ = nullptr;
    nextBlockSize_ = kFirstBlockSize;
  }

 private:
  static constexpr std::size_t kFirstBlockSize = std::size_t{2} << 10;
  static constexpr std::size_t kMaxBlockSize = std::size_t{1} << 20;

  void* Allocate(std::size_t bytes, std::size_t alignment) {
    const std::size_t padding = (alignment - reinterpret_cast<std::uintptr_t>(next_) % alignment) % alignment;
    if (next_ != nullptr && padding + bytes <= static_cast<std::size_t>(end_ - next_)) {
      std::byte* memory = next_ + padding;
      next_ = memory + bytes;
      return memory;
    }
    return AllocateBlock(bytes);
  }

  // A fresh block is aligned for any node or array.
  void* AllocateBlock(std::size_t bytes) {
    if (bytes > kMaxBlockSize / 4) {  // big texts and arrays get a block of their own
      blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(bytes));
      blockBytes_ += bytes;
      return blocks_.back().get();
    }
    std::size_t size = nextBlockSize_;
    while (size < bytes) size *= 2;
    nextBlockSize_ = std::min(2 * size, kMaxBlockSize);
    blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
    blockBytes_ += size;
    std::byte* memory = blocks_.back().get();
    next_ = memory + bytes;
    end_ = memory + size;
    return memory;
  }

  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  std::size_t blockBytes_ = 0;
  std::byte* next_ = nullptr;
  std::byte* end_ = nullptr;
  std::size_t nextBlockSize_ = kFirstBlockSize;
  std::vector<std::unique_ptr<TmoxXMLNode2>> kept_;
};

// ---------------------------------------------------------------- nodes

TmoxXMLNode2::TmoxXMLNode2(TmoxXMLParser2* document) : document_(document) {}

TmoxXMLNode2::~TmoxXMLNode2() = default;

TmoxXMLArena& TmoxXMLNode2::Arena() {
  if (arena_ == nullptr) {
    ownArena_ = std::make_unique<TmoxXMLArena>();
    arena_ = ownArena_.get();
  }
  return *arena_;
}

void TmoxXMLNode2::SetName(std::string_view name) {
  name_ = Arena().Copy(name);
}

std::string_view TmoxXMLNode2::Prefix() const {
  const std::size_t colon = name_.find(':');
  return colon == kNone ? std::string_view() : name_.substr(0, colon);
}

void TmoxXMLNode2::SetText(std::string_view text) {
  text_ = Arena().Copy(text);
  cdata_ = HoldsMarkup(text_);
}

TmoxXMLNode2* TmoxXMLNode2::Child(std::size_t index) const {
  if (index >= childCount_) throw std::out_of_range("TmoxXMLNode2::Child");
  return children_[index];
}

TmoxXMLNode2* TmoxXMLNode2::NextSibling() const {
  if (parent_ == nullptr || indexInParent_ + 1 >= parent_->childCount_) return nullptr;
  return parent_->children_[indexInParent_ + 1];
}

TmoxXMLNode2* TmoxXMLNode2::AddChild(std::string_view name) {
  TmoxXMLNode2* child = Arena().NewNode(document_);
  child->SetName(name);
  AppendChild(*child);
  return child;
}

TmoxXMLNode2* TmoxXMLNode2::AppendNode(std::unique_ptr<TmoxXMLNode2> node) {
  if (node == nullptr) return nullptr;
  TmoxXMLNode2& child = *node;
  Arena().Keep(std::move(node));
  Adopt(child);
  AppendChild(child);
  return &child;
}

void TmoxXMLNode2::AppendChild(TmoxXMLNode2& child) {
  if (childCount_ == childCapacity_) {
    const std::uint32_t capacity = GrownCapacity(childCapacity_);
    TmoxXMLNode2** grown = Arena().AllocateArray<TmoxXMLNode2*>(capacity);
    std::copy_n(children_, childCount_, grown);
    children_ = grown;
    childCapacity_ = capacity;
  }
  child.parent_ = this;
  child.indexInParent_ = childCount_;
  children_[childCount_++] = &child;
}

void TmoxXMLNode2::Adopt(TmoxXMLNode2& child) {
  if (child.document_ == document_) return;
  std::vector<TmoxXMLNode2*> pending{&child};
  while (!pending.empty()) {
    TmoxXMLNode2* node = pending.back();
    pending.pop_back();
    node->document_ = document_;
    pending.insert(pending.end(), node->children_, node->children_ + node->childCount_);
  }
}

TmoxXMLNode2* TmoxXMLNode2::FindChild(std::string_view name, bool deep) const {
  TmoxXMLNode2* node = FirstChild();
  while (node != nullptr) {
    if (node->name_ == name) return node;
    if (deep && node->childCount_ > 0) {
      node = node->FirstChild();
      continue;
    }
    while (node != this && node->NextSibling() == nullptr) node = node->parent_;
    if (node == this) return nullptr;
    node = node->NextSibling();
  }
  return nullptr;
}

std::string TmoxXMLNode2::ChildText(std::string_view name) const {
  const TmoxXMLNode2* child = FindChild(name, false);
  return child == nullptr ? std::string() : std::string(child->text_);
}

TmoxXMLAttribute2* TmoxXMLNode2::FindAttribute(std::string_view name) const {
  for (std::uint32_t i = 0; i < attributeCount_; ++i) {
    if (attributes_[i].name == name) return &attributes_[i];
  }
  return nullptr;
}

std::string TmoxXMLNode2::Attribute(std::string_view name) const {
  const TmoxXMLAttribute2* attribute = FindAttribute(name);
  return attribute == nullptr ? std::string() : std::string(attribute->value);
}

const TmoxXMLAttribute2& TmoxXMLNode2::AttributeAt(std::size_t index) const {
  if (index >= attributeCount_) throw std::out_of_range("TmoxXMLNode2::AttributeAt");
  return attributes_[index];
}

void TmoxXMLNode2::SetAttribute(std::string_view name, std::string_view value) {
  if (TmoxXMLAttribute2* found = FindAttribute(name)) {
    found->value = Arena().Copy(value);
    return;
  }
  AppendAttribute(name, value);
}

void TmoxXMLNode2::AppendAttribute(std::string_view name, std::string_view value) {
  TmoxXMLArena& arena = Arena();
  const TmoxXMLAttribute2 attribute{arena.Copy(name), arena.Copy(value)};
  if (attributeCount_ == attributeCapacity_) {
    const std::uint32_t capacity = GrownCapacity(attributeCapacity_);
    TmoxXMLAttribute2* grown = arena.AllocateArray<TmoxXMLAttribute2>(capacity);
    std::copy_n(attributes_, attributeCount_, grown);
    attributes_ = grown;
    attributeCapacity_ = capacity;
  }
  attributes_[attributeCount_++] = attribute;
}

void TmoxXMLNode2::Clear() {
  name_ = {};
  text_ = {};
  cdata_ = false;
  children_ = nullptr;
  childCount_ = 0;
  childCapacity_ = 0;
  attributes_ = nullptr;
  attributeCount_ = 0;
  attributeCapacity_ = 0;
}

// ---------------------------------------------------------------- reading

// One pass over the source. Positions are 0-based offsets; messages report
// them 1-based. Every search moves forward, so a parse is linear in the size
// of the source. Names, texts and undecoded attribute values stay views into
// the source; the source string ends in a NUL that stops every byte scan.
class TmoxXMLParser2::Reader {
 public:
  explicit Reader(TmoxXMLParser2& parser)
      : parser_(parser),
        arena_(parser.Arena()),
        source_(parser.source_),
        data_(parser.source_.c_str()),
        size_(parser.source_.size()),
        budget_(BudgetOf(parser, size_)) {
    arena_.ExpectAbout(size_ / 2);
  }

  void Run() {
    try {
      if (!ReadDeclaration()) return;
    } catch (const Failure& failure) {
      parser_.Clear();
      Report(failure);
      return;
    }
    try {
      ReadDocumentElement();
    } catch (const Failure& failure) {
      while (!open_.empty()) CloseInnermost();
      Report(failure);
    }
  }

 private:
  struct Failure {
    std::string message;
    std::size_t position;
  };

  static std::size_t BudgetOf(const TmoxXMLParser2& parser, std::size_t size) {
    constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();
    if (!parser.budgeted_) return kUnlimited;
    const std::size_t times = parser.budgetTimes_;
    if (times != 0 && size > (kUnlimited - parser.budgetExtra_) / times) return kUnlimited;
    return times * size + parser.budgetExtra_;
  }

  // The arena, the scratch arrays of the parse and the attributes read but
  // not yet stored, before any of them grows further.
  void CheckBudget(std::size_t position) const {
    const std::size_t scratch = open_.capacity() * sizeof(OpenElement) +
                                siblings_.capacity() * sizeof(TmoxXMLNode2*) +
                                attributes_.capacity() * sizeof(TmoxXMLAttribute2);
    const std::size_t unstored = attributes_.size() * sizeof(TmoxXMLAttribute2);
    if (arena_.BlockBytes() + scratch + unstored > budget_)
      throw Failure{"Tree over its memory budget", position};
  }
  enum class StartTag { kNone, kEmpty, kOpen };
  // An element whose end tag is still ahead; its children so far are
  // siblings_[firstChild, end).
  struct OpenElement {
    TmoxXMLNode2* node;
    std::size_t firstChild;
  };

  // False when the declaration has no "?>": the tree stays empty.
  bool ReadDeclaration() {
    const std::size_t lt = FindChar('<', 0);
    if (lt == kNone || !HasAt(lt, "<?xml")) return true;
    const std::size_t close = FindText(lt, "?>");
    if (close == kNone) {
      parser_.errorText_ = "Missing ?> in xml declaration.";
      return false;
    }
    position_ = close + 2;
    const std::size_t begin = lt + 6;
    if (begin < close) ReadAttributes(*parser_.declaration_, begin, close);
    return true;
  }

  // The stack of open elements replaces recursion: no limit on nesting.
  void ReadDocumentElement() {
    TmoxXMLNode2* root = nullptr;
    if (ReadStartTag(nullptr, root) != StartTag::kOpen) return;
    ReadText(*root);
    open_.push_back({root, 0});
    while (!open_.empty()) {
      TmoxXMLNode2* child = nullptr;
      switch (ReadStartTag(open_.back().node, child)) {
        case StartTag::kNone:
          ReadEndTag(*open_.back().node);
          CloseInnermost();
          break;
        case StartTag::kEmpty:
          break;
        case StartTag::kOpen:
          ReadText(*child);
          open_.push_back({child, siblings_.size()});
          break;
      }
    }
  }

  // Gives the innermost open element its children in one exact array.
  void CloseInnermost() {
    const OpenElement open = open_.back();
    open_.pop_back();
    const std::size_t count = siblings_.size() - open.firstChild;
    if (count == 0) return;
    TmoxXMLNode2** children = arena_.AllocateArray<TmoxXMLNode2*>(count);
    std::copy(siblings_.begin() + static_cast<std::ptrdiff_t>(open.firstChild), siblings_.end(), children);
    open.node->children_ = children;
    open.node->childCount_ = static_cast<std::uint32_t>(count);
    open.node->childCapacity_ = static_cast<std::uint32_t>(count);
    siblings_.resize(open.firstChild);
  }

  TmoxXMLNode2* NewChild(TmoxXMLNode2& parent) {
    TmoxXMLNode2* node = arena_.NewNode(&parser_);
    node->parent_ = &parent;
    node->indexInParent_ = static_cast<std::uint32_t>(siblings_.size() - open_.back().firstChild);
    siblings_.push_back(node);
    return node;
  }

  // kNone when no '<' follows or the next tag is an end tag; then the
  // position rests on that end tag's '<'.
  StartTag ReadStartTag(TmoxXMLNode2* parent, TmoxXMLNode2*& node) {
    std::size_t lt = FindChar('<', position_);
    if (lt == kNone) return StartTag::kNone;
    if (HasAt(lt, "<!--")) lt = SkipComment(lt);
    const std::size_t gt = TagEnd(lt);
    if (gt == kNone) throw Failure{"Missing >", lt};
    std::size_t begin = lt + 1;
    std::size_t end = gt;
    if (begin < end && data_[begin] == '/') {
      position_ = lt;
      endTagLt_ = lt;
      endTagGt_ = gt;
      return StartTag::kNone;
    }
    position_ = gt + 1;
    const bool empty = begin < end && data_[end - 1] == '/';
    if (empty) {
      --end;
      TrimRange(begin, end);
    }
    const void* space = std::memchr(data_ + begin, ' ', end - begin);
    const std::size_t nameEnd =
        space == nullptr ? end : static_cast<std::size_t>(static_cast<const char*>(space) - data_);
    if (parent != nullptr) CheckBudget(lt);
    node = parent == nullptr ? &parser_ : NewChild(*parent);
    node->name_ = Slice(begin, nameEnd);
    if (space != nullptr) {
      std::size_t attributesBegin = nameEnd + 1;
      TrimRange(attributesBegin, end);
      if (attributesBegin < end) ReadAttributes(*node, attributesBegin, end);
    }
    return empty ? StartTag::kEmpty : StartTag::kOpen;
  }

  // Only one comment is skipped: a second one is read as an element "!--".
  std::size_t SkipComment(std::size_t lt) const {
    const std::size_t close = FindText(lt, "-->");
    if (close == kNone) throw Failure{"Missing comment terminator -->", lt};
    const std::size_t next = FindChar('<', close + 3);
    if (next == kNone) throw Failure{"Missing <", close + 3};
    return next;
  }

  // The '>' ending the tag that starts at `lt`. A quote right after '=' (blanks
  // between allowed) opens a value that may hold '>'; a value whose quote
  // never closes falls back to the first '>'.
  std::size_t TagEnd(std::size_t lt) {
    std::size_t segment = lt + 1;  // the last non-blank before a quote is looked for back to here,
    char carried = '\0';           // else it is this one
    for (std::size_t i = lt + 1;; ++i) {
      while (!kTagStops[static_cast<unsigned char>(data_[i])]) ++i;
      const char c = data_[i];
      if (c == '>') return i;
      if (c == '\0') {
        if (i >= size_) return kNone;
        continue;
      }
      if (NonBlankBefore(i, segment, carried) == '=') {
        const std::size_t close = ClosingQuote(c, i + 1);
        if (close == kNone) return FindChar('>', lt + 1);
        i = close;
      }
      segment = i + 1;
      carried = c;
    }
  }

  char NonBlankBefore(std::size_t at, std::size_t segment, char carried) const {
    while (at > segment && IsBlank(data_[at - 1])) --at;
    return at > segment ? data_[at - 1] : carried;
  }

  // Once a quote has no partner after some position, it has none after any
  // later one: remembering that keeps quote-heavy broken input linear.
  std::size_t ClosingQuote(char quote, std::size_t from) {
    std::size_t& unmatchedFrom = quote == '"' ? noDoubleQuoteFrom_ : noSingleQuoteFrom_;
    if (from >= unmatchedFrom) return kNone;
    const std::size_t close = FindChar(quote, from);
    if (close == kNone) unmatchedFrom = from;
    return close;
  }

  // Only the first piece of text counts; what follows a child, a comment or
  // the CDATA section is skipped by the next search for '<'.
  void ReadText(TmoxXMLNode2& node) {
    const std::size_t lt = FindChar('<', position_);
    if (lt == kNone) throw Failure{"Expected < when parsing text", position_};
    if (HasAt(lt, "<![CDATA[")) {
      const std::size_t close = FindText(lt + 9, "]]>");
      if (close == kNone) throw Failure{"Expected ]]> when parsing CDATA section", lt};
      node.text_ = Trimmed(Slice(lt + 9, close));
      node.cdata_ = HoldsMarkup(node.text_);
      position_ = close + 3;
      return;
    }
    node.text_ = Trimmed(Slice(position_, lt));
    node.cdata_ = Holds(node.text_, '>');  // it ends before the first '<'
    position_ = lt;
  }

  // Names compare exactly: "</a >" does not close "a".
  void ReadEndTag(const TmoxXMLNode2& node) {
    const std::size_t lt = FindChar('<', position_);
    if (lt == kNone) throw Failure{"Missing <", position_};
    const std::size_t gt = lt == endTagLt_ ? endTagGt_ : TagEnd(lt);
    if (gt == kNone) throw Failure{"Missing >", lt};
    const std::string_view tag = Slice(lt + 1, gt);
    if (tag.empty() || tag.front() != '/') throw Failure{"Not a matching end tag" + std::string(tag), lt};
    const std::string_view name = tag.substr(1);
    if (name != node.name_) {
      throw Failure{
          "Opening and closing tags don't match " + std::string(node.name_) + " " + std::string(name), lt};
    }
    position_ = gt + 1;
  }

  // name="value" or name='value' pairs in the source's [begin, end). Parsing
  // stops when the rest holds "rdf:RDF" (compared with the last occurrence, so
  // that many attributes do not rescan the rest each time) or no '='. What was
  // read before an error stays on the node.
  void ReadAttributes(TmoxXMLNode2& node, std::size_t begin, std::size_t end) {
    attributes_.clear();
    try {
      ReadAttributePairs(begin, end);
    } catch (const Failure&) {
      CommitAttributes(node);
      throw;
    }
    CommitAttributes(node);
  }

  void ReadAttributePairs(std::size_t begin, std::size_t end) {
    const std::string_view text = Slice(begin, end);
    const std::size_t lastRdf = LastRdf(text);
    std::size_t at = 0;
    std::size_t equals = 0;
    while (at < text.size() && (lastRdf == kNone || lastRdf < at) && (equals = text.find('=', at)) != kNone) {
      const std::size_t open = equals + 1;
      if (open >= text.size() || (text[open] != '"' && text[open] != '\'')) {
        throw Failure{"missing value delimiter when parsing attributes", begin + open};
      }
      const char quote = text[open];
      const std::size_t close = text.find(quote, open + 1);
      if (close == kNone) {
        throw Failure{std::string("Expected closing ") + quote + " when parsing attributes", begin + open};
      }
      CheckBudget(begin + at);
      attributes_.push_back(
          {Trimmed(text.substr(at, equals - at)), Value(text.substr(open + 1, close - open - 1))});
      at = close + 1;
    }
  }

  std::string_view Value(std::string_view raw) {
    return Holds(raw, '&') ? DecodeAttributeValue(raw, arena_.AllocateArray<char>(raw.size())) : raw;
  }

  void CommitAttributes(TmoxXMLNode2& node) {
    if (attributes_.empty()) return;
    TmoxXMLAttribute2* array = arena_.AllocateArray<TmoxXMLAttribute2>(attributes_.size());
    std::copy(attributes_.begin(), attributes_.end(), array);
    node.attributes_ = array;
    node.attributeCount_ = static_cast<std::uint32_t>(attributes_.size());
    node.attributeCapacity_ = node.attributeCount_;
  }

  std::size_t FindChar(char c, std::size_t from) const {
    if (from >= size_) return kNone;
    if (data_[from] == c) return from;
    const void* hit = std::memchr(data_ + from, c, size_ - from);
    return hit == nullptr ? kNone : static_cast<std::size_t>(static_cast<const char*>(hit) - data_);
  }

  std::size_t FindText(std::size_t from, std::string_view text) const { return Find(source_, text, from); }

  bool HasAt(std::size_t at, std::string_view text) const {
    return at + text.size() <= size_ && std::memcmp(data_ + at, text.data(), text.size()) == 0;
  }

  std::string_view Slice(std::size_t begin, std::size_t end) const { return {data_ + begin, end - begin}; }

  void TrimRange(std::size_t& begin, std::size_t& end) const {
    while (begin < end && IsBlank(data_[begin])) ++begin;
    while (begin < end && IsBlank(data_[end - 1])) --end;
  }

  void Report(const Failure& failure) {
    const std::size_t position = failure.position < size_ ? failure.position : size_;
    const std::size_t nearFrom = position >= 20 ? position - 20 : 0;
    std::string text = failure.message;
    text += " near ";
    text += source_.substr(nearFrom, 50);
    text += kCrLf;
    text += "Error position=" + std::to_string(position + 1);
    text += kCrLf;
    std::string tree = parser_.WriteXml(kErrorTreeBudget);
    tree.resize(std::min(tree.size(), kErrorTreeBudget));
    text += tree;
    parser_.errorText_ = std::move(text);
  }

  // The bytes a tag scan stops at: the end of the tag, quotes, and NUL, which
  // may be the string's terminator.
  static constexpr std::array<bool, 256> kTagStops = [] {
    std::array<bool, 256> stops{};
    stops['>'] = stops['"'] = stops['\''] = stops['\0'] = true;
    return stops;
  }();

  TmoxXMLParser2& parser_;
  TmoxXMLArena& arena_;
  std::string_view source_;
  const char* data_;
  std::size_t size_;
  std::size_t budget_;
  std::size_t position_ = 0;
  // The end tag ReadStartTag stopped at, so that ReadEndTag does not scan it again.
  std::size_t endTagLt_ = kNone;
  std::size_t endTagGt_ = kNone;
  std::size_t noDoubleQuoteFrom_ = kNone;
  std::size_t noSingleQuoteFrom_ = kNone;
  std::vector<OpenElement> open_;
  std::vector<TmoxXMLNode2*> siblings_;
  std::vector<TmoxXMLAttribute2> attributes_;
};

// ---------------------------------------------------------------- document

TmoxXMLParser2::TmoxXMLParser2() : TmoxXMLNode2(this), declaration_(std::make_unique<TmoxXMLNode2>(this)) {
  declaration_->arena_ = &Arena();
}

TmoxXMLParser2::~TmoxXMLParser2() = default;

void TmoxXMLParser2::LoadFromFile(const TFilePath& path) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) throw std::runtime_error("Cannot read XML file " + PathTo1251(path));
  LoadFromString(std::move(*bytes));
}

void TmoxXMLParser2::LoadFromString(std::string text) {
  ClearTree();
  source_ = std::move(text);
  Reader(*this).Run();
}

// The copy comes first: `bytes` may point into the tree that is cleared.
void TmoxXMLParser2::LoadFromBuffer(std::string_view bytes) {
  LoadFromString(std::string(bytes));
}

void TmoxXMLParser2::SetTreeBudget(std::size_t timesSource, std::size_t extraBytes) {
  budgetTimes_ = timesSource;
  budgetExtra_ = extraBytes;
  budgeted_ = true;
}

std::size_t TmoxXMLParser2::TreeBytes() const {
  return arena_ == nullptr ? 0 : arena_->Bytes();
}

void TmoxXMLParser2::ClearTree() {
  Clear();
  declaration_->Clear();
  errorText_.clear();
  Arena().Release();
}

std::string TmoxXMLParser2::XmlText() const {
  return WriteXml(std::string::npos);
}

// Stops after the node that passes `limit` bytes.
std::string TmoxXMLParser2::WriteXml(std::size_t limit) const {
  std::string out;
  out.reserve(65536);
  out += "<?xml version=\"" + AttributeOrDefault(*declaration_, "version", "1.0") + "\" encoding=\"" +
         AttributeOrDefault(*declaration_, "encoding", "ISO-8859-1") + "\" ?>";
  out += kCrLf;
  // Walks the tree through the parent and sibling links: no recursion.
  const TmoxXMLNode2* node = this;
  std::size_t level = 0;
  for (;;) {
    AppendStart(*node, level, out);
    if (node->ChildCount() > 0 && out.size() <= limit) {
      node = node->FirstChild();
      ++level;
      out += kCrLf;
      continue;
    }
    while (node != this && node->NextSibling() == nullptr) {
      node = node->Parent();
      --level;
      AppendEnd(*node, level, out);
    }
    if (node == this || out.size() > limit) return out;
    node = node->NextSibling();
    out += kCrLf;
  }
}

void TmoxXMLParser2::SaveToFile(const TFilePath& path) const {
  if (!WriteFileAtomic(path, XmlText()))
    throw std::runtime_error("Cannot write XML file " + PathTo1251(path));
}

}  // namespace kivo
