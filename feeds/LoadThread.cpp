#include "feeds/LoadThread.h"

#include <optional>
#include <utility>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "base/UrlFunctions.h"
#include "feeds/FeedMessages.h"
#include "platform/FileIo.h"

namespace kivo {

namespace {

TNetContext NetContextOf(const TLoadSnapshot& feed, const TLoadServices& services) {
  return {.Http = services.Http,
          .Clock = services.Clock,
          .Poster = *services.Poster,
          .Run = feed.Run,
          .Deadline = services.Deadline,
          .Cancel = services.Cancel};
}

// Progress ends at 100 however the load ends.
class TProgressToTheEnd {
 public:
  explicit TProgressToTheEnd(TFeedRunState& run) : run_(run) {}
  ~TProgressToTheEnd() { run_.Progress = 100; }
  TProgressToTheEnd(const TProgressToTheEnd&) = delete;
  TProgressToTheEnd& operator=(const TProgressToTheEnd&) = delete;

 private:
  TFeedRunState& run_;
};

std::string LogoAddress(const std::string& logoUrl, const std::string& feedUrl) {
  return UrlIsAbsolute(logoUrl) ? logoUrl : UrlJoin(UrlRoot(feedUrl), logoUrl);
}

// The old logo file stays until a new one has arrived whole.
std::shared_ptr<const TBitmap32> FetchLogo(const TLoadSnapshot& feed, const TLoadServices& services,
                                           const TNetContext& ctx, const std::string& logoUrl) {
  const TFilePath logoFile = ChangeFileExt(feed.CacheFile, ".img");
  std::string bytes;
  const int received = DownloadFile(MakeDownloadParams(LogoAddress(logoUrl, feed.Url), feed.Proxy), bytes,
                                    feed.FeedIndex, ctx, kPictureMaxBytes);
  if (received > 0) WriteFileAtomic(logoFile, bytes);
  return LoadLogoBitmap(logoFile, feed.LogoBitmap, &services.ImageDecoder);
}

TLoadFailure FailureOf(const TDownloadOutcome& outcome) {
  using TKind = TLoadFailure::TKind;
  switch (outcome.Error) {
    case TDownloadError::None:
      return {};
    case TDownloadError::HttpStatus:
      return {TKind::HttpStatus, outcome.Status};
    case TDownloadError::TimedOut:
      return {TKind::TimedOut, 0};
    case TDownloadError::NoResponse:
      break;
  }
  return {TKind::NoResponse, 0};
}

// An error page that came with a success status converts into themes of
// its own (its title); it must not replace the feed.
bool IsHtmlPage(const TmoxXMLParser2& source) {
  return LowerCase1251(source.Name()) == "html";
}

TConversionSettings ConversionSettingsOf(const TLoadSnapshot& feed, const TmoxXMLParser2& source) {
  TConversionSettings settings;
  settings.Tags = feed.Tags;
  settings.CheckDoubleTags = feed.CheckDoubleTags;
  settings.DeclaredEncoding = DeclaredEncoding(source);
  settings.AccumulateUnread = feed.AccumulateUnread;
  settings.LogoUrl = feed.LogoUrl;
  return settings;
}

}  // namespace

TLoadSnapshot TakeLoadSnapshot(const TRSS& rss, int i, const TPluginGlobals& globals) {
  const tchannels& channel = rss.Channels.at(static_cast<std::size_t>(i));
  TLoadSnapshot feed;
  feed.FeedIndex = i;
  feed.Generation = channel.Generation;
  feed.Run = channel.Run;
  feed.Url = channel.Url;
  feed.CacheFile = channel.CacheFile;
  feed.RawFile = channel.RawFile;
  feed.Tags = FeedTagsOf(channel);
  feed.CheckDoubleTags = channel.CheckDoubleTags;
  feed.NeedHorlines = channel.NeedHorlines;
  feed.ReadMarks = channel.ReadMarks;
  feed.Items = channel.Items;
  feed.LogoUrl = channel.Logo.Url;
  feed.LogoBitmap = channel.Logo.Bitmap;
  feed.AccumulateUnread = globals.AccumulateUnread;
  feed.LoadLogos = rss.LoadLogos;
  feed.Proxy = ProxySettingsOf(globals);
  feed.FontSize = globals.FontSize;
  feed.Validators = {channel.ETag, channel.LastModified};
  return feed;
}

TLoadResult LoadFeed(const TLoadSnapshot& feed, const TLoadServices& services) {
  TLoadResult result;
  result.FeedIndex = feed.FeedIndex;
  result.Generation = feed.Generation;
  const TNetContext ctx = NetContextOf(feed, services);

  // The raw file stays until a document replaces it: the title check compares with it.
  TDownloadParams params = MakeDownloadParams(feed.Url, feed.Proxy);
  params.Validators = CachedValidators(feed.Validators, feed.CacheFile, feed.RawFile);
  std::string document;
  const TDownloadOutcome fetched = FetchFile(params, document, feed.FeedIndex, ctx);
  result.NetFileSize = fetched.Result;
  result.NotModified = fetched.NotModified;
  result.Failure = FailureOf(fetched);
  DownloadToFile(UrlRoot(feed.Url) + "favicon.ico", ChangeFileExt(feed.CacheFile, ".ico"), feed.FeedIndex,
                 feed.Proxy, ctx, kPictureMaxBytes);
  if (fetched.Result < 0 || fetched.NotModified) return result;

  TConvertedFeed converted;
  {
    TmoxXMLParser2 source;
    SetFeedTreeBudget(source);
    source.LoadFromString(document);
    converted = ConvertFeed(source, ConversionSettingsOf(feed, source), feed.Items);
    if (IsHtmlPage(source) || converted.NewItemCount == 0) {
      result.Failure = {TLoadFailure::TKind::NotAFeed, fetched.Status};
      return result;
    }
  }
  WriteFileAtomic(feed.RawFile, document);
  result.Validators = fetched.Validators;
  result.LogoUrl = converted.LogoUrl;
  if (!converted.LogoUrl.empty() && feed.LoadLogos) {
    result.LogoBitmap = FetchLogo(feed, services, ctx, converted.LogoUrl);
    result.LogoReloaded = true;
  }
  result.ItemCacheText = converted.Text();
  result.CacheChanged = WriteFileAtomic(feed.CacheFile, result.ItemCacheText);
  result.CacheUnsaved = !result.CacheChanged;
  result.LastUpdated = services.Clock.Now();
  result.Page = ComposeFeedPage(result.ItemCacheText, feed.ReadMarks, result.LastUpdated, feed.NeedHorlines,
                                feed.FontSize, services.Locale);
  result.Converted = true;
  return result;
}

std::unique_ptr<TWorker> StartLoadThread(TLoadSnapshot feed, const TLoadServices& services) {
  TSharedRef<std::atomic<bool>> loading = RunFlag(feed.Run, &TFeedRunState::Loading);
  TWorkerReport<TLoadMailbox> report{.Mailbox = services.Mailbox,
                                     .Poster = services.Poster,
                                     .Message = WM_FEED_LOADED,
                                     .LParam = feed.FeedIndex,
                                     .FailureMessage = WM_FEED_PROGRESS};
  return TWorker::Start(services.Threads, std::move(loading), std::move(report),
                        [feed = std::move(feed), services] {
                          const TProgressToTheEnd progress(*feed.Run);
                          return LoadFeed(feed, services);
                        });
}

std::unique_ptr<TWorker> StartLoadThread(const TRSS& rss, int i, const TPluginGlobals& globals,
                                         const TLoadServices& services) {
  if (!rss.IsValid(i)) return nullptr;
  return StartLoadThread(TakeLoadSnapshot(rss, i, globals), services);
}

bool AdoptLoadResult(TRSS& rss, TLoadMailbox& mailbox, int i) {
  bool adopted = false;
  for (TLoadResult& result : mailbox.Take(i)) {
    if (!rss.IsValid(i)) continue;
    tchannels& feed = rss.Channels[static_cast<std::size_t>(i)];
    if (feed.Generation != result.Generation) continue;
    feed.LoadFailure = result.Failure;
    if (!result.NotModified && result.Failure.Kind != TLoadFailure::TKind::NotAFeed) {
      feed.NetFileSize = result.NetFileSize;
    }
    if (result.Converted) {
      feed.ETag = std::move(result.Validators.ETag);
      feed.LastModified = std::move(result.Validators.LastModified);
      feed.LastUpdated = result.LastUpdated;
      feed.ItemCacheText = std::move(result.ItemCacheText);
      feed.ItemCachePending = false;
      feed.ItemCacheUnsaved = result.CacheUnsaved;
      feed.Logo.Url = std::move(result.LogoUrl);
      AdoptComposedFeed(feed, std::move(result.Page));
    }
    if (result.LogoReloaded) feed.Logo.Bitmap = std::move(result.LogoBitmap);
    adopted = true;
  }
  return adopted;
}

void ReleaseFinishedLoadThread(tchannels& feed) {
  if (!feed.Run->Loading) feed.LoadThread.reset();
}

}  // namespace kivo
