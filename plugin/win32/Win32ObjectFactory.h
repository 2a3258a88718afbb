// The windows of the start sequence as the DLL builds them, and a stand-in for
// the special contacts.
#pragma once

#include "plugin/PluginHost.h"

namespace kivo {

class TWin32ObjectFactory final : public IPluginObjectFactory {
 public:
  std::unique_ptr<tgradientsclass> CreateSkin() override;
  std::unique_ptr<IReaderWindow> CreateReaderWindow(tgradientsclass* skin, IReaderHost& host) override;
  std::unique_ptr<ITrayIcon> CreateTrayIcon(ITrayIconHost& host) override;
  TOptionsDialogs CreateOptionsDialogs(IOptionsHost& host) override;
  std::unique_ptr<INotifyWindow> CreateNotifyWindow(std::function<void()> onAction) override;
};

// Special contacts are not drawn yet: their messages are left unanswered.
class TNoContactsHandler final : public IContactsHandler {
 public:
  void OnContactMessage(TKivoPlugin&, TPluginMessage&) override {}
};

}  // namespace kivo
