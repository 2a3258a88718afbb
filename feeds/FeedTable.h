// The in-memory feed table: one record per line of the feed list, in that
// order; a feed's index is the same everywhere (tabs, menus, contacts, window
// messages, workers). Also the naming of a feed's files in the cache folder.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bitmap.h"
#include "base/DateTime.h"
#include "base/FilePaths.h"
#include "base/SharedRef.h"
#include "imaging/ImageDecoder.h"
#include "platform/Worker.h"

namespace kivo {

// One theme (item) of a feed; the texts are HTML fragments.
struct tchannelrecord {
  std::u16string Title;
  std::u16string Text;
  std::u16string Date;
  std::u16string Category;
  std::u16string Link;
  std::u16string Image;
  std::int32_t Mark = 0;  // 0 new, 1 read, 2 green, 3 blue, 4 red
};

struct tchannellogorecord {
  std::string Title;                        // channel title
  std::string Url;                          // logo address as found in the feed
  std::shared_ptr<const TBitmap32> Bitmap;  // null when there is no logo
};

// The flags that a feed's workers write while the user-interface thread reads
// them. They live apart from the record, so a worker still holding this block
// after a reload has replaced the record writes into memory nobody else uses.
struct TFeedRunState {
  std::atomic<bool> Loading{false};
  std::atomic<bool> Checking{false};
  std::atomic<int> Progress{0};
};

// One of the flags as the busy flag of a worker, which co-owns the block.
TSharedRef<std::atomic<bool>> RunFlag(const std::shared_ptr<TFeedRunState>& run,
                                      std::atomic<bool> TFeedRunState::*flag);

// Why a feed's last load replaced nothing; None after one that did, or that
// found the copy held still current.
struct TLoadFailure {
  enum class TKind { None, NoResponse, HttpStatus, TimedOut, NotAFeed };
  TKind Kind = TKind::None;
  int Status = 0;  // the HTTP status, with HttpStatus

  bool operator==(const TLoadFailure&) const = default;
};

// Process-wide, never repeats: every record gets its own stamp, so a record
// rebuilt by a reload differs from the one a worker started on.
std::uint64_t NextFeedGeneration();

struct tchannels {
  tchannels() = default;
  tchannels(tchannels&&) noexcept = default;
  tchannels& operator=(tchannels&&) noexcept = default;
  tchannels(const tchannels&) = delete;
  tchannels& operator=(const tchannels&) = delete;

  std::string Title;  // feed name from the feed list
  std::string LinkTag;
  std::string TitleTag;
  std::string ImageTag;
  std::string DescriptionTag;
  std::string PubDateTag;
  std::string CategoryTag;
  std::string Url;
  TFilePath CacheFile;    // item cache ".rss"; its file name is the INI section
  TFilePath RawFile;      // raw download ".xml"
  std::string ReadMarks;  // "key=value" lines, the text of the ".rd" file
  // The ".rd" file exists but could not be read: a save must not replace
  // marks it never saw.
  bool ReadMarksUnreadable = false;
  std::string PageHtml;
  // The page is built when the feed is first shown as a page: a start reads
  // only the theme lists, and most feeds are never shown that way.
  bool PageComposed = false;
  int PanelSize = 0;
  int NetFileSize = 0;
  TLoadFailure LoadFailure;
  std::string ETag;  // validators of the last good download ("ETag", "Last_Modified")
  std::string LastModified;
  int ScrollPos = 0;
  int CheckNewPeriod = 0;                                                  // minutes
  std::shared_ptr<TFeedRunState> Run = std::make_shared<TFeedRunState>();  // Loading, Checking, Progress
  std::unique_ptr<TWorker> LoadThread;
  std::string SelectedTheme;
  std::unique_ptr<TWorker> CheckThread;
  bool CheckDoubleTags = false;
  bool ShowBaloon = false;
  bool LoadImages = false;
  bool HasNew = false;
  bool ShowPanel = false;
  bool NeedHorlines = false;
  bool CheckUpdates = false;
  bool NotLoadUpdates = false;
  bool CheckExtCheck = false;
  bool ShowSpecContact = false;
  TDateTime LastCheck = 0;
  TDateTime LastUpdated = 0;
  std::vector<tchannelrecord> Items;
  std::string ItemCacheText;  // the item cache's text, windows-1251 as its file holds it
  // A start's worker still reads the item cache: ItemCacheText and Items are
  // empty until it is adopted (see feeds/ItemCacheReads.h).
  bool ItemCachePending = false;
  // ItemCacheText holds items its file does not: the write failed, and the
  // next save tries again.
  bool ItemCacheUnsaved = false;
  tchannellogorecord Logo;
  int NewCount = 0;
  int Mark2Count = 0;
  int Mark3Count = 0;
  int Mark4Count = 0;
  std::uint64_t Generation = NextFeedGeneration();
};

struct TRSS {
  std::vector<tchannels> Channels;
  bool LoadLogos = true;
  // Workers of records that a reload or a shrink removed. Each runs to its end
  // on its own (its results are dropped by generation) and is joined once it
  // is no longer busy, or when the table goes: a reload never waits for one.
  std::vector<std::unique_ptr<TWorker>> Retired;

  int High() const;  // -1 when there are no feeds
  bool IsValid(int i) const;
  // Records beyond `n` go (with their logos; their workers are retired);
  // new ones start empty.
  void SetCount(int n);
  void RetireWorkers(tchannels& channel);
  void ReapRetiredWorkers();
  // Grows the table to i + 1 records first when i lies beyond it.
  void SetItemCount(int i, int n);
  // -1 for a feed without items; 0 for an index that names no feed.
  int ItemHigh(int i) const;
  // Loads the feed's ".img" file into its logo; see LoadLogoBitmap.
  void LoadLogo(int i, IImageDecoder* decoder);
};

// The logo after reading the logo file at `path`: `current` when there is no
// such file; else every decoder whose signature the first 11 bytes carry runs
// in turn (bitmap, GIF, PNG, JPEG, icon), the last success wins; null when the
// file is shorter than 11 bytes, unreadable, or any of them fails. A file with
// no known signature gives an empty bitmap when there was no logo before.
std::shared_ptr<const TBitmap32> LoadLogoBitmap(const TFilePath& path,
                                                std::shared_ptr<const TBitmap32> current,
                                                IImageDecoder* decoder);

// A feed address made into a file base name: each of !@#$%^&*()~"':;/\|=+-.,?
// becomes "_", so the result holds no dot and no path separator. A name that
// works stays exactly so: stored files and INI sections rely on it. One that
// cannot is cut before its first "]", "<", ">" or control character, and to
// what keeps the item cache (after `folderLength` characters of folder and
// separator) below the system's 260, and ends in "~" and a hash of the whole
// address; no other name holds a "~".
std::string MakeCacheName(std::string_view address, std::size_t folderLength);

// Feed `address`'s item cache in the cache folder `folder`.
TFilePath ItemCacheFile(const TFilePath& folder, std::string_view address);

// Writes the item cache from ItemCacheText when its last write failed; true
// when nothing is left unsaved.
bool SaveUnsavedItemCache(tchannels& channel);
// The item cache's text; nullopt when there is no such file. A file that
// cannot be read counts as empty.
std::optional<std::string> ReadItemCacheText(const TFilePath& cacheFile);

// The cache folder of the plugin folder: its "Cache" when such a folder
// exists, else the plugin folder itself.
TFilePath CacheDir(const TFilePath& pluginFolder);

}  // namespace kivo
