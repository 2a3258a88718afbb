// A whole host session against the shipped DLL: create, describe, start, claim
// a word, add and click the button, hide and restore, quit, release, unload,
// and the same once more after the unload. The DLL runs from a folder of its
// own, where it writes its INI file and cache folder.
#include <windows.h>  // with oleauto.h: the OLE string functions

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/PluginInfo.h"
#include "plugin/PluginMessages.h"

using namespace kivo;

namespace {

int failures = 0;

#define CHECK(condition)                                                                 \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: CHECK(%s) failed\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                                        \
    }                                                                                    \
  } while (0)

using CreateEntry = void(__stdcall*)(IKivoPlugin**, IKivoPluginService*);

extern const IKivoPluginServiceVtbl kServiceTable;

struct FakeService {
  IKivoPluginService iface{&kServiceTable};
  std::uint32_t references = 1;
  alignas(8) unsigned char record[settings_offset::kRecordBytes] = {};
  std::vector<TPluginMessage> sent;
  std::u16string lastHint;
  TPluginWord lastIcon = 0;

  static FakeService& Of(IKivoPluginService* self) { return *reinterpret_cast<FakeService*>(self); }

  static KivoHResult __stdcall QueryInterface(IKivoPluginService*, const void*, void**) {
    return kE_NOINTERFACE;
  }
  static std::uint32_t __stdcall AddRef(IKivoPluginService* self) { return ++Of(self).references; }
  static std::uint32_t __stdcall Release(IKivoPluginService* self) { return --Of(self).references; }
  static void* __stdcall GetSettings(IKivoPluginService* self, TPluginWord) { return Of(self).record; }
  static void __stdcall SendPluginMessage(IKivoPluginService* self, TPluginMessage* message) {
    FakeService& service = Of(self);
    if (message->Code == PM_ADD_BUTTON) {
      const auto* button = reinterpret_cast<const TAddBtnInfo*>(message->WParam);
      service.lastIcon = button->Icon;
      // The hint is an OLE string: its length prefix must be right.
      service.lastHint.assign(button->Hint,
                              SysStringLen(reinterpret_cast<BSTR>(const_cast<char16_t*>(button->Hint))));
      message->Result = 7;
    }
    service.sent.push_back(*message);
  }

  std::u16string WideAt(std::size_t offset) const {
    BSTR text;
    std::memcpy(&text, record + settings_offset::InMemory(offset), sizeof text);
    return text == nullptr ? std::u16string()
                           : std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
  }
  void FreeStrings() {
    for (std::size_t offset = settings_offset::kCallString; offset <= settings_offset::kProxyPassword;
         offset += settings_offset::kStringSlot) {
      unsigned char* slot = record + settings_offset::InMemory(offset);
      BSTR text;
      std::memcpy(&text, slot, sizeof text);
      SysFreeString(text);
      std::memset(slot, 0, sizeof text);
    }
  }
};

const IKivoPluginServiceVtbl kServiceTable = {&FakeService::QueryInterface, &FakeService::AddRef,
                                              &FakeService::Release, &FakeService::GetSettings,
                                              &FakeService::SendPluginMessage};

TPluginMessage Send(IKivoPlugin* plugin, TPluginWord code, TPluginWord wParam = 0) {
  TPluginMessage message{code, wParam, 0, 0, 0, 0};
  plugin->vtbl->OnHostMessage(plugin, &message);
  return message;
}

BOOL CALLBACK TakeOwnReader(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (process != GetCurrentProcessId() || std::wstring(name) != L"TForm1") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The reader window of this process: other tests of the run may have theirs
// open on the same display, so a plain FindWindow could find one of those.
HWND FindOwnReader() {
  HWND found = nullptr;
  EnumWindows(TakeOwnReader, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool ReaderVisible() {
  const HWND window = FindOwnReader();
  return window != nullptr && IsWindowVisible(window);
}

void RunSession(const std::wstring& dllPath, const std::filesystem::path& folder) {
  HMODULE module = LoadLibraryW(dllPath.c_str());
  CHECK(module != nullptr);
  if (module == nullptr) return;
  auto create =
      reinterpret_cast<CreateEntry>(reinterpret_cast<void*>(GetProcAddress(module, "CreateNimbraPLUGIN")));
  CHECK(create != nullptr);

  FakeService service;
  IKivoPlugin* plugin = nullptr;
  create(&plugin, &service.iface);
  CHECK(plugin != nullptr);
  if (plugin == nullptr) return;
  CHECK(service.references == 2);

  void* queried = nullptr;
  CHECK(plugin->vtbl->QueryInterface(plugin, nullptr, &queried) == kS_OK && queried == plugin);
  CHECK(plugin->vtbl->Release(plugin) == 1);

  TPluginInfo* info = plugin->vtbl->GetPluginInfo(plugin);
  info->DllHandle = reinterpret_cast<TPluginWord>(module);
  Send(plugin, PM_LOAD_INFO);
  CHECK(info->DllPath != nullptr && std::wstring(reinterpret_cast<const wchar_t*>(info->DllPath)) == dllPath);
  CHECK(info->ApiVersionMajor == 1 && info->ApiVersionMinor == 5);
  CHECK(std::u16string(info->PluginName) == u"RSS Reader For Kivo Nimbra");

  Send(plugin, PM_RUN);
  CHECK(FindOwnReader() != nullptr);
  CHECK(!ReaderVisible());
  CHECK(std::filesystem::is_directory(folder / "Cache"));
  CHECK(service.record[settings_offset::kInitialised] == 1);
  CHECK(service.sent.size() == 1 && service.sent[0].Code == PM_CONTACT_ADD);  // the plugin's own contact
  service.sent.clear();

  const std::u16string word = u"RSS#";
  TPluginMessage check{PM_WORD_CHECK, reinterpret_cast<TPluginWord>(word.c_str()), 0, 0, 0, 0};
  plugin->vtbl->OnHostMessage(plugin, &check);
  CHECK(check.LParam == 0x00FF0000 && check.Result == 1);

  Send(plugin, PM_ADD_BUTTONS);
  CHECK(service.sent.size() == 1 && service.sent[0].Code == PM_ADD_BUTTON);
  CHECK(service.sent.size() == 1 && service.sent[0].DllHandle == reinterpret_cast<TPluginWord>(module));
  CHECK(service.lastIcon != 0);
  CHECK(!service.lastHint.empty());
  Send(plugin, PM_BUTTON_CLICK, 7);
  CHECK(ReaderVisible());
  Send(plugin, PM_HIDE_WINDOWS, 1);
  CHECK(!ReaderVisible());
  Send(plugin, PM_HIDE_WINDOWS, 0);
  CHECK(ReaderVisible());
  Send(plugin, PM_TEXT_NOTICE, reinterpret_cast<TPluginWord>(word.c_str()));

  Send(plugin, PM_QUIT);
  CHECK(FindOwnReader() == nullptr);
  CHECK(std::filesystem::exists(folder / "KivoRss.ini"));
  CHECK(service.WideAt(settings_offset::kCallString) == u"rss#");
  CHECK(!service.WideAt(settings_offset::kFeedList).empty());
  CHECK(!std::filesystem::exists(folder / "KivoRss.log"));  // no handler failed

  CHECK(plugin->vtbl->Release(plugin) == 0);
  CHECK(service.references == 1);
  service.FreeStrings();
  CHECK(FreeLibrary(module));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: plugin_session_test PATH-TO-DLL\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("kivo_session_" + std::to_string(GetCurrentProcessId()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path dll = folder / "KivoRss.dll";
  fs::copy_file(fs::path(argv[1]), dll, fs::copy_options::overwrite_existing);

  RunSession(dll.wstring(), folder);
  // A second load must find its window classes unregistered by the first.
  RunSession(dll.wstring(), folder);

  std::error_code ignored;
  fs::remove_all(folder, ignored);
  if (failures != 0) return 1;
  std::printf("host session passed\n");
  return 0;
}
