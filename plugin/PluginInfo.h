// The host ABI: description record, button record, colours, the two COM-style
// interfaces and the layout of the settings record the host keeps for us.
// Field types follow the host's 32-bit layout; the shipped build checks every
// offset (plugin/win32/AbiChecks.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Version.h"
#include "plugin/PluginMessages.h"

#if defined(__i386__) || defined(_M_IX86)
#define KIVO_STDCALL __attribute__((stdcall))
#else
#define KIVO_STDCALL
#endif

namespace kivo {

using KivoHResult = std::int32_t;
constexpr KivoHResult kS_OK = 0;
constexpr KivoHResult kE_NOINTERFACE = static_cast<KivoHResult>(0x80004002u);

struct TPluginInfo {
  TPluginWord DllHandle;    // written by the host before PM_LOAD_INFO
  const char16_t* DllPath;  // full path of the module
  std::uint16_t ApiVersionMajor;
  std::uint16_t ApiVersionMinor;
  std::uint16_t PluginVersionMajor;
  std::uint16_t PluginVersionMinor;
  const char16_t* PluginName;
  const char16_t* PluginAuthor;
};

constexpr std::uint16_t kApiVersionMajor = 1;
constexpr std::uint16_t kApiVersionMinor = 5;
constexpr std::uint16_t kPluginVersionMajor = kVersionMajor;
constexpr std::uint16_t kPluginVersionMinor = kVersionMinor;
constexpr char16_t kPluginName[] = u"RSS Reader For Kivo Nimbra";
constexpr char16_t kPluginAuthor[] = u"Dorvan";

// PM_ADD_BUTTON's record: 12 bytes in the host's layout.
struct TAddBtnInfo {
  TPluginWord Icon;      // HICON, 16 x 16
  TPluginWord Reserved;  // always 0
  const char16_t* Hint;  // wide (OLE) string
};

constexpr int kHostColorCount = 51;
// The plugin's copy of the answer to PM_GET_COLORS.
struct tkivocolorsrec {
  std::u16string FontName;
  std::int32_t FontSize;
  std::uint32_t Colors[kHostColorCount];
};

// COM-style interfaces: a pointer to a table of stdcall functions whose first
// argument is the interface itself.
struct IKivoPlugin;
struct IKivoPluginVtbl {
  KivoHResult(KIVO_STDCALL* QueryInterface)(IKivoPlugin* self, const void* iid, void** out);
  std::uint32_t(KIVO_STDCALL* AddRef)(IKivoPlugin* self);
  std::uint32_t(KIVO_STDCALL* Release)(IKivoPlugin* self);
  TPluginInfo*(KIVO_STDCALL* GetPluginInfo)(IKivoPlugin* self);
  void(KIVO_STDCALL* OnHostMessage)(IKivoPlugin* self, TPluginMessage* message);
};
struct IKivoPlugin {
  const IKivoPluginVtbl* vtbl;
};

struct IKivoPluginService;
struct IKivoPluginServiceVtbl {
  KivoHResult(KIVO_STDCALL* QueryInterface)(IKivoPluginService* self, const void* iid, void** out);
  std::uint32_t(KIVO_STDCALL* AddRef)(IKivoPluginService* self);
  std::uint32_t(KIVO_STDCALL* Release)(IKivoPluginService* self);
  // Address of the settings record the host keeps for this module, or 0.
  void*(KIVO_STDCALL* GetSettings)(IKivoPluginService* self, TPluginWord dllHandle);
  void(KIVO_STDCALL* SendPluginMessage)(IKivoPluginService* self, TPluginMessage* message);
};
struct IKivoPluginService {
  const IKivoPluginServiceVtbl* vtbl;
};

// Byte offsets in TPluginSettingsRec (the host's 32-bit layout). Wide strings
// there are OLE strings (length-prefixed UTF-16, allocated by the OLE allocator).
namespace settings_offset {
constexpr std::size_t kInitialised = 0;
constexpr std::size_t kShowContact = 1;
constexpr std::size_t kShowFeedIcons = 2;
constexpr std::size_t kShowTrayIcon = 3;
constexpr std::size_t kUseProxy = 4;
constexpr std::size_t kProxyAuth = 5;
constexpr std::size_t kCheckForNew = 6;
constexpr std::size_t kShowButton = 7;
constexpr std::size_t kShowPopup = 8;
constexpr std::size_t kAccumulateUnread = 9;
constexpr std::size_t kFontSize = 12;
constexpr std::size_t kLeft = 16;
constexpr std::size_t kTop = 20;
constexpr std::size_t kWidth = 24;
constexpr std::size_t kHeight = 28;
constexpr std::size_t kLangIndex = 36;
constexpr std::size_t kCallString = 52;
constexpr std::size_t kUnused56 = 56;
constexpr std::size_t kFeedList = 60;
constexpr std::size_t kProxyHost = 64;
constexpr std::size_t kProxyPort = 68;
constexpr std::size_t kProxyUser = 72;
constexpr std::size_t kProxyPassword = 76;
// The host keeps at least this many bytes.
constexpr std::size_t kRecordSize = 80;

// Every offset above is the 32-bit host's. A 64-bit build (tests only) keeps a
// whole pointer in each string slot, so there the slots lie sizeof(void*)
// apart from the same start; InMemory maps an offset to its byte in memory.
constexpr std::size_t kStringSlot = 4;
constexpr std::size_t kStringCount = (kRecordSize - kCallString) / kStringSlot;
constexpr std::size_t InMemory(std::size_t offset) {
  return offset < kCallString ? offset : kCallString + (offset - kCallString) / kStringSlot * sizeof(void*);
}
constexpr std::size_t kRecordBytes = kCallString + kStringCount * sizeof(void*);
}  // namespace settings_offset

// Access to the host's settings record. The DLL reads and writes the host's
// memory in place; tests use an in-memory stand-in.
class ISettingsRecord {
 public:
  virtual ~ISettingsRecord() = default;
  virtual std::uint8_t Byte(std::size_t offset) const = 0;
  virtual void SetByte(std::size_t offset, std::uint8_t value) = 0;
  virtual std::int32_t Int(std::size_t offset) const = 0;
  virtual void SetInt(std::size_t offset, std::int32_t value) = 0;
  virtual std::u16string Wide(std::size_t offset) const = 0;
  virtual void SetWide(std::size_t offset, const std::u16string& value) = 0;
};

}  // namespace kivo
