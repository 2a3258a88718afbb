#include "feeds/LoadThread.h"

#include <utility>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "base/UrlFunctions.h"
#include "feeds/FeedMessages.h"
#include "platform/FileIo.h"

namespace kivo {

namespace {

const ILocaleFormats& LocaleOf(const TLoadServices& services) {
  static const TFixedLocaleFormats fixed;
  return services.Locale ? *services.Locale : fixed;
}

IClock& ClockOf(const TLoadServices& services) {
  return services.Clock ? *services.Clock : SystemClock();
}

TNetContext NetContextOf(const TLoadSnapshot& feed, const TLoadServices& services) {
  TNetContext ctx;
  ctx.Http = services.Http;
  ctx.Clock = services.Clock;
  ctx.Poster = services.Poster;
  ctx.Run = feed.Run;
  ctx.Deadline = services.Deadline;
  ctx.Cancel = services.Cancel;
  return ctx;
}

std::string LogoAddress(const std::string& logoUrl, const std::string& feedUrl) {
  return UrlIsAbsolute(logoUrl) ? logoUrl : UrlJoin(UrlRoot(feedUrl), logoUrl);
}

// The old logo file stays until a new one has arrived whole.
std::shared_ptr<const TBitmap32> FetchLogo(const TLoadSnapshot& feed, const TLoadServices& services,
                                           const TNetContext& ctx, const std::string& logoUrl) {
  const std::string logoFile = ChangeFileExt(feed.CacheFile, ".img");
  std::string bytes;
  const int received = DownloadFile(MakeDownloadParams(LogoAddress(logoUrl, feed.Url), feed.Proxy), bytes,
                                    feed.FeedIndex, ctx, kPictureMaxBytes);
  if (received > 0) WriteFileAtomic(logoFile, bytes);
  return LoadLogoBitmap(logoFile, feed.LogoBitmap, services.ImageDecoder);
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
  return feed;
}

TLoadResult LoadFeed(const TLoadSnapshot& feed, const TLoadServices& services) {
  TLoadResult result;
  result.FeedIndex = feed.FeedIndex;
  result.Generation = feed.Generation;
  const TNetContext ctx = NetContextOf(feed, services);

  DeleteFileIfExists(feed.RawFile);
  result.NetFileSize = DownloadToFile(feed.Url, feed.RawFile, feed.FeedIndex, feed.Proxy, ctx);
  DownloadToFile(UrlRoot(feed.Url) + "favicon.ico", ChangeFileExt(feed.CacheFile, ".ico"), feed.FeedIndex,
                 feed.Proxy, ctx, kPictureMaxBytes);
  if (!FileExists(feed.RawFile)) return result;

  TConvertedFeed converted;
  {
    TmoxXMLParser2 source;
    source.LoadFromFile(feed.RawFile);
    converted = ConvertFeed(source, ConversionSettingsOf(feed, source), feed.Items);
  }
  result.LogoUrl = converted.LogoUrl;
  if (!converted.LogoUrl.empty() && feed.LoadLogos) {
    result.LogoBitmap = FetchLogo(feed, services, ctx, converted.LogoUrl);
    result.LogoReloaded = true;
  }
  const std::string text = converted.Text();
  if (converted.ItemCount() > 0) result.CacheChanged = WriteFileAtomic(feed.CacheFile, text);
  result.LastUpdated = ClockOf(services).Now();
  result.ItemCacheText = WinToUtf16(text);
  result.Page = ComposeFeedPage(result.ItemCacheText, feed.ReadMarks, result.LastUpdated, feed.NeedHorlines,
                                feed.FontSize, LocaleOf(services));
  result.Converted = true;
  return result;
}

TLoadThread::TLoadThread(TLoadSnapshot feed, TLoadServices services)
    : feed_(std::move(feed)), services_(std::move(services)) {
  if (feed_.Run) feed_.Run->Loading = true;
  try {
    thread_ = std::thread([this] { Execute(); });
  } catch (...) {
    if (feed_.Run) feed_.Run->Loading = false;
    throw;
  }
}

TLoadThread::~TLoadThread() {
  if (thread_.joinable()) thread_.join();
}

// Every way out clears Loading; only a load that ran to its end is reported.
void TLoadThread::Execute() {
  bool finished = false;
  try {
    TLoadResult result = LoadFeed(feed_, services_);
    if (services_.Mailbox) services_.Mailbox->Put(std::move(result));
    finished = true;
  } catch (...) {
  }
  if (feed_.Run) {
    feed_.Run->Progress = 100;
    feed_.Run->Loading = false;
  }
  if (finished && services_.Poster) services_.Poster->Post(WM_FEED_LOADED, feed_.FeedIndex);
}

std::unique_ptr<IFeedWorker> StartLoadThread(const TRSS& rss, int i, const TPluginGlobals& globals,
                                             const TLoadServices& services) {
  if (!rss.IsValid(i)) return nullptr;
  return std::make_unique<TLoadThread>(TakeLoadSnapshot(rss, i, globals), services);
}

bool AdoptLoadResult(TRSS& rss, TLoadMailbox& mailbox, int i) {
  bool adopted = false;
  for (TLoadResult& result : mailbox.Take(i)) {
    if (!rss.IsValid(i)) continue;
    tchannels& feed = rss.Channels[static_cast<std::size_t>(i)];
    if (feed.Generation != result.Generation) continue;
    feed.NetFileSize = result.NetFileSize;
    if (result.Converted) {
      feed.LastUpdated = result.LastUpdated;
      feed.ItemCacheText = std::move(result.ItemCacheText);
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
