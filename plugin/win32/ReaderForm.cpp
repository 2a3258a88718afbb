#include "plugin/win32/ReaderForm.h"

#include <windows.h>

#include "base/FilePaths.h"
#include "feeds/HttpDownload.h"
#include "imaging/win32/WicImageDecoder.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/LocalFile.h"
#include "platform/Locale.h"
#include "platform/Thread.h"
#include "reader/ReaderWindow.h"
#include "reader/win32/ReaderWindowView.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/WindowPoster.h"

namespace kivo {

namespace {

TColor SysColor(int index) {
  return gdi::FromColorRef(GetSysColor(index));
}

// Pictures are fetched with the proxy settings of the moment the picture's
// worker starts, read on the window's thread.
TImageDownloadMaker PictureDownloads(IReaderHost& host) {
  return [&host](std::shared_ptr<THttpCancel> cancel) -> TImageDownload {
    const TProxySettings proxy = ProxySettingsOf(host.Globals());
    return [proxy, cancel = TSharedRef<THttpCancel>(std::move(cancel))](const std::string& url) {
      const TNetContext context{
          .Http = PlatformHttpClient(), .Clock = SystemClock(), .Poster = NoPoster(), .Cancel = cancel};
      return DownloadToStream(url, proxy, context);
    };
  };
}

// Every service of the window, once; all of them live as long as the process.
TReaderServices MakeServices(IReaderView& view, IReaderHost& host, IMessagePoster& poster,
                             tgradientsclass* skin) {
  return {
      .View = view,
      .Host = host,
      .Clock = SystemClock(),
      .Locale = SystemLocale(),
      .ImageDecoder = SharedImageDecoder(),
      .Http = PlatformHttpClient(),
      .Poster = poster,
      .FeedThreads = SystemThreads(),
      .PictureThreads = SystemThreads(),
      .CheckMailbox = MakeShared<TCheckMailbox>(),
      .MakeImageDownload = PictureDownloads(host),
      .ReadImageFile =
          [](const std::string& path) { return ReadLocalFileBytes(PathFrom1251(path), kPictureMaxBytes); },
      .Skin = skin};
}

// The view and the poster over its window, made before the logic that uses
// them and destroyed after it: the logic stops its workers and closes its
// poster to them while both live.
struct TReaderFormParts {
  TReaderFormParts(tgradientsclass* skin, IReaderHost& host) : view(skin, host), poster(view.Handle()) {}
  TReaderWindowView view;
  TWindowPoster poster;
};

class TReaderForm final : private TReaderFormParts, public TReaderWindow {
 public:
  TReaderForm(tgradientsclass* skin, IReaderHost& host)
      : TReaderFormParts(skin, host), TReaderWindow(MakeServices(view, host, poster, skin)) {
    view.SetLogic(this);
    FormResize();
  }
  ~TReaderForm() override { view.SetLogic(nullptr); }
  TReaderForm(const TReaderForm&) = delete;
  TReaderForm& operator=(const TReaderForm&) = delete;
};

}  // namespace

std::unique_ptr<IReaderWindow> CreateWin32ReaderWindow(tgradientsclass* skin, IReaderHost& host) {
  return std::make_unique<TReaderForm>(skin, host);
}

std::unique_ptr<tgradientsclass> CreateWin32Skin() {
  const TSkinColors colors{SysColor(COLOR_BTNFACE), SysColor(COLOR_MENUHILIGHT),
                           SysColor(COLOR_GRADIENTACTIVECAPTION), SysColor(COLOR_BTNFACE)};
  return std::make_unique<tgradientsclass>(colors, GetSystemMetrics(SM_CXSCREEN));
}

}  // namespace kivo
