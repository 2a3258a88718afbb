// A minimal plugin that exercises every host service KivoHost offers, so the
// host's own behaviour is tested apart from KivoRss.dll. What it observed goes
// into its settings record and its INI file, where the scripts look.
//   record byte 1: DllHandle was written before message 1
//   record byte 2: every host message carried the plugin's DllHandle
//   record byte 3: an X-status set (10) comes back unchanged (11)
//   record byte 4: removing the contact (49) answers 0, removing it again not
//   record int 12: number of starts; wstr 60: created on the first start
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "plugin/PluginInfo.h"
#include "tests/e2e/ProbeOptions.h"

namespace {

using namespace kivo;

constexpr wchar_t kWindowClass[] = L"ProbeWindow";
constexpr char16_t kCallWord[] = u"probe#";

struct Probe {
  IKivoPlugin iface;
  IKivoPluginService* service;
  TPluginInfo info;
  wchar_t path[MAX_PATH + 1];
  ULONG references;
  TPluginWord buttonId;
  TPluginWord contactId;
  HWND window;
  bool handleBeforeLoad;
  bool handlesConsistent;
  bool wasVisible;
};

// One plugin object per load: the host creates exactly one.
Probe gProbeObject;
Probe* gProbe = nullptr;

HINSTANCE ModuleInstance();

std::uint8_t* Record(Probe& probe) {
  return static_cast<std::uint8_t*>(probe.service->vtbl->GetSettings(probe.service, probe.info.DllHandle));
}

TPluginMessage SendToHost(Probe& probe, TPluginWord code, TPluginWord wParam) {
  TPluginMessage message{code, wParam, 0, 0, 0, probe.info.DllHandle};
  probe.service->vtbl->SendPluginMessage(probe.service, &message);
  return message;
}

void WriteIni(Probe& probe, int starts) {
  std::wstring ini(probe.path);
  ini.replace(ini.size() - 3, 3, L"ini");
  WritePrivateProfileStringW(L"Main", L"Starts", std::to_wstring(starts).c_str(), ini.c_str());
}

void Start(Probe& probe) {
  std::uint8_t* record = Record(probe);
  std::int32_t starts = 0;
  std::memcpy(&starts, record + 12, 4);
  ++starts;
  std::memcpy(record + 12, &starts, 4);
  record[0] = 1;
  record[1] = probe.handleBeforeLoad;
  BSTR* feeds = reinterpret_cast<BSTR*>(record + settings_offset::InMemory(settings_offset::kFeedList));
  if (SysStringLen(*feeds) == 0) SysReAllocString(feeds, L"first line\r\nsecond line");
  WriteIni(probe, starts);
  probe.window = CreateWindowExW(0, kWindowClass, L"Probe", WS_OVERLAPPEDWINDOW, 100, 100, 200, 120, nullptr,
                                 nullptr, ModuleInstance(), nullptr);
  probe.contactId = SendToHost(probe, PM_CONTACT_ADD, kSpecialContactKind).Result;
}

void AddButton(Probe& probe) {
  TAddBtnInfo button{reinterpret_cast<TPluginWord>(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_ERROR))),
                     0, u"Probe button"};
  probe.buttonId = SendToHost(probe, PM_ADD_BUTTON, reinterpret_cast<TPluginWord>(&button)).Result;
}

void Draw(Probe& probe, const TPluginMessage& message, const wchar_t* text) {
  if (message.WParam != probe.contactId) return;
  const auto colors = SendToHost(probe, PM_GET_COLORS, 0);
  const auto* palette = reinterpret_cast<const std::uint32_t*>(colors.XParam);
  HDC dc = reinterpret_cast<HDC>(message.LParam);
  RECT rect = *reinterpret_cast<const RECT*>(message.XParam);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, palette != nullptr ? palette[8] : RGB(255, 0, 0));
  DrawTextW(dc, text, -1, &rect, DT_LEFT | DT_TOP | DT_SINGLELINE);
}

bool XStatusRoundTrips(Probe& probe) {
  TPluginMessage set{PM_SET_XSTATUS,
                     7,
                     reinterpret_cast<TPluginWord>(L"Probe title"),
                     reinterpret_cast<TPluginWord>(L"Probe text"),
                     0,
                     probe.info.DllHandle};
  probe.service->vtbl->SendPluginMessage(probe.service, &set);
  const TPluginMessage get = SendToHost(probe, PM_GET_XSTATUS, 0);
  return get.WParam == 7 && std::wcscmp(reinterpret_cast<const wchar_t*>(get.LParam), L"Probe title") == 0 &&
         std::wcscmp(reinterpret_cast<const wchar_t*>(get.XParam), L"Probe text") == 0;
}

void OnDoubleClick(Probe& probe, const TPluginMessage& message) {
  if (message.WParam != probe.contactId) return;
  std::uint8_t* record = Record(probe);
  record[3] = XStatusRoundTrips(probe);
  const bool removed = SendToHost(probe, PM_CONTACT_REMOVE, probe.contactId).Result == 0;
  record[4] = removed && SendToHost(probe, PM_CONTACT_REMOVE, probe.contactId).Result != 0;
  probe.contactId = SendToHost(probe, PM_CONTACT_ADD, kSpecialContactKind).Result;
  SendToHost(probe, PM_CONTACT_REDRAW, probe.contactId);
}

void HideOrRestore(Probe& probe, bool hide) {
  if (hide) probe.wasVisible = IsWindowVisible(probe.window);
  ShowWindow(probe.window, hide || !probe.wasVisible ? SW_HIDE : SW_SHOWNOACTIVATE);
}

void Handle(Probe& probe, TPluginMessage& message) {
  if (message.Code != PM_LOAD_INFO && message.DllHandle != probe.info.DllHandle)
    probe.handlesConsistent = false;
  switch (message.Code) {
    case PM_LOAD_INFO:
      probe.handleBeforeLoad = probe.info.DllHandle != 0;
      GetModuleFileNameW(reinterpret_cast<HMODULE>(probe.info.DllHandle), probe.path, MAX_PATH);
      probe.info.DllPath = reinterpret_cast<const char16_t*>(probe.path);
      break;
    case PM_RUN:
      Start(probe);
      break;
    case PM_ADD_BUTTONS:
      AddButton(probe);
      break;
    case PM_QUIT:
      Record(probe)[2] = probe.handlesConsistent;
      DestroyWindow(probe.window);
      kivo_probe::DestroyOptions();
      break;
    case PM_WORD_CHECK:
      if (std::u16string(reinterpret_cast<const char16_t*>(message.WParam)) == kCallWord) {
        message.LParam = kCallWordColor;
        message.Result = 1;
      }
      break;
    case PM_BUTTON_CLICK:
      if (message.WParam == probe.buttonId)
        ShowWindow(probe.window, IsWindowVisible(probe.window) ? SW_HIDE : SW_SHOW);
      break;
    case PM_SHOW_OPTIONS:
      kivo_probe::ShowOptions(ModuleInstance());
      break;
    case PM_HIDE_WINDOWS:
      HideOrRestore(probe, message.WParam != 0);
      break;
    case PM_CONTACT_DRAW:
      Draw(probe, message, L"Probe contact");
      break;
    case PM_CONTACT_DBLCLICK:
      OnDoubleClick(probe, message);
      break;
    case PM_CONTACT_HINT_SIZE:
      message.LParam = 150;
      message.XParam = 25;
      break;
    case PM_CONTACT_HINT_DRAW:
      Draw(probe, message, L"Probe hint");
      break;
    default:
      break;
  }
}

KivoHResult KIVO_STDCALL QueryInterface(IKivoPlugin*, const void*, void** out) {
  *out = nullptr;
  return kE_NOINTERFACE;
}
std::uint32_t KIVO_STDCALL AddRef(IKivoPlugin*) {
  return ++gProbe->references;
}
std::uint32_t KIVO_STDCALL Release(IKivoPlugin*) {
  const ULONG left = --gProbe->references;
  if (left == 0) {
    gProbe->service->vtbl->Release(gProbe->service);
    gProbe = nullptr;
    // Classes of a DLL outlive its unloading unless unregistered.
    UnregisterClassW(kWindowClass, ModuleInstance());
    kivo_probe::UnregisterOptionsClass(ModuleInstance());
  }
  return left;
}
TPluginInfo* KIVO_STDCALL GetPluginInfo(IKivoPlugin*) {
  return &gProbe->info;
}
void KIVO_STDCALL OnHostMessage(IKivoPlugin*, TPluginMessage* message) {
  Handle(*gProbe, *message);
}

const IKivoPluginVtbl kProbeTable = {QueryInterface, AddRef, Release, GetPluginInfo, OnHostMessage};

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ProbeWindowProc), &module);
  return module;
}

void RegisterProbeClass() {
  WNDCLASSW windowClass{};
  windowClass.hInstance = ModuleInstance();
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.lpszClassName = kWindowClass;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);
  kivo_probe::RegisterOptionsClass(ModuleInstance());
}

}  // namespace

extern "C" __declspec(dllexport) void __stdcall CreateNimbraPLUGIN(IKivoPlugin** plugin,
                                                                   IKivoPluginService* service) {
  RegisterProbeClass();
  gProbeObject = Probe{};
  gProbe = &gProbeObject;
  gProbe->iface.vtbl = &kProbeTable;
  gProbe->service = service;
  gProbe->references = 1;
  gProbe->handlesConsistent = true;
  gProbe->info.ApiVersionMajor = kApiVersionMajor;
  gProbe->info.ApiVersionMinor = kApiVersionMinor;
  gProbe->info.PluginName = u"Probe";
  gProbe->info.PluginAuthor = u"KivoHost tests";
  service->vtbl->AddRef(service);
  *plugin = &gProbe->iface;
}
