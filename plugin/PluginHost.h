// Everything the plugin object reaches outside itself: the host's service, the
// platform (module path, screen, icon, folders, clock, locale) and the windows
// and objects that its start creates. The DLL implements these over Win32; tests
// use fakes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/FilePaths.h"
#include "base/Geometry.h"
#include "imaging/ImageDecoder.h"
#include "options/OptionsController.h"
#include "platform/Clock.h"
#include "platform/Locale.h"
#include "plugin/PluginInfo.h"
#include "plugin/PluginMessages.h"
#include "plugin/SpecialContacts.h"
#include "plugin/XStatus.h"
#include "reader/NotifyPopup.h"
#include "reader/ReaderSkin.h"
#include "reader/ReaderView.h"
#include "reader/ReaderWindowOps.h"
#include "tray/TrayIcon.h"

namespace kivo {

// IKivoPluginService as the plugin uses it.
class IHostService {
 public:
  virtual ~IHostService() = default;
  // The record the host keeps for the module, or null. Valid until the next call.
  virtual ISettingsRecord* GetSettings(TPluginWord dllHandle) = 0;
  // The host answers in `message` before returning.
  virtual void SendPluginMessage(TPluginMessage& message) = 0;
};

// A UTF-16 text handed to the host; on Windows an OLE string.
using THostString = std::shared_ptr<const char16_t>;

class IPluginPlatform {
 public:
  virtual ~IPluginPlatform() = default;
  // The file name of the module, at most 260 characters.
  virtual std::u16string ModuleFileName(TPluginWord dllHandle) = 0;
  virtual TSize ScreenSize() = 0;
  // Failure (an existing folder among others) is not reported.
  virtual void CreateFolder(const TFilePath& path) = 0;
  // The module's icon "ICO1" at 16 x 16; the handle stays valid for the host.
  virtual TPluginWord LoadButtonIcon() = 0;
  virtual THostString MakeHostString(std::u16string_view text) = 0;
  // Decodes nothing where the system offers no decoder: logos then do not load.
  virtual IImageDecoder& ImageDecoder() = 0;
  // Drawing on a device context the host lends (special contacts, their hints).
  virtual std::unique_ptr<IContactPainter> PainterOn(TPluginWord) { return nullptr; }
  // The plugin's icon as its contact shows it (image 0 of PngImageList2).
  virtual const TBitmap32* PluginIcon() const { return nullptr; }
};

// The two option dialogs, hidden, and their controller over both views. The
// windows go before the controller: they forward to it until they are gone.
struct TOptionsDialogs {
  std::unique_ptr<IPluginWindow> Options;       // TFormOptions
  std::unique_ptr<IPluginWindow> FeedSettings;  // TFormOptions2
  std::unique_ptr<IAddressProbe> Probe;         // posts to Options: goes before it
  std::unique_ptr<TOptionsController> Controller;
};

// Creates the windows of the start sequence.
class IPluginObjectFactory {
 public:
  virtual ~IPluginObjectFactory() = default;
  virtual std::unique_ptr<tgradientsclass> CreateSkin() = 0;
  // Hidden, without an owner; `skin` (may be null) and `host` outlive it.
  virtual std::unique_ptr<IReaderWindow> CreateReaderWindow(tgradientsclass* skin, IReaderHost& host) = 0;
  // Hidden; `host` outlives it.
  virtual std::unique_ptr<ITrayIcon> CreateTrayIcon(ITrayIconHost& host) = 0;
  // On first use; a build without dialogs leaves them empty. `host` outlives them.
  virtual TOptionsDialogs CreateOptionsDialogs(IOptionsHost&) { return {}; }
  // A pop-up, hidden, on first use; null in a build without one. `onAction`
  // runs for a click on the notice outside its close box.
  virtual std::unique_ptr<INotifyWindow> CreateNotifyWindow(std::function<void()> /*onAction*/) {
    return nullptr;
  }
  // TFormXstatus, hidden, on first use; null in a build without it.
  virtual std::unique_ptr<IXStatusView> CreateXStatusDialog() { return nullptr; }
};

struct TPluginEnvironment {
  IHostService& Host;
  IPluginPlatform& Platform;
  IPluginObjectFactory& Factory;
  IClock& Clock;
  const ILocaleFormats& Locale;
};

}  // namespace kivo
