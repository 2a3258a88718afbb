// The start objects as the DLL builds them today: the current reader-window
// view, the tray icon, and stand-ins for the skin and the special contacts.
#pragma once

#include "plugin/PluginHost.h"

namespace kivo {

class TWin32ObjectFactory final : public IPluginObjectFactory {
 public:
  std::unique_ptr<IContactList> CreateContacts() override;
  std::unique_ptr<ISkin> CreateSkin() override;
  std::unique_ptr<IReaderWindow> CreateReaderWindow() override;
  std::unique_ptr<ITrayIcon> CreateTrayIcon(IReaderWindow& readerWindow) override;
};

// Special contacts are not drawn yet: their messages are left unanswered.
class TNoContactsHandler final : public IContactsHandler {
 public:
  void OnContactMessage(TKivoPlugin&, TPluginMessage&) override {}
};

}  // namespace kivo
