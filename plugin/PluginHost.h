// Everything the plugin object reaches outside itself: the host's service, the
// platform (module path, screen, icon, folders, clock, locale) and the windows
// and objects that its start creates. The DLL implements these over Win32; tests
// use fakes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "imaging/ImageDecoder.h"
#include "platform/Clock.h"
#include "platform/Locale.h"
#include "plugin/PluginSettings.h"
#include "plugin/Unit_RSSlist.h"
#include "plugin/u_plugin_info.h"
#include "plugin/u_plugin_msg.h"

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
  virtual TScreenSize ScreenSize() = 0;
  // Failure (an existing folder among others) is not reported.
  virtual void CreateFolder(const std::string& path) = 0;
  // The module's icon "ICO1" at 16 x 16; the handle stays valid for the host.
  virtual TPluginWord LoadButtonIcon() = 0;
  virtual THostString MakeHostString(std::u16string_view text) = 0;
  // Null while no decoder is available: logos then do not load.
  virtual IImageDecoder* ImageDecoder() = 0;
};

// What the hide message does with a window.
class IPluginWindow {
 public:
  virtual ~IPluginWindow() = default;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

// The reader window (TForm1) as the plugin object drives it.
class IReaderWindow : public IReaderWindowOps, public IPluginWindow {
 public:
  virtual void TabControl1Change() = 0;
  // Shows the window when hidden, hides it when shown.
  virtual void TrIconDblClick() = 0;
  virtual void ToolOptionsClick() = 0;
  // PopupMenu1 (its one item N1) at a screen point.
  virtual void PopupMenu1At(int x, int y) = 0;
};

class ITrayIcon : public ITrayIconOps {
 public:
  virtual bool Visible() const = 0;
};

class ISkin {
 public:
  virtual ~ISkin() = default;
};

class IContactList {
 public:
  virtual ~IContactList() = default;
};

class TKivoPlugin;

// Messages 51, 52, 53, 58 and 59.
class IContactsHandler {
 public:
  virtual ~IContactsHandler() = default;
  virtual void OnContactMessage(TKivoPlugin& plugin, TPluginMessage& message) = 0;
};

// Creates the objects of the start sequence.
class IPluginObjectFactory {
 public:
  virtual ~IPluginObjectFactory() = default;
  virtual std::unique_ptr<IContactList> CreateContacts() = 0;
  virtual std::unique_ptr<ISkin> CreateSkin() = 0;
  // Hidden, without an owner.
  virtual std::unique_ptr<IReaderWindow> CreateReaderWindow() = 0;
  // Hidden; takes its pictures, menu and mouse handling from the reader window.
  virtual std::unique_ptr<ITrayIcon> CreateTrayIcon(IReaderWindow& readerWindow) = 0;
};

struct TPluginEnvironment {
  IHostService& Host;
  IPluginPlatform& Platform;
  IPluginObjectFactory& Factory;
  IContactsHandler& Contacts;
  IClock& Clock;
  const ILocaleFormats& Locale;
};

}  // namespace kivo
