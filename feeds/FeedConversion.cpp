#include "feeds/FeedConversion.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "base/Text1251.h"

namespace kivo {

namespace {

enum class FieldKind { None, Item, Text, Date, Title, Category, Link, Image };

// Names of the output fields, indexed by FieldKind.
constexpr std::string_view kFieldNames[] = {"", "item", "text", "date", "title", "category", "link", "image"};

std::string_view FieldName(FieldKind kind) {
  return kFieldNames[static_cast<int>(kind)];
}

// Atom calls its items "entry" and its channel "feed".
bool IsItemName(std::string_view name) {
  return SameText1251(name, "item") || SameText1251(name, "entry");
}

bool IsChannelName(std::string_view name) {
  return SameText1251(name, "channel") || SameText1251(name, "feed");
}

// An Atom link carries its address in "href" and has no text.
std::string LinkAddress(const TmoxXMLNode2& node) {
  if (node.Text().empty()) {
    std::string href = node.Attribute("href");
    if (!href.empty()) return href;
  }
  return std::string(node.Text());
}

void LinkContent(const TmoxXMLNode2& node, std::string& out) {
  const std::string address = LinkAddress(node);
  out.append("<a href=\"").append(address).append("\" TARGET=_blank>").append(address).append("</a>");
}

void ImageContent(const TmoxXMLNode2& node, const TmoxXMLNode2& url, std::string& out) {
  out.append("<img src=\"").append(url.Text()).append("\" ");
  if (const TmoxXMLNode2* title = node.FindChild("title", false))
    out.append(" alt=\"").append(title->Text()).append("\" ");
  out.append(" >");
}

bool Holds(std::string_view text, char c) {
  return !text.empty() && std::memchr(text.data(), c, text.size()) != nullptr;
}

void BlankLineBreaks(char* text, std::size_t size) {
  for (const char lineBreak : {'\n', '\r'}) {
    char* at = text;
    const char* const end = text + size;
    while (at < end && (at = static_cast<char*>(std::memchr(at, lineBreak, end - at))) != nullptr)
      *at++ = ' ';
  }
}

void AppendDecoded(std::string_view value, EncodingMode mode, std::string& out) {
  switch (mode) {
    case EncodingMode::Win1251:
      out.append(value);
      return;
    case EncodingMode::Koi8:
      AppendKoi8ToWin(value, out);
      return;
    case EncodingMode::Latin1:
      AppendLatin1ToWin(value, out);
      return;
    case EncodingMode::Cp1252:
      AppendCp1252ToWin(value, out);
      return;
    case EncodingMode::Utf8:
      break;
  }
  if (!AppendUtf8ToWin(value, out)) out.append(value);
}

// The item cache written item by item, byte for byte as the tree of a
// "myrssnodes" document would write itself; the tree is never built.
class TCacheWriter {
 public:
  explicit TCacheWriter(std::size_t sourceSize) : sourceSize_(sourceSize) {
    text_ = kHead;
    text_ += "<myrssnodes>";
  }

  std::size_t ItemCount() const { return items_; }

  void OpenItem() {
    if (items_ == 0) ReserveForItems();
    if (items_ > 0) text_ += "\r\n  </item>";
    text_ += "\r\n  <item>";
    ++items_;
  }

  // The field's text is what the caller appends to Text() before EndField.
  std::size_t BeginField(std::string_view name) {
    text_.append("\r\n    <").append(name).append(1, '>');
    return text_.size();
  }

  std::string& Text() { return text_; }

  // A text with '<' or '>' goes into a CDATA section, an empty one makes "<name/>".
  void EndField(std::string_view name, std::size_t textBegin) {
    const std::string_view text(text_.data() + textBegin, text_.size() - textBegin);
    if (text.empty()) {
      text_.resize(textBegin - 1);
      text_ += "/>";
      return;
    }
    if (Holds(text, '<') || Holds(text, '>')) WrapInCdata(textBegin);
    text_.append("</").append(name).append(1, '>');
  }

  void Field(std::string_view name, std::string_view text) {
    const std::size_t begin = BeginField(name);
    text_ += text;
    EndField(name, begin);
  }

  std::string Finish() && {
    if (items_ == 0) {
      text_.resize(kHead.size());
      text_ += "<myrssnodes/>";
    } else {
      text_ += "\r\n  </item>\r\n</myrssnodes>";
    }
    return std::move(text_);
  }

 private:
  static constexpr std::string_view kHead = "<?xml version=\"1.0\" encoding=\"windows-1251\" ?>\r\n";
  static constexpr std::size_t kMaxReserve = std::size_t{4} << 20;

  // A "]]>" inside the section would end it early; "]]&gt;" keeps the rest.
  void WrapInCdata(std::size_t textBegin) {
    constexpr std::string_view kOpen = "<![CDATA[";
    const std::string_view text(text_.data() + textBegin, text_.size() - textBegin);
    if (text.find("]]>") == std::string_view::npos) {
      text_.insert(textBegin, kOpen);
    } else {
      const std::string escaped = ReplaceAll(text, "]]>", "]]&gt;");
      text_.resize(textBegin);
      text_.append(kOpen).append(escaped);
    }
    text_ += "]]>";
  }

  // A cache is shorter than its document (a Cyrillic letter takes one byte, not
  // two, and most elements are dropped): reserved near its size, it is rarely
  // copied as it grows, and it does not ask for more fresh pages than it uses.
  // A document without items reserves nothing.
  void ReserveForItems() { text_.reserve(std::min(sourceSize_ / 4 * 3, kMaxReserve) + kHead.size() + 64); }

  std::size_t sourceSize_;
  std::string text_;
  std::size_t items_ = 0;
};

class TFeedConverter {
 public:
  TFeedConverter(const TConversionSettings& settings, std::size_t sourceSize, TConvertedFeed& out)
      : settings_(settings), out_(out), writer_(sourceSize) {}

  // Visits `node` and its following siblings in document order; a descent
  // pushes the node whose next sibling comes after its subtree.
  void ConvertNode(const TmoxXMLNode2* node) {
    std::vector<const TmoxXMLNode2*> pending;
    const TmoxXMLNode2* current = node;
    while (!Full()) {
      while (current == nullptr) {
        if (pending.empty()) return;
        current = pending.back()->NextSibling();
        pending.pop_back();
      }
      const TmoxXMLNode2* n = current;
      if (IsChannelName(n->Name())) {
        n = FirstItemOfChannel(*n);
        if (n == nullptr) {
          current = current->NextSibling();
          continue;
        }
      }
      if (ConvertElement(*n) && n->ChildCount() > 0) {
        pending.push_back(n);
        current = n->FirstChild();
      } else {
        current = n->NextSibling();
      }
    }
  }

  void Finish(const std::vector<tchannelrecord>& previousItems) {
    if (writer_.ItemCount() > 0) KeepItemKey();
    itemOpen_ = false;
    out_.NewItemCount = static_cast<int>(writer_.ItemCount());
    if (settings_.AccumulateUnread) CarryOverUnread(previousItems);
    out_.CarriedItemCount = static_cast<int>(writer_.ItemCount()) - out_.NewItemCount;
    out_.CacheText = std::move(writer_).Finish();
  }

 private:
  // The item in the making is counted: a full document takes no further field.
  bool Full() const { return writer_.ItemCount() - (itemOpen_ ? 1 : 0) >= kMaxFeedItems; }

  // Looks at the channel's children up to its first item for the logo.
  const TmoxXMLNode2* FirstItemOfChannel(const TmoxXMLNode2& channel) {
    for (const TmoxXMLNode2* child = channel.FirstChild(); child != nullptr; child = child->NextSibling()) {
      if (IsItemName(child->Name())) return child;
      if (SameText1251(child->Name(), "image")) out_.LogoUrl = child->ChildText("url");
    }
    return nullptr;
  }

  FieldKind Classify(std::string_view name) const {
    const TFeedTags& tags = settings_.Tags;
    if (IsItemName(name)) return FieldKind::Item;
    if (SameText1251(name, tags.Description)) return FieldKind::Text;
    if (SameText1251(name, tags.PubDate)) return FieldKind::Date;
    if (SameText1251(name, tags.Title)) return FieldKind::Title;
    if (SameText1251(name, tags.Category)) return FieldKind::Category;
    if (SameText1251(name, tags.Link)) return FieldKind::Link;
    if (SameText1251(name, tags.Image)) return FieldKind::Image;
    return FieldKind::None;
  }

  // True when the walk descends into the element.
  bool ConvertElement(const TmoxXMLNode2& node) {
    const FieldKind kind = Classify(node.Name());
    switch (kind) {
      case FieldKind::None:
        return true;
      case FieldKind::Item:
        itemOpen_ = false;  // the item takes its place with its first field
        return true;
      case FieldKind::Title:
        scratch_.assign(node.Text());
        scratch_.resize(DecodeEntitiesInPlace(scratch_.data(), scratch_.size()));
        AddField(scratch_, kind);
        break;
      case FieldKind::Text:
        if (Holds(node.Text(), '\r') || Holds(node.Text(), '\n')) {
          scratch_ = ReplaceAll(ReplaceAll(node.Text(), "\r", "<br>"), "\n", "<br>");
          AddField(scratch_, kind);
        } else {
          AddField(node.Text(), kind);
        }
        break;
      case FieldKind::Date:
      case FieldKind::Category:
        AddField(node.Text(), kind);
        break;
      case FieldKind::Link:
        scratch_.clear();
        LinkContent(node, scratch_);
        AddField(scratch_, kind);
        break;
      case FieldKind::Image:
        if (const TmoxXMLNode2* url = node.FindChild("url", false)) {
          scratch_.clear();
          ImageContent(node, *url, scratch_);
          AddField(scratch_, kind);
        }
        break;
    }
    return false;
  }

  // The value is decoded, its line breaks blanked and, with double tags
  // checked, its entities decoded where it is written.
  void AddField(std::string_view value, FieldKind kind) {
    if (!itemOpen_) OpenItem();
    const std::string_view name = FieldName(kind);
    std::string& text = writer_.Text();
    const std::size_t begin = writer_.BeginField(name);
    AppendDecoded(value, out_.Mode, text);
    // a description's line breaks became "<br>" before decoding
    if (kind != FieldKind::Text) BlankLineBreaks(text.data() + begin, text.size() - begin);
    if (settings_.CheckDoubleTags)
      text.resize(begin + DecodeEntitiesInPlace(text.data() + begin, text.size() - begin));
    if (settings_.AccumulateUnread) NoteKeyField(kind, std::string_view(text).substr(begin));
    writer_.EndField(name, begin);
  }

  void OpenItem() {
    if (writer_.ItemCount() > 0) KeepItemKey();
    writer_.OpenItem();
    itemOpen_ = true;
  }

  // An item is known by its first title and its first date.
  void NoteKeyField(FieldKind kind, std::string_view text) {
    if (kind == FieldKind::Title && !titleSeen_) {
      titleSeen_ = true;
      keyTitle_ = text;
    } else if (kind == FieldKind::Date && !dateSeen_) {
      dateSeen_ = true;
      keyDate_ = text;
    }
  }

  void KeepItemKey() {
    if (settings_.AccumulateUnread) keys_.insert(LowerCase1251(keyTitle_ + keyDate_));
    keyTitle_.clear();
    keyDate_.clear();
    titleSeen_ = dateSeen_ = false;
  }

  void CarryOverUnread(const std::vector<tchannelrecord>& previousItems) {
    for (const tchannelrecord& theme : previousItems) {
      if (writer_.ItemCount() >= kMaxFeedItems) return;
      if (theme.Mark == 1 || keys_.contains(LowerCase1251(Utf16ToWin(theme.Title + theme.Date)))) continue;
      const std::pair<std::string_view, const std::u16string*> fields[] = {
          {"title", &theme.Title},       {"text", &theme.Text}, {"date", &theme.Date},
          {"category", &theme.Category}, {"link", &theme.Link}, {"image", &theme.Image}};
      bool opened = false;
      for (const auto& [name, value] : fields) {
        if (value->empty()) continue;
        if (!opened) writer_.OpenItem();
        opened = true;
        writer_.Field(name, Utf16ToWin(*value));
      }
    }
  }

  const TConversionSettings& settings_;
  TConvertedFeed& out_;
  TCacheWriter writer_;
  bool itemOpen_ = false;  // false until the item has a field
  std::string scratch_;    // a field's value before decoding
  std::unordered_set<std::string> keys_;
  std::string keyTitle_;
  std::string keyDate_;
  bool titleSeen_ = false;
  bool dateSeen_ = false;
};

}  // namespace

TFeedTags FeedTagsOf(const tchannels& feed) {
  return TFeedTags{feed.TitleTag,    feed.DescriptionTag, feed.PubDateTag,
                   feed.CategoryTag, feed.LinkTag,        feed.ImageTag};
}

EncodingMode EncodingModeFor(std::string_view declaredEncoding) {
  static constexpr std::pair<std::string_view, EncodingMode> kKnown[] = {
      {"windows-1251", EncodingMode::Win1251}, {"cp1251", EncodingMode::Win1251},
      {"windows1251", EncodingMode::Win1251},  {"win-1251", EncodingMode::Win1251},
      {"x-cp1251", EncodingMode::Win1251},     {"koi8-r", EncodingMode::Koi8},
      {"koi8-u", EncodingMode::Koi8},          {"iso-8859-1", EncodingMode::Latin1},
      {"latin1", EncodingMode::Latin1},        {"latin-1", EncodingMode::Latin1},
      {"windows-1252", EncodingMode::Cp1252},  {"cp1252", EncodingMode::Cp1252},
      {"us-ascii", EncodingMode::Cp1252},      {"ascii", EncodingMode::Cp1252},
  };
  const std::string name = LowerCase1251(declaredEncoding);
  for (const auto& [known, mode] : kKnown) {
    if (name == known) return mode;
  }
  return EncodingMode::Utf8;
}

std::string_view EncodingModeName(EncodingMode mode) {
  switch (mode) {
    case EncodingMode::Win1251:
      return "windows-1251";
    case EncodingMode::Koi8:
      return "koi8";
    case EncodingMode::Latin1:
      return "iso-8859-1";
    case EncodingMode::Cp1252:
      return "windows-1252";
    case EncodingMode::Utf8:
      break;
  }
  return "utf-8";
}

std::string DecodeToWin(std::string_view value, EncodingMode mode) {
  std::string out;
  AppendDecoded(value, mode, out);
  return out;
}

void SetFeedTreeBudget(TmoxXMLParser2& source) {
  source.SetTreeBudget(kFeedTreeBudgetTimes, kFeedTreeBudgetExtra);
}

std::string DeclaredEncoding(const TmoxXMLParser2& source) {
  return source.Declaration().Attribute("encoding");
}

TConvertedFeed ConvertFeed(const TmoxXMLParser2& source, const TConversionSettings& settings,
                           const std::vector<tchannelrecord>& previousItems) {
  TConvertedFeed out;
  out.LogoUrl = settings.LogoUrl;
  out.Mode = EncodingModeFor(settings.DeclaredEncoding);
  TFeedConverter converter(settings, source.SourceSize(), out);
  if (!source.Name().empty()) converter.ConvertNode(&source);
  converter.Finish(previousItems);
  return out;
}

}  // namespace kivo
