#include "tools/host/HostService.h"

#include <windows.h>

#include <cstring>

namespace kivo::host {

const IKivoPluginServiceVtbl HostService::kTable = {
    &HostService::QueryInterface,    &HostService::AddRef, &HostService::Release, &HostService::GetSettings,
    &HostService::SendPluginMessage,
};

KivoHResult HostService::QueryInterface(IKivoPluginService* self, const void* iid, void** out) {
  if (out == nullptr) return kE_NOINTERFACE;
  *out = nullptr;
  if (iid == nullptr || std::memcmp(iid, &IID_IUnknown, sizeof(IID)) != 0) return kE_NOINTERFACE;
  AddRef(self);
  *out = self;
  return kS_OK;
}

std::uint32_t HostService::AddRef(IKivoPluginService* self) {
  return ++Of(self).references_;
}

// The service lives as long as the host: the count is only watched for leaks.
std::uint32_t HostService::Release(IKivoPluginService* self) {
  HostService& service = Of(self);
  if (service.references_ > 1) --service.references_;
  return service.references_;
}

void* HostService::GetSettings(IKivoPluginService* self, TPluginWord dllHandle) {
  return Of(self).handler_.SettingsFor(dllHandle);
}

void HostService::SendPluginMessage(IKivoPluginService* self, TPluginMessage* message) {
  if (message != nullptr) Of(self).handler_.OnPluginMessage(*message);
}

}  // namespace kivo::host
