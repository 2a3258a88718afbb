#include "options/OptionsDraft.h"

#include <algorithm>

#include "base/FilePaths.h"

namespace kivo {

std::string TFeedEntry::Line() const {
  if (!OriginalLine.empty() && FeedLineUrl(OriginalLine) == Address && FeedLineTitle(OriginalLine) == Name)
    return OriginalLine;
  return Address + "|" + Name;
}

TFeedEntry* TOptionsDraft::Find(std::uint64_t id) {
  const auto found =
      std::find_if(Feeds.begin(), Feeds.end(), [id](const TFeedEntry& e) { return e.Id == id; });
  return found == Feeds.end() ? nullptr : &*found;
}

std::vector<std::string> TOptionsDraft::Addresses() const {
  std::vector<std::string> addresses;
  for (const TFeedEntry& entry : Feeds) addresses.push_back(entry.Address);
  return addresses;
}

std::vector<std::string> TOptionsDraft::FeedLines() const {
  std::vector<std::string> lines;
  for (const TFeedEntry& entry : Feeds) lines.push_back(entry.Line());
  return lines;
}

TFeedSettings SettingsOf(const tchannels& channel) {
  TFeedSettings settings;
  settings.ShowSpecContact = channel.ShowSpecContact;
  settings.NeedHorlines = channel.NeedHorlines;
  settings.LoadImages = channel.LoadImages;
  settings.ShowBaloon = channel.ShowBaloon;
  settings.CheckDoubleTags = channel.CheckDoubleTags;
  settings.CheckUpdates = channel.CheckUpdates;
  settings.NotLoadUpdates = channel.NotLoadUpdates;
  settings.CheckExtCheck = channel.CheckExtCheck;
  settings.CheckNewPeriod = channel.CheckNewPeriod;
  settings.LinkTag = channel.LinkTag;
  settings.TitleTag = channel.TitleTag;
  settings.ImageTag = channel.ImageTag;
  settings.DescriptionTag = channel.DescriptionTag;
  settings.PubDateTag = channel.PubDateTag;
  settings.CategoryTag = channel.CategoryTag;
  return settings;
}

void StoreSettings(const TFeedSettings& settings, tchannels& channel) {
  channel.ShowSpecContact = settings.ShowSpecContact;
  channel.NeedHorlines = settings.NeedHorlines;
  channel.LoadImages = settings.LoadImages;
  channel.ShowBaloon = settings.ShowBaloon;
  channel.CheckDoubleTags = settings.CheckDoubleTags;
  channel.CheckUpdates = settings.CheckUpdates;
  channel.NotLoadUpdates = settings.NotLoadUpdates;
  channel.CheckExtCheck = settings.CheckExtCheck;
  channel.CheckNewPeriod = settings.CheckNewPeriod;
  channel.LinkTag = settings.LinkTag;
  channel.TitleTag = settings.TitleTag;
  channel.ImageTag = settings.ImageTag;
  channel.DescriptionTag = settings.DescriptionTag;
  channel.PubDateTag = settings.PubDateTag;
  channel.CategoryTag = settings.CategoryTag;
}

TOptionsDraft MakeOptionsDraft(const TPluginGlobals& globals, const TRSS& rss) {
  TOptionsDraft draft;
  draft.Globals = globals;
  draft.LoadLogos = rss.LoadLogos;
  for (std::size_t i = 0; i < globals.FeedLines.size(); ++i) {
    const std::string& line = globals.FeedLines[i];
    TFeedEntry entry;
    entry.Id = draft.NextId++;
    entry.Address = FeedLineUrl(line);
    entry.Name = FeedLineTitle(line);
    entry.OriginalLine = line;
    if (i < rss.Channels.size()) {
      const tchannels& channel = rss.Channels[i];
      entry.Settings = SettingsOf(channel);
      entry.OriginalCacheFile = PathTo1251(channel.CacheFile.filename());
      entry.OriginalIndex = static_cast<int>(i);
    }
    draft.Feeds.push_back(std::move(entry));
  }
  return draft;
}

int ClampCheckPeriod(int period) {
  return period < kMinCheckPeriod || period > kMaxCheckPeriod ? kDefaultCheckPeriod : period;
}

}  // namespace kivo
