// The module's one export and the COM-style plugin object the host holds.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "platform/Clock.h"
#include "platform/Locale.h"
#include "platform/win32/ThisModule.h"
#include "plugin/KivoPlugin.h"
#include "plugin/PluginLog.h"
#include "plugin/win32/Win32HostService.h"
#include "plugin/win32/Win32ObjectFactory.h"
#include "plugin/win32/Win32Platform.h"

namespace kivo {

namespace {

constexpr KivoHResult kE_POINTER = static_cast<KivoHResult>(0x80004003u);

class TPluginObject {
 public:
  explicit TPluginObject(IKivoPluginService* service)
      : face_{{&kTable}, this},
        host_(service),
        plugin_(TPluginEnvironment{host_, platform_, factory_, SystemClock(), SystemLocale()}) {}
  TPluginObject(const TPluginObject&) = delete;
  TPluginObject& operator=(const TPluginObject&) = delete;

  IKivoPlugin* Interface() { return &face_.Interface; }
  TKivoPlugin& Plugin() { return plugin_; }
  std::uint32_t AddRef() { return ++references_; }
  std::uint32_t Release() {
    const std::uint32_t left = --references_;
    if (left == 0) std::unique_ptr<TPluginObject> last(this);
    return left;
  }

  static TPluginObject& Of(IKivoPlugin* self) { return *reinterpret_cast<TFace*>(self)->Owner; }

 private:
  // The host's interface pointer addresses this record: the table pointer first.
  struct TFace {
    IKivoPlugin Interface;
    TPluginObject* Owner;
  };

  static KivoHResult KIVO_STDCALL QueryInterface(IKivoPlugin* self, const void* iid, void** out);
  static std::uint32_t KIVO_STDCALL AddRefSlot(IKivoPlugin* self);
  static std::uint32_t KIVO_STDCALL ReleaseSlot(IKivoPlugin* self);
  static TPluginInfo* KIVO_STDCALL GetPluginInfo(IKivoPlugin* self);
  static void KIVO_STDCALL OnHostMessage(IKivoPlugin* self, TPluginMessage* message);
  static const IKivoPluginVtbl kTable;

  TFace face_;
  std::atomic<std::uint32_t> references_{0};
  TWin32HostService host_;
  TWin32Platform platform_;
  TWin32ObjectFactory factory_;
  TKivoPlugin plugin_;
};

const IKivoPluginVtbl TPluginObject::kTable = {
    &TPluginObject::QueryInterface, &TPluginObject::AddRefSlot,    &TPluginObject::ReleaseSlot,
    &TPluginObject::GetPluginInfo,  &TPluginObject::OnHostMessage,
};

// The host names no interface identifiers: every request is answered with
// this one interface, which is IUnknown and IKivoPlugin at once.
KivoHResult KIVO_STDCALL TPluginObject::QueryInterface(IKivoPlugin* self, const void*, void** out) {
  if (out == nullptr) return kE_POINTER;
  Of(self).AddRef();
  *out = self;
  return kS_OK;
}

std::uint32_t KIVO_STDCALL TPluginObject::AddRefSlot(IKivoPlugin* self) {
  return Of(self).AddRef();
}

std::uint32_t KIVO_STDCALL TPluginObject::ReleaseSlot(IKivoPlugin* self) {
  return Of(self).Release();
}

TPluginInfo* KIVO_STDCALL TPluginObject::GetPluginInfo(IKivoPlugin* self) {
  return Of(self).Plugin().GetPluginInfo();
}

void KIVO_STDCALL TPluginObject::OnHostMessage(IKivoPlugin* self, TPluginMessage* message) {
  if (message != nullptr) Of(self).Plugin().OnHostMessage(*message);
}

void LogCreationFailure(const char* what) noexcept {
  try {
    const TFilePath modulePath = PathFromUtf16(ModuleFileName(ThisModule()));
    TPluginLog(ChangeFileExt(modulePath, ".log")).Append(FormatLogLine(SystemClock().Now(), 0, what));
  } catch (...) {
    // Nothing is left to report to.
  }
}

}  // namespace

}  // namespace kivo

extern "C" __declspec(dllexport) void __stdcall CreateNimbraPLUGIN(kivo::IKivoPlugin** plugin,
                                                                   kivo::IKivoPluginService* service);

extern "C" __declspec(dllexport) void __stdcall CreateNimbraPLUGIN(kivo::IKivoPlugin** plugin,
                                                                   kivo::IKivoPluginService* service) {
  using kivo::TPluginObject;
  if (plugin == nullptr) return;
  *plugin = nullptr;
  try {
    auto object = std::make_unique<TPluginObject>(service);
    object->AddRef();
    *plugin = object.release()->Interface();
  } catch (const std::exception& error) {
    kivo::LogCreationFailure(error.what());
  } catch (...) {
    kivo::LogCreationFailure("unknown exception");
  }
}
