#include "plugin/win32/Win32ObjectFactory.h"

#include <utility>

#include "base/FilePaths.h"
#include "imaging/win32/ImageLists.h"
#include "imaging/win32/ResourceIds.h"
#include "options/AddressProbe.h"
#include "options/win32/FormOptions.h"
#include "options/win32/FormOptions2.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Thread.h"
#include "platform/win32/ThisModule.h"
#include "plugin/win32/FormXstatus.h"
#include "plugin/win32/ReaderForm.h"
#include "reader/win32/NotifyWindow.h"
#include "tray/win32/TrayIcon.h"
#include "ui/win32/WindowPoster.h"

namespace kivo {

std::unique_ptr<tgradientsclass> TWin32ObjectFactory::CreateSkin() {
  return CreateWin32Skin();
}

std::unique_ptr<IReaderWindow> TWin32ObjectFactory::CreateReaderWindow(tgradientsclass* skin,
                                                                       IReaderHost& host) {
  return CreateWin32ReaderWindow(skin, host);
}

std::unique_ptr<ITrayIcon> TWin32ObjectFactory::CreateTrayIcon(ITrayIconHost& host) {
  const auto strip = [](const wchar_t* name) {
    const auto pictures = LoadPngResource(ThisModule(), name);
    return pictures ? SplitStrip(*pictures) : std::vector<TBitmap32>();
  };
  return std::make_unique<TTrayIcon>(host, strip(kTrayFramesResource), strip(kReaderImagesResource));
}

TOptionsDialogs TWin32ObjectFactory::CreateOptionsDialogs(IOptionsHost& host) {
  auto options = std::make_unique<TFormOptions>();
  auto feedSettings = std::make_unique<TFormOptions2>();
  auto probe = std::make_unique<TAddressProbe>(PlatformHttpClient(), SystemClock(), SystemThreads(),
                                               std::make_unique<TWindowPoster>(options->Handle()));
  auto controller = std::make_unique<TOptionsController>(*options, *feedSettings, host, probe.get());
  options->SetController(controller.get());
  feedSettings->SetController(&controller->FeedSettings());
  return {std::move(options), std::move(feedSettings), std::move(probe), std::move(controller)};
}

// The skin beside the module wins over the built-in one.
std::unique_ptr<INotifyWindow> TWin32ObjectFactory::CreateNotifyWindow(std::function<void()> onAction) {
  const TFilePath module = PathFromUtf16(ModuleFileName(ThisModule()));
  return std::make_unique<TNotifyWindow>(LoadNotifySkin(module.parent_path()), std::move(onAction));
}

std::unique_ptr<IXStatusView> TWin32ObjectFactory::CreateXStatusDialog() {
  return std::make_unique<TFormXstatus>();
}

}  // namespace kivo
