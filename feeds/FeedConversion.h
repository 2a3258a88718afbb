// Turns a parsed feed document into the plugin's item cache: a "myrssnodes"
// document of items with up to six kinds of field, in windows-1251. Pure: it
// reads only its arguments, so any thread may call it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "feeds/FeedTable.h"
#include "feeds/XmlParser.h"

namespace kivo {

// The per-feed element names that give an item's fields; compared without
// regard to letter case.
struct TFeedTags {
  std::string Title = "title";
  std::string Description = "description";
  std::string PubDate = "pubDate";
  std::string Category = "category";
  std::string Link = "link";
  std::string Image = "image";
};

TFeedTags FeedTagsOf(const tchannels& feed);

// A feed keeps its first items only: the item cache, the theme list and the
// page of a feed of a million tiny items would not fit the messenger's memory.
inline constexpr std::size_t kMaxFeedItems = 10000;

// The tree of a feed document may take twice the document plus 8 MB: with the
// document itself and the converted items, a conversion stays within four
// times the document plus 16 MB.
inline constexpr std::size_t kFeedTreeBudgetTimes = 2;
inline constexpr std::size_t kFeedTreeBudgetExtra = std::size_t{8} << 20;

// A parser for a feed document, its tree budget set.
void SetFeedTreeBudget(TmoxXMLParser2& source);

// How the field texts of a document are brought into windows-1251.
enum class EncodingMode { Win1251, Koi8, Utf8, Latin1, Cp1252 };

// From the declared encoding name (any case); an empty name means UTF-8, and
// so does every name not known here.
EncodingMode EncodingModeFor(std::string_view declaredEncoding);
std::string_view EncodingModeName(EncodingMode mode);
// A field's text in windows-1251; UTF-8 that does not decode stays as it is.
std::string DecodeToWin(std::string_view value, EncodingMode mode);

// The "encoding" attribute of the document's declaration, as written.
std::string DeclaredEncoding(const TmoxXMLParser2& source);

struct TConversionSettings {
  TFeedTags Tags;
  bool CheckDoubleTags = true;
  std::string DeclaredEncoding;
  bool AccumulateUnread = false;
  // The logo address from the last conversion; kept unless the document names one.
  std::string LogoUrl;
};

struct TConvertedFeed {
  // The item cache file's bytes: a document "myrssnodes" in windows-1251.
  std::string CacheText;
  std::string LogoUrl;
  EncodingMode Mode = EncodingMode::Utf8;
  int NewItemCount = 0;      // items taken from the document
  int CarriedItemCount = 0;  // unread items kept from `previousItems`

  int ItemCount() const { return NewItemCount + CarriedItemCount; }
  const std::string& Text() const { return CacheText; }
};

// `previousItems` are the themes as the theme list last knew them; with
// AccumulateUnread, those not read and no longer in the document are kept,
// after the document's own, up to kMaxFeedItems in all.
TConvertedFeed ConvertFeed(const TmoxXMLParser2& source, const TConversionSettings& settings,
                           const std::vector<tchannelrecord>& previousItems);

}  // namespace kivo
