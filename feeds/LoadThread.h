// The worker that refreshes one feed: downloads the document, the site icon
// and the logo, converts the document into the item cache and composes the
// feed page. It works on a copy of what it needs, taken on the window's thread
// when it is created, and hands its result over whole through a mailbox and
// WM_FEED_LOADED; it writes nothing of the feed table but the flags in `Run`.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/FilePaths.h"
#include "base/SharedRef.h"
#include "feeds/FeedConversion.h"
#include "feeds/FeedTable.h"
#include "feeds/HttpDownload.h"
#include "feeds/PageComposition.h"
#include "feeds/PluginGlobals.h"
#include "imaging/ImageDecoder.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Locale.h"
#include "platform/Mailbox.h"
#include "platform/Thread.h"
#include "platform/UiMessages.h"
#include "platform/Worker.h"

namespace kivo {

// What a load needs of the feed record and the settings, copied at creation.
struct TLoadSnapshot {
  int FeedIndex = -1;
  std::uint64_t Generation = 0;
  std::shared_ptr<TFeedRunState> Run;
  std::string Url;
  TFilePath CacheFile;
  TFilePath RawFile;
  TFeedTags Tags;
  bool CheckDoubleTags = true;
  bool NeedHorlines = true;
  std::string ReadMarks;
  std::vector<tchannelrecord> Items;
  std::string LogoUrl;
  std::shared_ptr<const TBitmap32> LogoBitmap;
  bool AccumulateUnread = false;
  bool LoadLogos = true;
  TProxySettings Proxy;
  int FontSize = 2;
  TValidators Validators;
};

TLoadSnapshot TakeLoadSnapshot(const TRSS& rss, int i, const TPluginGlobals& globals);

struct TLoadResult {
  int FeedIndex = -1;
  std::uint64_t Generation = 0;
  // The feed download's result; adopted unless the server found the copy
  // held current or sent no feed.
  int NetFileSize = -1;
  TLoadFailure Failure;
  bool NotModified = false;  // 304
  // A document arrived and was converted; the fields below are set only then.
  bool Converted = false;
  TValidators Validators;
  bool CacheChanged = false;  // the item cache file was replaced
  bool CacheUnsaved = false;  // items arrived, but the item cache could not be written
  std::string ItemCacheText;  // windows-1251
  TComposedFeed Page;
  TDateTime LastUpdated = 0;
  std::string LogoUrl;
  bool LogoReloaded = false;  // LogoBitmap is the feed's new logo (null: none)
  std::shared_ptr<const TBitmap32> LogoBitmap;
};

using TLoadMailbox = TMailbox<TLoadResult>;

// Shared by all load workers. The references must outlive every worker, one
// that a stop let go included (the plugin's are process-wide); what the
// window closes or frees as it goes, the workers co-own.
struct TLoadServices {
  IHttpClient& Http;
  IClock& Clock;
  IImageDecoder& ImageDecoder;
  const ILocaleFormats& Locale;
  IThreadStarter& Threads;
  TSharedRef<IMessagePoster> Poster;  // WM_FEED_PROGRESS and WM_FEED_LOADED
  TSharedRef<TLoadMailbox> Mailbox;
  TSharedRef<THttpCancel> Cancel;                         // cuts off the requests at a stop
  std::chrono::milliseconds Deadline = kRequestDeadline;  // of each request
};

// The whole load on the calling thread, without touching `Run`'s Loading:
// download the feed and the site icon, convert, fetch the logo, save the raw
// file and the item cache, compose the page. A failed download, a 304, and a
// document that is an HTML page or yields no item replace nothing of the
// feed: neither the raw file, the item cache, the logo nor the page. The
// site icon is replaced by an icon that arrives whole. Throws when the
// document cannot be converted.
TLoadResult LoadFeed(const TLoadSnapshot& feed, const TLoadServices& services);

// Sets Loading and starts the worker (feed.Run is required). Every way out
// sets Progress to 100 and clears Loading; a load that ran to its end leaves
// its result in the mailbox first and posts WM_FEED_LOADED with the feed index
// after; one that failed posts only WM_FEED_PROGRESS, as its end. Throws, with
// Loading clear, when no thread can be started.
std::unique_ptr<TWorker> StartLoadThread(TLoadSnapshot feed, const TLoadServices& services);

// A load worker for feed i; null for an index that names no feed.
std::unique_ptr<TWorker> StartLoadThread(const TRSS& rss, int i, const TPluginGlobals& globals,
                                         const TLoadServices& services);

// On the window's thread, for WM_FEED_LOADED with lParam i: takes the results
// of feed i from the mailbox and adopts those of the record that is there now
// (same Generation); results of records a reload has replaced are dropped.
// True when a result was adopted.
bool AdoptLoadResult(TRSS& rss, TLoadMailbox& mailbox, int i);

// Frees the feed's load worker when it has finished (Loading clear). A message
// can arrive after a newer load of the feed has started; that worker stays.
void ReleaseFinishedLoadThread(tchannels& feed);

}  // namespace kivo
