// IKivoPluginService as the messenger offers it: a table of stdcall functions
// that forwards to the host's handler.
#pragma once

#include <cstdint>

#include "plugin/PluginInfo.h"

namespace kivo::host {

class IServiceHandler {
 public:
  // Address of the settings record of the plugin with this module handle, or null.
  virtual void* SettingsFor(TPluginWord dllHandle) = 0;
  virtual void OnPluginMessage(TPluginMessage& message) = 0;

 protected:
  ~IServiceHandler() = default;
};

class HostService {
 public:
  explicit HostService(IServiceHandler& handler) : object_{{&kTable}, this}, handler_(handler) {}
  HostService(const HostService&) = delete;
  HostService& operator=(const HostService&) = delete;

  IKivoPluginService* Interface() { return &object_.iface; }
  // References held by others than the host itself.
  std::uint32_t ForeignReferences() const { return references_ - 1; }

 private:
  struct Object {
    IKivoPluginService iface;
    HostService* owner;
  };
  static HostService& Of(IKivoPluginService* self) { return *reinterpret_cast<Object*>(self)->owner; }
  static KivoHResult KIVO_STDCALL QueryInterface(IKivoPluginService* self, const void* iid, void** out);
  static std::uint32_t KIVO_STDCALL AddRef(IKivoPluginService* self);
  static std::uint32_t KIVO_STDCALL Release(IKivoPluginService* self);
  static void* KIVO_STDCALL GetSettings(IKivoPluginService* self, TPluginWord dllHandle);
  static void KIVO_STDCALL SendPluginMessage(IKivoPluginService* self, TPluginMessage* message);

  static const IKivoPluginServiceVtbl kTable;

  Object object_;
  IServiceHandler& handler_;
  std::uint32_t references_ = 1;
};

}  // namespace kivo::host
