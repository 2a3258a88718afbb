#include "plugin/win32/Win32ObjectFactory.h"

#include <exception>

#include "plugin/u_kivo_plugin.h"
#include "plugin/win32/ReaderForm.h"
#include "plugin/win32/TrayIconView.h"

namespace kivo {

namespace {

class TNoContactList final : public IContactList {};

// Window events arrive through the system's message loop, where no exception may pass.
void ToggleReaderWindow() noexcept {
  TKivoPlugin* plugin = PluginInstance;
  if (plugin == nullptr || !plugin->MainForm) return;
  try {
    plugin->MainForm->TrIconDblClick();
  } catch (const std::exception& error) {
    plugin->LogFailure(0, error.what());
  } catch (...) {
    plugin->LogFailure(0, "unknown exception");
  }
}

}  // namespace

std::unique_ptr<IContactList> TWin32ObjectFactory::CreateContacts() {
  return std::make_unique<TNoContactList>();
}

std::unique_ptr<ISkin> TWin32ObjectFactory::CreateSkin() {
  std::unique_ptr<tgradientsclass> skin = CreateWin32Skin();
  skin_ = skin.get();
  return skin;
}

// The start creates the skin first and frees it after the window.
std::unique_ptr<IReaderWindow> TWin32ObjectFactory::CreateReaderWindow() {
  return CreateWin32ReaderWindow(skin_);
}

// The icon reaches the reader window through PluginInstance, not through
// `readerWindow`: the stop frees the window before the icon.
std::unique_ptr<ITrayIcon> TWin32ObjectFactory::CreateTrayIcon(IReaderWindow&) {
  return std::make_unique<TTrayIconView>(&ToggleReaderWindow);
}

}  // namespace kivo
