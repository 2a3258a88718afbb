#include "plugin/win32/Win32HostService.h"

namespace kivo {

TWin32HostService::TWin32HostService(IKivoPluginService* service) : service_(service) {
  if (service_ != nullptr) service_->vtbl->AddRef(service_);
}

TWin32HostService::~TWin32HostService() {
  if (service_ != nullptr) service_->vtbl->Release(service_);
}

ISettingsRecord* TWin32HostService::GetSettings(TPluginWord dllHandle) {
  record_.reset();
  if (service_ == nullptr) return nullptr;
  void* hostRecord = service_->vtbl->GetSettings(service_, dllHandle);
  if (hostRecord == nullptr) return nullptr;
  return &record_.emplace(hostRecord);
}

void TWin32HostService::SendPluginMessage(TPluginMessage& message) {
  if (service_ != nullptr) service_->vtbl->SendPluginMessage(service_, &message);
}

}  // namespace kivo
