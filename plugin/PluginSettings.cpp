#include "plugin/PluginSettings.h"

#include <algorithm>
#include <iterator>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "feeds/ReadMarks.h"
#include "lang/LanguageTexts.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "reader/ReaderGeometry.h"

namespace kivo {

namespace {

namespace off = settings_offset;

constexpr std::string_view kMainSection = "Main";

struct TSwitch {
  std::size_t offset;
  bool TPluginGlobals::*field;
  bool firstRunValue;
};

// The nine switch bytes 1 to 9 of the settings record.
constexpr TSwitch kSwitches[] = {
    {off::kShowContact, &TPluginGlobals::ShowContact, true},
    {off::kShowFeedIcons, &TPluginGlobals::ShowFeedIcons, true},
    {off::kShowTrayIcon, &TPluginGlobals::ShowTrayIcon, true},
    {off::kUseProxy, &TPluginGlobals::UseProxy, false},
    {off::kProxyAuth, &TPluginGlobals::ProxyAuth, false},
    {off::kCheckForNew, &TPluginGlobals::CheckForNew, true},
    {off::kShowButton, &TPluginGlobals::ShowButton, true},
    {off::kShowPopup, &TPluginGlobals::ShowPopup, true},
    {off::kAccumulateUnread, &TPluginGlobals::AccumulateUnread, false},
};

struct TProxyString {
  std::size_t offset;
  std::string TPluginGlobals::*field;
};

constexpr TProxyString kProxyStrings[] = {
    {off::kProxyHost, &TPluginGlobals::ProxyHost},
    {off::kProxyPort, &TPluginGlobals::ProxyPort},
    {off::kProxyUser, &TPluginGlobals::ProxyUser},
    {off::kProxyPassword, &TPluginGlobals::ProxyPassword},
};

constexpr int kFirstRunFontSize = 2;
constexpr int kFirstRunLangIndex = 0;

bool RecordBool(const ISettingsRecord& record, std::size_t offset) {
  return record.Byte(offset) != 0;
}

std::string RecordAnsi(const ISettingsRecord& record, std::size_t offset) {
  return Utf16ToWin(record.Wide(offset));
}

void WriteFirstRunDefaults(ISettingsRecord& record) {
  for (const auto& item : kSwitches) record.SetByte(item.offset, item.firstRunValue ? 1 : 0);
  record.SetInt(off::kFontSize, kFirstRunFontSize);
  record.SetInt(off::kLangIndex, kFirstRunLangIndex);
  record.SetByte(off::kInitialised, 1);
}

void LoadMainSection(TRSS& rss, TPluginGlobals& globals, const TSettingsContext& context) {
  const TIniFile ini(context.IniPath);
  rss.LoadLogos = ini.ReadBool(kMainSection, "Load_Logo", true);
  globals.ShowListContacts = ini.ReadBool(kMainSection, "Show_ListContacts", false);
  globals.ShowContactsIcons = ini.ReadBool(kMainSection, "Show_ContactsIcons", true);
  globals.TabsPosition = ini.ReadInteger(kMainSection, "Tabs_position", 0);
  // Only top (0) and bottom (1) exist; a negative value would reach the tab control as well.
  if (globals.TabsPosition > 1 || globals.TabsPosition < 0) globals.TabsPosition = 0;
  if (context.Window) {
    context.Window->SetLogoVisible(rss.LoadLogos);
    context.Window->settabsposition(globals.TabsPosition);
  }
}

void CopyRecordSwitches(const ISettingsRecord& record, TPluginGlobals& globals,
                        const TSettingsContext& context) {
  globals.CallString = record.Wide(off::kCallString);
  globals.ShowFeedIcons = RecordBool(record, off::kShowFeedIcons);
  globals.ShowTrayIcon = RecordBool(record, off::kShowTrayIcon);
  if (context.TrayIcon) context.TrayIcon->SetVisible(globals.ShowTrayIcon);
  globals.UseProxy = RecordBool(record, off::kUseProxy);
  globals.ProxyAuth = RecordBool(record, off::kProxyAuth);
  for (const auto& item : kProxyStrings) globals.*item.field = RecordAnsi(record, item.offset);
  globals.CheckForNew = RecordBool(record, off::kCheckForNew);
  if (context.Window) context.Window->SetCheckNewTimerEnabled(globals.CheckForNew);
  globals.AccumulateUnread = RecordBool(record, off::kAccumulateUnread);
  globals.ShowContact = RecordBool(record, off::kShowContact);
  globals.ShowButton = RecordBool(record, off::kShowButton);
  globals.ShowPopup = RecordBool(record, off::kShowPopup);
}

TRect RecordPlacement(const ISettingsRecord& record) {
  return TRect::OfSize(record.Int(off::kLeft), record.Int(off::kTop), record.Int(off::kWidth),
                       record.Int(off::kHeight));
}

void PlaceWindow(const ISettingsRecord& record, const TSettingsContext& context) {
  if (!context.Window || !context.ScreenSize) return;
  const TRect placed =
      PlaceReaderWindow(RecordPlacement(record), context.Window->GetPlacement(), context.ScreenSize());
  context.Window->SetPlacement(placed);
}

// Steps that need the host's record: switches, language, "Main", feed list text, placement.
void LoadFromRecord(ISettingsRecord& record, TPluginGlobals& globals, TRSS& rss,
                    const TSettingsContext& context) {
  if (record.Byte(off::kInitialised) == 0) WriteFirstRunDefaults(record);
  globals.LangIndex = record.Int(off::kLangIndex);
  fill_language_list(globals.LangList, context.PluginFolder);
  apply_language(globals.LangIndex, globals.LangList, context.PluginFolder, context.DecimalSeparator);
  LoadMainSection(rss, globals, context);
  CopyRecordSwitches(record, globals, context);
  if (globals.CallString.empty()) globals.CallString = kDefaultCallString;
  globals.FontSize = record.Int(off::kFontSize);
  globals.FeedLines = TextToLines(RecordAnsi(record, off::kFeedList));
  if (globals.FeedLines.empty())
    globals.FeedLines.assign(std::begin(kDefaultFeedLines), std::end(kDefaultFeedLines));
  PlaceWindow(record, context);
}

void ClearFeedControls(const TSettingsContext& context) {
  if (!context.Window) return;
  context.Window->ClearFeedMenu();
  context.Window->ClearTabs();
  context.Window->ClearFeedIcons();
}

void RebuildFeedTable(TRSS& rss, int count) {
  if (rss.High() >= 0) {
    for (auto& channel : rss.Channels) channel.Items.clear();
    rss.SetCount(0);
  }
  rss.SetCount(count);
}

void SetUpFeed(tchannels& channel, int i, std::string_view line, const TSettingsContext& context) {
  channel.Url = FeedLineUrl(line);
  channel.CacheFile = ItemCacheFile(context.CacheFolder, channel.Url);
  channel.RawFile = ChangeFileExt(channel.CacheFile, ".xml");
  channel.Title = FeedLineTitle(line);
  if (!context.Window) return;
  context.Window->AddFeedMenuItem(channel.Title, channel.Url, i);
  // The tab drawing stops at the "|"; the suffix only widens the measured tab.
  context.Window->AddTab(channel.Title + "|wu");
  context.Window->LoadIconOfSite(-1, ChangeFileExt(channel.CacheFile, ".ico"));
}

void ReadFeedSection(tchannels& channel, const TIniFile& ini, TDateTime now) {
  const std::string section = FeedSection(channel);
  channel.LinkTag = ini.ReadString(section, "link", "link");
  channel.TitleTag = ini.ReadString(section, "title", "title");
  channel.ImageTag = ini.ReadString(section, "image", "image");
  channel.DescriptionTag = ini.ReadString(section, "description", "description");
  channel.PubDateTag = ini.ReadString(section, "pubDate", "pubDate");
  channel.CategoryTag = ini.ReadString(section, "Category", "category");
  channel.CheckUpdates = ini.ReadBool(section, "CheckUpdates", false);
  channel.NotLoadUpdates = ini.ReadBool(section, "NotLoadUpdates", false);
  channel.CheckNewPeriod = ini.ReadInteger(section, "CheckNewPeriod", 30);
  channel.NeedHorlines = ini.ReadBool(section, "Need_horlines", true);
  channel.ShowPanel = ini.ReadBool(section, "Show_Panel", true);
  channel.PanelSize = ini.ReadInteger(section, "PanelSize", 50);
  channel.NetFileSize = ini.ReadInteger(section, "net_file_size", 0);
  channel.ETag = ini.ReadString(section, "ETag", "");
  channel.LastModified = ini.ReadString(section, "Last_Modified", "");
  channel.LoadImages = ini.ReadBool(section, "Load_Images", true);
  channel.LastUpdated = TextToDateTime(ini.ReadString(section, "Last_Updated", "")).value_or(now);
  channel.ShowBaloon = ini.ReadBool(section, "ShowBaloon", true);
  channel.CheckDoubleTags = ini.ReadBool(section, "CheckDoubleTags", true);
  channel.CheckExtCheck = ini.ReadBool(section, "CheckExtCheck", false);
  channel.ShowSpecContact = ini.ReadBool(section, "ShowSpecContact", true);
}

// A read takes one pair of enclosing quotes away; an entity tag has its own.
void WriteValidator(TIniFile& ini, const std::string& section, std::string_view key,
                    const std::string& value) {
  if (value.empty()) {
    ini.DeleteKey(section, key);
  } else {
    ini.WriteString(section, key, "\"" + value + "\"");
  }
}

void ResetRunState(tchannels& channel, TDateTime now) {
  channel.Run->Loading = false;
  channel.LastCheck = now;
  channel.HasNew = false;
  channel.SelectedTheme.clear();
  channel.Run->Checking = false;
}

void CallHook(const TFeedHook& hook, TRSS& rss, int i) {
  if (hook) hook(rss, i);
}

void WriteRecord(const TPluginGlobals& globals, ISettingsRecord& record, const TSettingsContext& context) {
  record.SetWide(off::kCallString, globals.CallString);
  record.SetWide(off::kUnused56, u"");
  record.SetWide(off::kFeedList, WinToUtf16(LinesToText(globals.FeedLines)));
  for (const auto& item : kProxyStrings) record.SetWide(item.offset, WinToUtf16(globals.*item.field));
  record.SetInt(off::kFontSize, globals.FontSize);
  if (context.Window) {
    const TRect rect = context.Window->GetPlacement();
    record.SetInt(off::kLeft, rect.Left);
    record.SetInt(off::kTop, rect.Top);
    record.SetInt(off::kWidth, rect.Width());
    record.SetInt(off::kHeight, rect.Height());
  }
  record.SetInt(off::kLangIndex, globals.LangIndex);
  for (const auto& item : kSwitches) record.SetByte(item.offset, globals.*item.field ? 1 : 0);
}

// The per-feed keys that change while the plugin runs, and the read marks.
bool SaveFeed(tchannels& channel, TIniFile& ini) {
  // A record that was never set up has no files; writing would land in the working folder.
  if (channel.CacheFile.empty()) return true;
  const std::string section = FeedSection(channel);
  ini.WriteInteger(section, "PanelSize", channel.PanelSize);
  ini.WriteBool(section, "Show_Panel", channel.ShowPanel);
  ini.WriteInteger(section, "net_file_size", channel.NetFileSize);
  WriteValidator(ini, section, "ETag", channel.ETag);
  WriteValidator(ini, section, "Last_Modified", channel.LastModified);
  ini.WriteString(section, "Last_Updated", DateTimeToText(channel.LastUpdated));
  const bool marksWritten = WriteReadMarks(channel);
  ini.WriteBool(section, "ShowBaloon", channel.ShowBaloon);
  return SaveUnsavedItemCache(channel) && marksWritten;
}

bool WriteIni(const TPluginGlobals& globals, TRSS& rss, const TSettingsContext& context) {
  TIniFile ini(context.IniPath);
  ini.WriteBool(kMainSection, "Load_Logo", rss.LoadLogos);
  ini.WriteInteger(kMainSection, "Tabs_position", globals.TabsPosition);
  ini.WriteBool(kMainSection, "Show_ListContacts", globals.ShowListContacts);
  ini.WriteBool(kMainSection, "Show_ContactsIcons", globals.ShowContactsIcons);
  bool allWritten = true;
  for (auto& channel : rss.Channels) allWritten = SaveFeed(channel, ini) && allWritten;
  return ini.UpdateFile() && allWritten;
}

void LoadFeedSettingsFrom(TRSS& rss, int i, const TIniFile& ini, const TSettingsContext& context) {
  tchannels& channel = rss.Channels[static_cast<size_t>(i)];
  const TDateTime now = context.Now ? context.Now() : SystemClock().Now();
  ReadFeedSection(channel, ini, now);
  ResetRunState(channel, now);
  if (context.DeferItemCaches) {
    channel.ItemCachePending = true;
  } else if (std::optional<std::string> text = ReadItemCacheText(channel.CacheFile)) {
    channel.ItemCacheText = std::move(*text);
    CallHook(context.ComposePage, rss, i);
  }
  // Marks load even without an item cache (deleted, or the first download
  // failed): the next save writes them back, and must not write them empty.
  CallHook(context.LoadReadMarks, rss, i);
  rss.LoadLogo(i, context.ImageDecoder);
}

}  // namespace

TFilePath IniPathFor(const TFilePath& pluginPath) {
  return ChangeFileExt(pluginPath, ".ini");
}

std::string FeedSection(const tchannels& channel) {
  return PathTo1251(channel.CacheFile.filename());
}

void LoadSettings(TPluginGlobals& globals, TRSS& rss, const TSettingsContext& context) {
  if (context.Record) LoadFromRecord(*context.Record, globals, rss, context);
  SplitCallWords(globals);
  ClearFeedControls(context);
  RebuildFeedTable(rss, static_cast<int>(globals.FeedLines.size()));
  for (int i = 0; i <= rss.High(); ++i) {
    SetUpFeed(rss.Channels[static_cast<size_t>(i)], i, globals.FeedLines[static_cast<size_t>(i)], context);
  }
  // One reading of the INI for all feeds: 200 feeds would parse it 200 times.
  const TIniFile ini(context.IniPath);
  for (int i = 0; i <= rss.High(); ++i) LoadFeedSettingsFrom(rss, i, ini, context);
  if (context.SetupContacts) context.SetupContacts(rss, globals);
  if (context.Window) {
    for (int i = 0; i <= rss.High(); ++i) context.Window->check_new_grid_count(i);
  }
}

void LoadFeedSettings(TRSS& rss, int i, const TSettingsContext& context) {
  if (rss.IsValid(i)) LoadFeedSettingsFrom(rss, i, TIniFile(context.IniPath), context);
}

bool SaveSettings(const TPluginGlobals& globals, TRSS* rss, const TSettingsContext& context) {
  if (!rss) return true;
  if (context.Record) WriteRecord(globals, *context.Record, context);
  return WriteIni(globals, *rss, context);
}

}  // namespace kivo
