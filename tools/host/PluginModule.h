// One loaded plugin DLL and the plugin object it handed out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "plugin/PluginInfo.h"
#include "ui/win32/GdiHandles.h"

namespace kivo::host {

inline void UnloadModule(HMODULE module) {
  FreeLibrary(module);
}
using UniqueModule = TUniqueHandle<HMODULE, UnloadModule>;

class PluginModule {
 public:
  struct LoadResult {
    std::unique_ptr<PluginModule> module;
    std::string error;
  };
  // LoadLibrary, CreateNimbraPLUGIN and the module handle written into the
  // plugin's description record: everything before message 1.
  static LoadResult Load(const std::wstring& path, IKivoPluginService* service);

  struct Key {
   private:
    Key() = default;
    friend class PluginModule;
  };
  PluginModule(Key, UniqueModule module, IKivoPlugin* plugin, std::wstring path);
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;
  // Releases the plugin object unless that was done, then frees the library.
  ~PluginModule() { ReleasePlugin(); }

  // The host's one reference goes; returns what the plugin's Release returned
  // (0 unless the plugin leaks references). Nothing may be sent afterwards.
  std::uint32_t ReleasePlugin();

  void Send(TPluginMessage& message);
  const TPluginInfo& Info() const { return *info_; }
  TPluginWord Handle() const { return reinterpret_cast<TPluginWord>(module_.Get()); }
  const std::wstring& Path() const { return path_; }

 private:
  UniqueModule module_;
  IKivoPlugin* plugin_;
  TPluginInfo* info_;
  std::wstring path_;
};

}  // namespace kivo::host
