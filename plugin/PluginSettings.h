// The plugin's settings: the switches, proxy, call string, window placement and
// feed list that the host keeps in its settings record; the interface switches
// and per-feed settings in the INI file beside the module; and the load and save
// sequences that fill the feed table from them and write them back.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/ImageDecoder.h"
#include "plugin/DateTime.h"
#include "plugin/Unit_RSSlist.h"
#include "plugin/u_plugin_info.h"

namespace kivo {

// Two humour feeds for a first run, in the feed-list line form "address|name".
inline constexpr std::string_view kDefaultFeedLines[] = {
    "https://xkcd.com/rss.xml|xkcd.com",
    "https://www.smbc-comics.com/comic/rss|smbc-comics.com",
};
inline constexpr char16_t kDefaultCallString[] = u"rss#";

// Process-wide settings. The values below are what a plugin that never saw a
// settings record runs with.
struct TPluginGlobals {
  bool ShowContact = true;
  bool ShowFeedIcons = true;
  bool ShowTrayIcon = true;
  bool UseProxy = false;
  bool ProxyAuth = false;
  bool CheckForNew = true;
  bool ShowButton = true;
  bool ShowPopup = true;
  bool AccumulateUnread = false;
  int FontSize = 2;  // 1 to 4, the HTML font size of the pages
  int LangIndex = 0;
  std::u16string CallString = kDefaultCallString;
  std::vector<std::string> CallWords;
  std::vector<std::string> FeedLines;  // "address|name"
  std::vector<std::string> LangList;
  std::string PluginPath;  // module path, ANSI
  std::string ProxyHost;
  std::string ProxyPort;
  std::string ProxyUser;
  std::string ProxyPassword;
  bool ShowListContacts = false;
  bool ShowContactsIcons = true;
  int TabsPosition = 0;  // 0 tabs at the top, 1 at the bottom
};

// String lists as text: every line followed by CR LF.
std::string LinesToText(const std::vector<std::string>& lines);
// Lines end at CR LF, CR or LF; the text ends at a NUL; a final line break
// adds no empty line.
std::vector<std::string> TextToLines(std::string_view text);

// The parts of a feed-list line: the address before the first "|" (empty when
// there is none) and the name after it (the whole line when there is none).
std::string FeedLineUrl(std::string_view line);
std::string FeedLineTitle(std::string_view line);

// What the settings code does to the reader window.
class IReaderWindowOps {
 public:
  virtual ~IReaderWindowOps() = default;
  virtual void SetLogoVisible(bool visible) = 0;  // Imagelogo
  virtual void settabsposition(int position) = 0;
  virtual void SetCheckNewTimerEnabled(bool enabled) = 0;
  virtual TWindowRect GetPlacement() const = 0;
  virtual void SetPlacement(const TWindowRect& rect) = 0;
  virtual void ClearFeedMenu() = 0;   // PopupMenu2
  virtual void ClearTabs() = 0;       // TabControl1
  virtual void ClearFeedIcons() = 0;  // ImageList2
  // A PopupMenu2 item with image index 0, drawn and clicked by the window.
  virtual void AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) = 0;
  virtual void AddTab(const std::string& text) = 0;
  virtual void LoadIconOfSite(int index, const std::string& path) = 0;
  virtual void check_new_grid_count(int feedIndex) = 0;
};

class ITrayIconOps {
 public:
  virtual ~ITrayIconOps() = default;
  virtual void SetVisible(bool visible) = 0;
};

using TFeedHook = std::function<void(TRSS& rss, int feedIndex)>;
using TContactsHook = std::function<void(TRSS& rss, const TPluginGlobals& globals)>;

// Everything the load and save sequences need from outside. Null pointers mean
// "does not exist"; empty hooks do nothing.
struct TSettingsContext {
  ISettingsRecord* Record = nullptr;  // the host's settings record
  IReaderWindowOps* Window = nullptr;
  ITrayIconOps* TrayIcon = nullptr;
  IImageDecoder* ImageDecoder = nullptr;
  std::string IniPath;                      // the module path with ".ini"
  std::string PluginFolder;                 // with the trailing separator
  std::string CacheFolder;                  // CacheDir(PluginFolder)
  std::function<TScreenSize()> ScreenSize;  // no placement while empty
  std::function<TDateTime()> Now = CurrentDateTime;
  char DecimalSeparator = '.';
  TFeedHook ComposePage;        // page and items of a feed from its ItemCacheText
  TFeedHook LoadReadMarks;      // the feed's ".rd" file into ReadMarks and the items
  TContactsHook SetupContacts;  // one contact entry per feed, special contacts when shown
};

// The INI file of the module at `pluginPath`.
std::string IniPathFor(std::string_view pluginPath);

// Settings record and INI into the globals; rebuilds the feed table, the
// window's tabs, feed menu and icons, then every feed's own settings.
void LoadSettings(TPluginGlobals& globals, TRSS& rss, const TSettingsContext& context);
// The INI section of feed i, its item cache, read marks and logo; nothing for
// an index that names no feed.
void LoadFeedSettings(TRSS& rss, int i, const TSettingsContext& context);
// Globals into the settings record; interface switches, the run-time per-feed
// keys and the ".rd" files. Nothing without a feed table. False when a file
// could not be written.
bool SaveSettings(const TPluginGlobals& globals, const TRSS* rss, const TSettingsContext& context);

// CallWords from CallString.
void SplitCallWords(TPluginGlobals& globals);

}  // namespace kivo
