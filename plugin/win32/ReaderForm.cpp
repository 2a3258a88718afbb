#include "plugin/win32/ReaderForm.h"

#include <windows.h>

#include "feeds/procinet.h"
#include "imaging/win32/WicImageDecoder.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "platform/Http.h"
#include "platform/Locale.h"
#include "plugin/u_kivo_plugin.h"
#include "reader/ReaderWindow.h"
#include "reader/win32/Gdi.h"
#include "reader/win32/ReaderWindowView.h"

namespace kivo {

namespace {

TColor SysColor(int index) {
  return gdi::FromColorRef(GetSysColor(index));
}

// What the reader reaches of the plugin object; everything may be gone
// while the plugin stops.
class TPluginReaderHost final : public IReaderHost {
 public:
  TRSS* Feeds() override {
    TKivoPlugin* plugin = PluginInstance;
    return plugin != nullptr ? plugin->RssData.get() : nullptr;
  }
  TPluginGlobals& Globals() override {
    TKivoPlugin* plugin = PluginInstance;
    return plugin != nullptr ? plugin->Globals : fallback_;
  }
  // The tray icon does not blink yet: it always shows its first frame.
  bool TrayBlinking() const override { return false; }
  void SetTrayBlinking(bool) override {}
  // The pop-up window comes later; until then notices are not shown.
  void ShowNotification(const std::string&, const std::string&) override {}
  void SetContactNew(int, bool) override {}
  void SetContactCounts(int, int, int) override {}
  void OpenOptions() override {}

 private:
  TPluginGlobals fallback_;
};

// Worker notices go to the window's queue; PostMessage is safe from any thread.
class TWindowPoster final : public IMessagePoster {
 public:
  explicit TWindowPoster(HWND window) : window_(window) {}
  void Post(unsigned message, long lParam) override {
    PostMessageW(window_, message, 0, static_cast<LPARAM>(lParam));
  }

 private:
  HWND window_;
};

TNetContext PictureContext(std::shared_ptr<THttpCancel> cancel) {
  TNetContext context;
  context.Http = &PlatformHttpClient();
  context.Cancel = std::move(cancel);
  return context;
}

// Pictures are fetched with the proxy settings of the moment the picture's
// worker starts, read on the window's thread.
TImageDownload PictureDownload(std::shared_ptr<THttpCancel> cancel) {
  TKivoPlugin* plugin = PluginInstance;
  const TProxySettings proxy = plugin != nullptr ? ProxySettingsOf(plugin->Globals) : TProxySettings{};
  return [proxy, context = PictureContext(std::move(cancel))](const std::string& url) {
    return DownloadToStream(url, proxy, context);
  };
}

TReaderServices MakeServices(IReaderView& view, IReaderHost& host, IMessagePoster& poster,
                             tgradientsclass* skin) {
  TReaderServices services;
  services.View = &view;
  services.Host = &host;
  services.Clock = &SystemClock();
  services.Locale = &SystemLocale();
  services.Poster = &poster;
  services.ImageDecoder = &SharedImageDecoder();
  services.Skin = skin;
  services.Loads.Http = &PlatformHttpClient();
  services.Checks.Http = &PlatformHttpClient();
  services.Cancel = std::make_shared<THttpCancel>();
  services.MakeImageDownload = PictureDownload;
  services.ReadImageFile = [](const std::string& path) { return ReadFileBytes(path, kPictureMaxBytes); };
  return services;
}

class TReaderForm final : public IReaderWindow {
 public:
  explicit TReaderForm(tgradientsclass* skin)
      : view_(skin, host_), poster_(view_.Handle()), logic_(MakeServices(view_, host_, poster_, skin)) {
    view_.SetFailureLog([](const char* what) {
      if (TKivoPlugin* plugin = PluginInstance) plugin->LogFailure(0, what);
    });
    view_.SetLogic(&logic_);
    logic_.FormResize();
  }
  ~TReaderForm() override { view_.SetLogic(nullptr); }
  TReaderForm(const TReaderForm&) = delete;
  TReaderForm& operator=(const TReaderForm&) = delete;

  void SetLogoVisible(bool visible) override { logic_.SetLogoVisible(visible); }
  void settabsposition(int position) override { logic_.settabsposition(position); }
  void SetCheckNewTimerEnabled(bool enabled) override { logic_.SetCheckNewTimerEnabled(enabled); }
  TWindowRect GetPlacement() const override { return logic_.GetPlacement(); }
  void SetPlacement(const TWindowRect& rect) override { logic_.SetPlacement(rect); }
  void ClearFeedMenu() override { logic_.ClearFeedMenu(); }
  void ClearTabs() override { logic_.ClearTabs(); }
  void ClearFeedIcons() override { logic_.ClearFeedIcons(); }
  void AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) override {
    logic_.AddFeedMenuItem(caption, hint, tag);
  }
  void AddTab(const std::string& text) override { logic_.AddTab(text); }
  void LoadIconOfSite(int index, const std::string& path) override { logic_.LoadIconOfSite(index, path); }
  void check_new_grid_count(int feedIndex) override { logic_.check_new_grid_count(feedIndex); }
  bool Visible() const override { return logic_.Visible(); }
  void SetVisible(bool visible) override { logic_.SetVisible(visible); }
  void TabControl1Change() override { logic_.TabControl1Change(); }
  void TrIconDblClick() override { logic_.TrIconDblClick(); }
  void ToolOptionsClick() override { logic_.ToolOptionsClick(); }
  void PopupMenu1At(int x, int y) override { logic_.PopupMenu1At(x, y); }

 private:
  // Destroyed in reverse: the logic joins its workers while poster and view live.
  TPluginReaderHost host_;
  TReaderWindowView view_;
  TWindowPoster poster_;
  TReaderWindow logic_;
};

}  // namespace

std::unique_ptr<IReaderWindow> CreateWin32ReaderWindow(tgradientsclass* skin) {
  return std::make_unique<TReaderForm>(skin);
}

std::unique_ptr<tgradientsclass> CreateWin32Skin() {
  const TSkinColors colors{SysColor(COLOR_BTNFACE), SysColor(COLOR_MENUHILIGHT),
                           SysColor(COLOR_GRADIENTACTIVECAPTION), SysColor(COLOR_BTNFACE)};
  return std::make_unique<tgradientsclass>(colors, GetSystemMetrics(SM_CXSCREEN));
}

}  // namespace kivo
