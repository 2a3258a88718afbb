// IKivoPluginService behind the plugin's IHostService. Holds one reference to
// the host's interface for as long as the plugin object lives.
#pragma once

#include <optional>

#include "plugin/PluginHost.h"
#include "plugin/win32/OleSettingsRecord.h"

namespace kivo {

class TWin32HostService final : public IHostService {
 public:
  explicit TWin32HostService(IKivoPluginService* service);
  ~TWin32HostService() override;
  TWin32HostService(const TWin32HostService&) = delete;
  TWin32HostService& operator=(const TWin32HostService&) = delete;

  ISettingsRecord* GetSettings(TPluginWord dllHandle) override;
  void SendPluginMessage(TPluginMessage& message) override;

 private:
  IKivoPluginService* service_;
  std::optional<TOleSettingsRecord> record_;
};

}  // namespace kivo
