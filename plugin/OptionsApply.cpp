#include "plugin/OptionsApply.h"

#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "base/FilePaths.h"
#include "lang/LanguageTexts.h"
#include "platform/FileIo.h"
#include "platform/IniFile.h"

namespace kivo {

namespace {

constexpr std::string_view kMainSection = "Main";
// A feed's files in the cache folder, all named by its cache name.
constexpr std::string_view kFeedFileExtensions[] = {".rss", ".xml", ".rd", ".ico", ".img"};

struct TRename {
  std::string from;  // item cache file names, as the INI sections
  std::string to;
};

std::string CacheFileName(const TSettingsContext& context, const TFeedEntry& entry) {
  return PathTo1251(ItemCacheFile(context.CacheFolder, entry.Address).filename());
}

std::vector<TRename> RenamedFeeds(const TOptionsDraft& draft, const TSettingsContext& context) {
  std::vector<TRename> renames;
  for (const TFeedEntry& entry : draft.Feeds) {
    if (entry.OriginalCacheFile.empty()) continue;
    std::string to = CacheFileName(context, entry);
    if (to != entry.OriginalCacheFile) renames.push_back({entry.OriginalCacheFile, std::move(to)});
  }
  return renames;
}

// No cache name holds "~" at its start.
std::string PassingSection(std::size_t i) {
  std::string name = std::to_string(i);
  name.insert(name.begin(), '~');
  return name;
}

// Through names no feed has, so that two feeds trading addresses keep their own sections.
void RenameSections(TIniFile& ini, const std::vector<TRename>& renames) {
  for (std::size_t i = 0; i < renames.size(); ++i) ini.RenameSection(renames[i].from, PassingSection(i));
  for (std::size_t i = 0; i < renames.size(); ++i) ini.RenameSection(PassingSection(i), renames[i].to);
}

void EraseDeletedFeeds(TIniFile& ini, const TOptionsDraft& draft, const TRSS& rss) {
  std::set<std::string> kept;
  for (const TFeedEntry& entry : draft.Feeds) kept.insert(entry.OriginalCacheFile);
  for (const tchannels& channel : rss.Channels) {
    const std::string section = FeedSection(channel);
    if (!channel.CacheFile.empty() && kept.count(section) == 0) ini.EraseSection(section);
  }
}

void WriteFeedKeys(TIniFile& ini, const std::string& section, const TFeedSettings& settings) {
  ini.WriteString(section, "link", settings.LinkTag);
  ini.WriteString(section, "title", settings.TitleTag);
  ini.WriteString(section, "image", settings.ImageTag);
  ini.WriteString(section, "description", settings.DescriptionTag);
  ini.WriteString(section, "pubDate", settings.PubDateTag);
  ini.WriteString(section, "Category", settings.CategoryTag);
  ini.WriteBool(section, "CheckUpdates", settings.CheckUpdates);
  ini.WriteBool(section, "NotLoadUpdates", settings.NotLoadUpdates);
  ini.WriteBool(section, "Need_horlines", settings.NeedHorlines);
  ini.WriteInteger(section, "CheckNewPeriod", settings.CheckNewPeriod);
  ini.WriteBool(section, "Load_Images", settings.LoadImages);
  ini.WriteBool(section, "CheckDoubleTags", settings.CheckDoubleTags);
  ini.WriteBool(section, "CheckExtCheck", settings.CheckExtCheck);
  ini.WriteBool(section, "ShowSpecContact", settings.ShowSpecContact);
  ini.WriteBool(section, "ShowBaloon", settings.ShowBaloon);
}

bool WriteNewIni(const TOptionsDraft& draft, const TRSS& rss, const std::vector<TRename>& renames,
                 const TSettingsContext& context) {
  TIniFile ini(context.IniPath);
  EraseDeletedFeeds(ini, draft, rss);
  RenameSections(ini, renames);
  for (const TFeedEntry& entry : draft.Feeds)
    WriteFeedKeys(ini, CacheFileName(context, entry), entry.Settings);
  ini.WriteBool(kMainSection, "Load_Logo", draft.LoadLogos);
  ini.WriteInteger(kMainSection, "Tabs_position", draft.Globals.TabsPosition);
  ini.WriteBool(kMainSection, "Show_ListContacts", draft.Globals.ShowListContacts);
  ini.WriteBool(kMainSection, "Show_ContactsIcons", draft.Globals.ShowContactsIcons);
  return ini.UpdateFile();
}

// Through names no feed has, as the sections, so that two feeds trading
// addresses keep their own files. A file that cannot be moved stays under its
// old name: the feed starts afresh.
void RenameFeedFiles(const std::vector<TRename>& renames, const TSettingsContext& context) {
  const auto file = [&context](const std::string& name, std::string_view extension) {
    return context.CacheFolder / ChangeFileExt(PathFrom1251(name), extension);
  };
  for (std::size_t i = 0; i < renames.size(); ++i) {
    for (std::string_view extension : kFeedFileExtensions) {
      if (FileExists(file(renames[i].from, extension)))
        RenameFile(file(renames[i].from, extension), file(PassingSection(i), extension));
    }
  }
  for (std::size_t i = 0; i < renames.size(); ++i) {
    for (std::string_view extension : kFeedFileExtensions) {
      if (FileExists(file(PassingSection(i), extension)))
        RenameFile(file(PassingSection(i), extension), file(renames[i].to, extension));
    }
  }
}

using TRunStates = std::map<std::string, std::shared_ptr<TFeedRunState>>;

TRunStates LoadingFeeds(const TRSS& rss) {
  TRunStates loading;
  for (const tchannels& channel : rss.Channels) {
    if (!channel.CacheFile.empty() && channel.Run->Loading)
      loading.emplace(FeedSection(channel), channel.Run);
  }
  return loading;
}

// The running worker keeps clearing its own block when it ends; its result is
// dropped by the generation stamp of the rebuilt record.
void KeepLoading(TRSS& rss, const TRunStates& loading) {
  for (tchannels& channel : rss.Channels) {
    const auto found = loading.find(FeedSection(channel));
    if (found != loading.end()) channel.Run = found->second;
  }
}

void TakeOver(const TOptionsDraft& draft, TPluginGlobals& globals, TRSS& rss) {
  TPluginGlobals next = draft.Globals;
  next.PluginPath = globals.PluginPath;
  next.FeedLines = draft.FeedLines();
  globals = std::move(next);
  rss.LoadLogos = draft.LoadLogos;
}

}  // namespace

bool ApplyOptions(const TOptionsDraft& draft, TPluginGlobals& globals, TRSS& rss,
                  const TSettingsContext& context) {
  // Marks and run-time keys go to the files they were read from before those move.
  SaveSettings(globals, &rss, context);
  const std::vector<TRename> renames = RenamedFeeds(draft, context);
  if (!WriteNewIni(draft, rss, renames, context)) return false;
  RenameFeedFiles(renames, context);
  const TRunStates loading = LoadingFeeds(rss);
  TakeOver(draft, globals, rss);
  apply_language(globals.LangIndex, globals.LangList, context.PluginFolder, context.DecimalSeparator);
  // The feed keys are in the file already: this save adds the record and "Main".
  TRSS withoutFeeds;
  withoutFeeds.LoadLogos = rss.LoadLogos;
  SaveSettings(globals, &withoutFeeds, context);
  LoadSettings(globals, rss, context);
  KeepLoading(rss, loading);
  return true;
}

}  // namespace kivo
