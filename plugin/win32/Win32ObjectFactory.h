// The start objects as the DLL builds them: the skin, the reader window, the
// tray icon, and a stand-in for the special contacts.
#pragma once

#include "plugin/PluginHost.h"
#include "reader/ReaderSkin.h"

namespace kivo {

class TWin32ObjectFactory final : public IPluginObjectFactory {
 public:
  std::unique_ptr<IContactList> CreateContacts() override;
  std::unique_ptr<ISkin> CreateSkin() override;
  std::unique_ptr<IReaderWindow> CreateReaderWindow() override;
  std::unique_ptr<ITrayIcon> CreateTrayIcon(IReaderWindow& readerWindow) override;

 private:
  tgradientsclass* skin_ = nullptr;  // the last one made; the plugin owns it
};

// Special contacts are not drawn yet: their messages are left unanswered.
class TNoContactsHandler final : public IContactsHandler {
 public:
  void OnContactMessage(TKivoPlugin&, TPluginMessage&) override {}
};

}  // namespace kivo
