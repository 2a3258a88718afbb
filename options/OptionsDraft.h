// The working copy the options dialogs edit: the settings and the feed list,
// each entry with its own per-feed settings. Nothing reaches the running
// settings until the options dialog is confirmed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "feeds/FeedTable.h"
#include "feeds/PluginGlobals.h"

namespace kivo {

inline constexpr int kMinCheckPeriod = 1;
inline constexpr int kMaxCheckPeriod = 1200;
inline constexpr int kDefaultCheckPeriod = 30;

// What the feed settings dialog edits; the defaults are those of a feed
// without an INI section.
struct TFeedSettings {
  bool ShowSpecContact = true;
  bool NeedHorlines = true;
  bool LoadImages = true;
  bool ShowBaloon = true;
  bool CheckDoubleTags = true;
  bool CheckUpdates = false;
  bool NotLoadUpdates = false;
  bool CheckExtCheck = false;
  int CheckNewPeriod = kDefaultCheckPeriod;
  std::string LinkTag = "link";
  std::string TitleTag = "title";
  std::string ImageTag = "image";
  std::string DescriptionTag = "description";
  std::string PubDateTag = "pubDate";
  std::string CategoryTag = "category";

  bool operator==(const TFeedSettings&) const = default;
};

struct TFeedEntry {
  std::uint64_t Id = 0;  // stays with the entry whatever is added or deleted before it
  std::string Address;
  std::string Name;
  TFeedSettings Settings;
  std::string OriginalLine;       // the feed-list line when the dialog opened
  std::string OriginalCacheFile;  // its item cache's file name then; empty for a feed added since
  int OriginalIndex = -1;         // its index in the feed records then; -1 for a feed added since

  // The stored line when address and name are as they were (an entry without
  // "|" stays so), else address, "|", name.
  std::string Line() const;
};

struct TOptionsDraft {
  TPluginGlobals Globals;  // FeedLines is rebuilt from Feeds when applied
  bool LoadLogos = true;
  std::vector<TFeedEntry> Feeds;
  std::uint64_t NextId = 1;

  TFeedEntry* Find(std::uint64_t id);
  std::vector<std::string> Addresses() const;
  std::vector<std::string> FeedLines() const;
};

TFeedSettings SettingsOf(const tchannels& channel);
void StoreSettings(const TFeedSettings& settings, tchannels& channel);

// The working copy of the running settings; a line without a record (there
// should be none) gets the defaults.
TOptionsDraft MakeOptionsDraft(const TPluginGlobals& globals, const TRSS& rss);

// A period outside 1 to 1200 reads as 30.
int ClampCheckPeriod(int period);

}  // namespace kivo
