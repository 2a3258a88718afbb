// The windows of the start sequence, and those made at first use, as the DLL
// builds them.
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
  std::unique_ptr<IXStatusView> CreateXStatusDialog() override;
};

}  // namespace kivo
