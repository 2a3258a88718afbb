#include "feeds/FeedConversion.h"

#include <unordered_set>
#include <utility>

#include "base/Text1251.h"

namespace kivo {

namespace {

constexpr std::string_view kItemField = "item";

enum class FieldKind { None, Item, Text, Date, Title, Category, Link, Image };

// Names of the output fields, indexed by FieldKind.
constexpr std::string_view kFieldNames[] = {"", "item", "text", "date", "title", "category", "link", "image"};

std::string_view FieldName(FieldKind kind) {
  return kFieldNames[static_cast<int>(kind)];
}

// Atom calls its items "entry" and its channel "feed".
bool IsItemName(std::string_view lowerName) {
  return lowerName == "item" || lowerName == "entry";
}

bool IsChannelName(std::string_view lowerName) {
  return lowerName == "channel" || lowerName == "feed";
}

std::string LowerName(const TmoxXMLNode2& node) {
  return LowerCase1251(node.Name());
}

// An Atom link carries its address in "href" and has no text.
std::string LinkAddress(const TmoxXMLNode2& node) {
  if (node.Text().empty()) {
    std::string href = node.Attribute("href");
    if (!href.empty()) return href;
  }
  return std::string(node.Text());
}

std::string LinkContent(const TmoxXMLNode2& node) {
  const std::string address = LinkAddress(node);
  return "<a href=\"" + address + "\" TARGET=_blank>" + address + "</a>";
}

std::string ImageContent(const TmoxXMLNode2& node, const TmoxXMLNode2& url) {
  std::string content = "<img src=\"" + std::string(url.Text()) + "\" ";
  if (const TmoxXMLNode2* title = node.FindChild("title", false))
    content += " alt=\"" + std::string(title->Text()) + "\" ";
  return content + " >";
}

std::string TextContent(const TmoxXMLNode2& node) {
  return ReplaceAll(ReplaceAll(node.Text(), "\r", "<br>"), "\n", "<br>");
}

std::string ItemKey(const TmoxXMLNode2& item) {
  return LowerCase1251(item.ChildText("title") + item.ChildText("date"));
}

class TFeedConverter {
 public:
  TFeedConverter(const TConversionSettings& settings, TConvertedFeed& out)
      : settings_(settings),
        out_(out),
        description_(LowerCase1251(settings.Tags.Description)),
        pubDate_(LowerCase1251(settings.Tags.PubDate)),
        title_(LowerCase1251(settings.Tags.Title)),
        category_(LowerCase1251(settings.Tags.Category)),
        link_(LowerCase1251(settings.Tags.Link)),
        image_(LowerCase1251(settings.Tags.Image)) {}

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
      if (IsChannelName(LowerName(*n))) {
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
    current_ = nullptr;
    out_.NewItemCount = static_cast<int>(out_.Document->ChildCount());
    if (settings_.AccumulateUnread) CarryOverUnread(previousItems);
    out_.CarriedItemCount = static_cast<int>(out_.Document->ChildCount()) - out_.NewItemCount;
  }

 private:
  // The item in the making is counted: a full document takes no further field.
  bool Full() const { return out_.Document->ChildCount() - (current_ == nullptr ? 0 : 1) >= kMaxFeedItems; }

  // Looks at the channel's children up to its first item for the logo.
  const TmoxXMLNode2* FirstItemOfChannel(const TmoxXMLNode2& channel) {
    for (const TmoxXMLNode2* child = channel.FirstChild(); child != nullptr; child = child->NextSibling()) {
      const std::string name = LowerName(*child);
      if (IsItemName(name)) return child;
      if (name == "image") out_.LogoUrl = child->ChildText("url");
    }
    return nullptr;
  }

  FieldKind Classify(std::string_view name) const {
    if (IsItemName(name)) return FieldKind::Item;
    if (name == description_) return FieldKind::Text;
    if (name == pubDate_) return FieldKind::Date;
    if (name == title_) return FieldKind::Title;
    if (name == category_) return FieldKind::Category;
    if (name == link_) return FieldKind::Link;
    if (name == image_) return FieldKind::Image;
    return FieldKind::None;
  }

  // True when the walk descends into the element.
  bool ConvertElement(const TmoxXMLNode2& node) {
    const FieldKind kind = Classify(LowerName(node));
    switch (kind) {
      case FieldKind::None:
        return true;
      case FieldKind::Item:
        StartItem();
        return true;
      case FieldKind::Title:
        AddField(DecodeEntities(node.Text()), kind);
        break;
      case FieldKind::Text:
        AddField(TextContent(node), kind);
        break;
      case FieldKind::Date:
      case FieldKind::Category:
        AddField(node.Text(), kind);
        break;
      case FieldKind::Link:
        AddField(LinkContent(node), kind);
        break;
      case FieldKind::Image:
        if (const TmoxXMLNode2* url = node.FindChild("url", false)) AddField(ImageContent(node, *url), kind);
        break;
    }
    return false;
  }

  void AddField(std::string_view value, FieldKind kind) {
    std::string text = DecodeToWin(value, out_.Mode);
    for (char& c : text) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    if (settings_.CheckDoubleTags) text = DecodeEntities(text);
    if (current_ == nullptr) current_ = out_.Document->AddChild(kItemField);
    current_->AddChild(FieldName(kind))->SetText(text);
  }

  // Items take their place in the document, and its arena, with their first
  // field: an item without fields is never written.
  void StartItem() { current_ = nullptr; }

  void CarryOverUnread(const std::vector<tchannelrecord>& previousItems) {
    std::unordered_set<std::string> keys;
    for (const TmoxXMLNode2* item = out_.Document->FirstChild(); item != nullptr;
         item = item->NextSibling()) {
      keys.insert(ItemKey(*item));
    }
    for (const tchannelrecord& theme : previousItems) {
      if (out_.Document->ChildCount() >= kMaxFeedItems) return;
      if (theme.Mark == 1 || keys.contains(LowerCase1251(Utf16ToWin(theme.Title + theme.Date)))) continue;
      const std::pair<std::string_view, const std::u16string*> fields[] = {
          {"title", &theme.Title},       {"text", &theme.Text}, {"date", &theme.Date},
          {"category", &theme.Category}, {"link", &theme.Link}, {"image", &theme.Image}};
      TmoxXMLNode2* item = nullptr;
      for (const auto& [name, value] : fields) {
        if (value->empty()) continue;
        if (item == nullptr) item = out_.Document->AddChild(kItemField);
        item->AddChild(name)->SetText(Utf16ToWin(*value));
      }
    }
  }

  const TConversionSettings& settings_;
  TConvertedFeed& out_;
  const std::string description_;
  const std::string pubDate_;
  const std::string title_;
  const std::string category_;
  const std::string link_;
  const std::string image_;
  TmoxXMLNode2* current_ = nullptr;  // null until the item has a field
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
  switch (mode) {
    case EncodingMode::Win1251:
      return std::string(value);
    case EncodingMode::Koi8:
      return Koi8ToWin(value);
    case EncodingMode::Latin1:
      return Latin1ToWin(value);
    case EncodingMode::Cp1252:
      return Cp1252ToWin(value);
    case EncodingMode::Utf8:
      break;
  }
  return Utf8ToWinOrKeep(value);
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
  out.Document = std::make_unique<TmoxXMLParser2>();
  out.Document->Declaration().SetAttribute("version", "1.0");
  out.Document->Declaration().SetAttribute("encoding", "windows-1251");
  out.Document->SetName("myrssnodes");
  out.LogoUrl = settings.LogoUrl;
  out.Mode = EncodingModeFor(settings.DeclaredEncoding);
  TFeedConverter converter(settings, out);
  if (!source.Name().empty()) converter.ConvertNode(&source);
  converter.Finish(previousItems);
  return out;
}

}  // namespace kivo
