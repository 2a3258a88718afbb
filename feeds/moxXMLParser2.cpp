#include "feeds/moxXMLParser2.h"

#include <algorithm>
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
constexpr std::size_t kErrorTreeBudget = std::size_t{16} << 20;

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string ReplaceEvery(std::string_view text, std::string_view pattern, std::string_view replacement) {
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(pattern); at != kNone; at = text.find(pattern, from)) {
    result.append(text, from, at - from);
    result.append(replacement);
    from = at + pattern.size();
  }
  result.append(text, from);
  return result;
}

// The order matters: "&amp;lt;" decodes to "&lt;", not to "<".
std::string DecodeAttributeValue(std::string_view raw) {
  static constexpr std::pair<std::string_view, std::string_view> kReplacements[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&apos;", "'"}, {"&quot;", "\""}, {"&nbsp;", " "}};
  std::string value(raw);
  if (value.find('&') == kNone) return value;
  for (const auto& [entity, replacement] : kReplacements) value = ReplaceEvery(value, entity, replacement);
  return value;
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

}  // namespace

// ---------------------------------------------------------------- nodes

TmoxXMLNode2::TmoxXMLNode2(TmoxXMLParser2* document) : document_(document) {}

TmoxXMLNode2::~TmoxXMLNode2() {
  std::vector<std::unique_ptr<TmoxXMLNode2>> pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<TmoxXMLNode2> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    node->children_.clear();
  }
}

void TmoxXMLNode2::SetName(std::string name) {
  name_ = std::move(name);
  const std::size_t colon = name_.find(':');
  prefix_ = colon == kNone ? std::string() : name_.substr(0, colon);
}

void TmoxXMLNode2::SetText(std::string text) {
  text_ = std::move(text);
  cdata_ = text_.find_first_of("<>") != kNone;
}

TmoxXMLNode2* TmoxXMLNode2::FirstChild() const {
  return children_.empty() ? nullptr : children_.front().get();
}

TmoxXMLNode2* TmoxXMLNode2::NextSibling() const {
  if (parent_ == nullptr || indexInParent_ + 1 >= parent_->children_.size()) return nullptr;
  return parent_->children_[indexInParent_ + 1].get();
}

TmoxXMLNode2* TmoxXMLNode2::AddChild(std::string name) {
  auto child = std::make_unique<TmoxXMLNode2>(document_);
  child->SetName(std::move(name));
  return AppendNode(std::move(child));
}

TmoxXMLNode2* TmoxXMLNode2::AppendNode(std::unique_ptr<TmoxXMLNode2> node) {
  if (node == nullptr) return nullptr;
  Adopt(*node);
  children_.push_back(std::move(node));
  return children_.back().get();
}

void TmoxXMLNode2::Adopt(TmoxXMLNode2& child) {
  child.parent_ = this;
  child.indexInParent_ = children_.size();
  if (child.document_ == document_) return;
  std::vector<TmoxXMLNode2*> pending{&child};
  while (!pending.empty()) {
    TmoxXMLNode2* node = pending.back();
    pending.pop_back();
    node->document_ = document_;
    for (const auto& grandchild : node->children_) pending.push_back(grandchild.get());
  }
}

TmoxXMLNode2* TmoxXMLNode2::FindChild(std::string_view name, bool deep) const {
  TmoxXMLNode2* node = FirstChild();
  while (node != nullptr) {
    if (node->name_ == name) return node;
    if (deep && !node->children_.empty()) {
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
  return child == nullptr ? std::string() : child->text_;
}

const TmoxXMLAttribute2* TmoxXMLNode2::FindAttribute(std::string_view name) const {
  for (const TmoxXMLAttribute2& attribute : attributes_) {
    if (attribute.name == name) return &attribute;
  }
  return nullptr;
}

std::string TmoxXMLNode2::Attribute(std::string_view name) const {
  const TmoxXMLAttribute2* attribute = FindAttribute(name);
  return attribute == nullptr ? std::string() : attribute->value;
}

void TmoxXMLNode2::SetAttribute(std::string_view name, std::string value) {
  if (const TmoxXMLAttribute2* found = FindAttribute(name)) {
    attributes_[static_cast<std::size_t>(found - attributes_.data())].value = std::move(value);
    return;
  }
  AppendAttribute(std::string(name), std::move(value));
}

void TmoxXMLNode2::AppendAttribute(std::string name, std::string value) {
  attributes_.push_back(TmoxXMLAttribute2{std::move(name), std::move(value)});
}

void TmoxXMLNode2::Clear() {
  name_.clear();
  prefix_.clear();
  text_.clear();
  cdata_ = false;
  children_.clear();
  attributes_.clear();
}

// ---------------------------------------------------------------- reading

// One pass over the source. Positions are 0-based offsets; messages report
// them 1-based. Every search moves forward, so a parse is linear in the size
// of the source.
class TmoxXMLParser2::Reader {
 public:
  Reader(TmoxXMLParser2& parser, std::string_view source)
      : parser_(parser),
        source_(source),
        lastDoubleQuote_(source.rfind('"')),
        lastSingleQuote_(source.rfind('\'')) {}

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
      Report(failure);
    }
  }

 private:
  struct Failure {
    std::string message;
    std::size_t position;
  };
  enum class StartTag { kNone, kEmpty, kOpen };

  // False when the declaration has no "?>": the tree stays empty.
  bool ReadDeclaration() {
    const std::size_t lt = source_.find('<');
    if (lt == kNone || source_.compare(lt, 5, "<?xml") != 0) return true;
    const std::size_t close = source_.find("?>", lt);
    if (close == kNone) {
      parser_.errorText_ = "Missing ?> in xml declaration.";
      return false;
    }
    position_ = close + 2;
    const std::size_t begin = lt + 6;
    if (begin < close) ReadAttributes(*parser_.declaration_, begin, close);
    return true;
  }

  // The open element is the last one on the parent chain, so the chain itself
  // is the stack: no recursion however deep the document nests.
  void ReadDocumentElement() {
    TmoxXMLNode2* open = nullptr;
    if (ReadStartTag(nullptr, open) != StartTag::kOpen) return;
    ReadText(*open);
    while (open != nullptr) {
      TmoxXMLNode2* child = nullptr;
      switch (ReadStartTag(open, child)) {
        case StartTag::kNone:
          ReadEndTag(*open);
          open = open == &parser_ ? nullptr : open->Parent();
          break;
        case StartTag::kEmpty:
          break;
        case StartTag::kOpen:
          ReadText(*child);
          open = child;
          break;
      }
    }
  }

  // kNone when no '<' follows or the next tag is an end tag; then the
  // position rests on that end tag's '<'.
  StartTag ReadStartTag(TmoxXMLNode2* parent, TmoxXMLNode2*& node) {
    std::size_t lt = source_.find('<', position_);
    if (lt == kNone) return StartTag::kNone;
    if (source_.compare(lt, 4, "<!--") == 0) lt = SkipComment(lt);
    const std::size_t gt = TagEnd(lt);
    if (gt == kNone) throw Failure{"Missing >", lt};
    std::size_t begin = lt + 1;
    std::size_t end = gt;
    if (begin < end && source_[begin] == '/') {
      position_ = lt;
      return StartTag::kNone;
    }
    position_ = gt + 1;
    const bool empty = begin < end && source_[end - 1] == '/';
    if (empty) {
      --end;
      TrimRange(begin, end);
    }
    const std::string_view tag = source_.substr(begin, end - begin);
    const std::size_t space = tag.find(' ');
    std::string name(tag.substr(0, space));
    if (parent == nullptr) {
      node = &parser_;
      node->SetName(std::move(name));
    } else {
      node = parent->AddChild(std::move(name));
    }
    if (space != kNone) {
      std::size_t attributesBegin = begin + space + 1;
      TrimRange(attributesBegin, end);
      if (attributesBegin < end) ReadAttributes(*node, attributesBegin, end);
    }
    return empty ? StartTag::kEmpty : StartTag::kOpen;
  }

  // Only one comment is skipped: a second one is read as an element "!--".
  std::size_t SkipComment(std::size_t lt) const {
    const std::size_t close = source_.find("-->", lt);
    if (close == kNone) throw Failure{"Missing comment terminator -->", lt};
    const std::size_t next = source_.find('<', close + 3);
    if (next == kNone) throw Failure{"Missing <", close + 3};
    return next;
  }

  // The '>' ending the tag that starts at `lt`. A quote right after '=' opens
  // a value that may hold '>'; a value whose quote never closes falls back to
  // the first '>'.
  std::size_t TagEnd(std::size_t lt) const {
    char previous = '\0';
    for (std::size_t i = lt + 1; i < source_.size(); ++i) {
      const char c = source_[i];
      if (c == '>') return i;
      if ((c == '"' || c == '\'') && previous == '=') {
        const std::size_t last = c == '"' ? lastDoubleQuote_ : lastSingleQuote_;
        if (last <= i) return source_.find('>', lt + 1);
        i = source_.find(c, i + 1);
      }
      if (!IsBlank(c)) previous = c;
    }
    return kNone;
  }

  // Only the first piece of text counts; what follows a child, a comment or
  // the CDATA section is skipped by the next search for '<'.
  void ReadText(TmoxXMLNode2& node) {
    const std::size_t lt = source_.find('<', position_);
    if (lt == kNone) throw Failure{"Expected < when parsing text", position_};
    if (source_.compare(lt, 9, "<![CDATA[") == 0) {
      const std::size_t close = source_.find("]]>", lt + 9);
      if (close == kNone) throw Failure{"Expected ]]> when parsing CDATA section", lt};
      node.SetText(std::string(Trimmed(source_.substr(lt + 9, close - lt - 9))));
      position_ = close + 3;
      return;
    }
    node.SetText(std::string(Trimmed(source_.substr(position_, lt - position_))));
    position_ = lt;
  }

  // Names compare exactly: "</a >" does not close "a".
  void ReadEndTag(const TmoxXMLNode2& node) {
    const std::size_t lt = source_.find('<', position_);
    if (lt == kNone) throw Failure{"Missing <", position_};
    const std::size_t gt = TagEnd(lt);
    if (gt == kNone) throw Failure{"Missing >", lt};
    const std::string_view tag = source_.substr(lt + 1, gt - lt - 1);
    if (tag.empty() || tag.front() != '/') throw Failure{"Not a matching end tag" + std::string(tag), lt};
    const std::string_view name = tag.substr(1);
    if (name != node.Name()) {
      throw Failure{"Opening and closing tags don't match " + node.Name() + " " + std::string(name), lt};
    }
    position_ = gt + 1;
  }

  // name="value" or name='value' pairs in source_[begin, end). Parsing stops
  // when the rest holds "rdf:RDF" or no '='; both tests compare with the last
  // occurrence so that many attributes do not rescan the rest each time.
  void ReadAttributes(TmoxXMLNode2& node, std::size_t begin, std::size_t end) const {
    const std::string_view text = source_.substr(begin, end - begin);
    const std::size_t lastRdf = text.rfind("rdf:RDF");
    const std::size_t lastEquals = text.rfind('=');
    std::size_t at = 0;
    while (at < text.size() && (lastRdf == kNone || lastRdf < at) && lastEquals != kNone &&
           lastEquals >= at) {
      const std::size_t equals = text.find('=', at);
      const std::size_t open = equals + 1;
      if (open >= text.size() || (text[open] != '"' && text[open] != '\'')) {
        throw Failure{"missing value delimiter when parsing attributes", begin + open};
      }
      const char quote = text[open];
      const std::size_t close = text.find(quote, open + 1);
      if (close == kNone) {
        throw Failure{std::string("Expected closing ") + quote + " when parsing attributes", begin + open};
      }
      node.AppendAttribute(std::string(Trimmed(text.substr(at, equals - at))),
                           DecodeAttributeValue(text.substr(open + 1, close - open - 1)));
      at = close + 1;
    }
  }

  void TrimRange(std::size_t& begin, std::size_t& end) const {
    while (begin < end && IsBlank(source_[begin])) ++begin;
    while (begin < end && IsBlank(source_[end - 1])) --end;
  }

  void Report(const Failure& failure) {
    const std::size_t position = failure.position < source_.size() ? failure.position : source_.size();
    const std::size_t nearFrom = position >= 20 ? position - 20 : 0;
    std::string text = failure.message;
    text += " near ";
    text += source_.substr(nearFrom, 50);
    text += kCrLf;
    text += "Error position=" + std::to_string(position + 1);
    text += kCrLf;
    text += parser_.WriteXml(kErrorTreeBudget + 4 * source_.size());
    parser_.errorText_ = std::move(text);
  }

  TmoxXMLParser2& parser_;
  std::string_view source_;
  std::size_t position_ = 0;
  // A quote at or after the last one of its kind never closes.
  std::size_t lastDoubleQuote_;
  std::size_t lastSingleQuote_;
};

// ---------------------------------------------------------------- document

TmoxXMLParser2::TmoxXMLParser2() : TmoxXMLNode2(this), declaration_(std::make_unique<TmoxXMLNode2>(this)) {}

TmoxXMLParser2::~TmoxXMLParser2() = default;

void TmoxXMLParser2::LoadFromFile(const std::string& path) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) throw std::runtime_error("Cannot read XML file " + path);
  LoadFromString(std::move(*bytes));
}

void TmoxXMLParser2::LoadFromString(std::string text) {
  source_ = std::move(text);
  Parse();
  source_.clear();
  source_.shrink_to_fit();
}

void TmoxXMLParser2::LoadFromBuffer(std::string_view bytes) {
  LoadFromString(std::string(bytes));
}

void TmoxXMLParser2::Parse() {
  Clear();
  declaration_->Clear();
  errorText_.clear();
  Reader(*this, source_).Run();
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

void TmoxXMLParser2::SaveToFile(const std::string& path) const {
  if (!WriteFileAtomic(path, XmlText())) throw std::runtime_error("Cannot write XML file " + path);
}

}  // namespace kivo
