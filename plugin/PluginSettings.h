// The plugin's settings: the switches, proxy, call string, window placement and
// feed list that the host keeps in its settings record; the interface switches
// and per-feed settings in the INI file beside the module; and the load and save
// sequences that fill the feed table from them and write them back.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "base/FilePaths.h"
#include "feeds/FeedTable.h"
#include "feeds/PluginGlobals.h"
#include "imaging/ImageDecoder.h"
#include "plugin/PluginInfo.h"
#include "reader/ReaderWindowOps.h"
#include "tray/TrayIcon.h"

namespace kivo {

using TFeedHook = std::function<void(TRSS& rss, int feedIndex)>;
using TContactsHook = std::function<void(TRSS& rss, const TPluginGlobals& globals)>;

// Everything the load and save sequences need from outside. Null pointers mean
// "does not exist"; empty hooks do nothing.
struct TSettingsContext {
  ISettingsRecord* Record = nullptr;  // the host's settings record
  IReaderWindowOps* Window = nullptr;
  ITrayIconOps* TrayIcon = nullptr;
  IImageDecoder* ImageDecoder = nullptr;
  TFilePath IniPath;  // the module path with ".ini"
  TFilePath PluginFolder;
  TFilePath CacheFolder;              // CacheDir(PluginFolder)
  std::function<TSize()> ScreenSize;  // no placement while empty
  std::function<TDateTime()> Now;     // the system clock while empty
  char DecimalSeparator = '.';
  TFeedHook ComposePage;        // the items of a feed from its ItemCacheText (the page may wait)
  TFeedHook LoadReadMarks;      // the feed's ".rd" file into ReadMarks and the items
  TContactsHook SetupContacts;  // one contact entry per feed, special contacts when shown
  // A start leaves the item caches pending for a worker (feeds/ItemCacheReads.h).
  bool DeferItemCaches = false;
};

// The INI file of the module at `pluginPath`.
TFilePath IniPathFor(const TFilePath& pluginPath);
// A feed's INI section: the file name of its item cache, as windows-1251 text.
std::string FeedSection(const tchannels& channel);

// Settings record and INI into the globals; rebuilds the feed table, the
// window's tabs, feed menu and icons, then every feed's own settings.
void LoadSettings(TPluginGlobals& globals, TRSS& rss, const TSettingsContext& context);
// The INI section of feed i, its item cache, read marks and logo; nothing for
// an index that names no feed.
void LoadFeedSettings(TRSS& rss, int i, const TSettingsContext& context);
// Globals into the settings record; interface switches, the run-time per-feed
// keys, the ".rd" files and the item caches whose write failed before.
// Nothing without a feed table. False when a file could not be written.
bool SaveSettings(const TPluginGlobals& globals, TRSS* rss, const TSettingsContext& context);

}  // namespace kivo
