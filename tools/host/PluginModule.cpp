#include "tools/host/PluginModule.h"

#include <utility>

#include "tools/host/Text.h"

namespace kivo::host {
namespace {

using CreatePluginFn = void(KIVO_STDCALL*)(IKivoPlugin** plugin, IKivoPluginService* service);

std::string LastErrorText(const char* what, const std::wstring& path) {
  return std::string(what) + " " + ToUtf8(path) + " failed (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

PluginModule::LoadResult PluginModule::Load(const std::wstring& path, IKivoPluginService* service) {
  UniqueModule module(LoadLibraryW(path.c_str()));
  if (!module) return {nullptr, LastErrorText("LoadLibrary", path)};
  const auto create = reinterpret_cast<CreatePluginFn>(
      reinterpret_cast<void*>(GetProcAddress(module.Get(), "CreateNimbraPLUGIN")));
  if (create == nullptr) return {nullptr, ToUtf8(path) + " exports no CreateNimbraPLUGIN"};
  IKivoPlugin* plugin = nullptr;
  create(&plugin, service);
  if (plugin == nullptr) return {nullptr, "CreateNimbraPLUGIN of " + ToUtf8(path) + " returned no plugin"};
  auto loaded = std::make_unique<PluginModule>(Key{}, std::move(module), plugin, path);
  if (loaded->info_ == nullptr) return {nullptr, "GetPluginInfo of " + ToUtf8(path) + " returned no record"};
  loaded->info_->DllHandle = loaded->Handle();
  return {std::move(loaded), {}};
}

PluginModule::PluginModule(Key, UniqueModule module, IKivoPlugin* plugin, std::wstring path)
    : module_(std::move(module)),
      plugin_(plugin),
      info_(plugin->vtbl->GetPluginInfo(plugin)),
      path_(std::move(path)) {}

std::uint32_t PluginModule::ReleasePlugin() {
  if (plugin_ == nullptr) return 0;
  IKivoPlugin* plugin = std::exchange(plugin_, nullptr);
  info_ = nullptr;
  return plugin->vtbl->Release(plugin);
}

void PluginModule::Send(TPluginMessage& message) {
  message.DllHandle = Handle();
  if (plugin_ == nullptr) return;
  plugin_->vtbl->OnHostMessage(plugin_, &message);
}

}  // namespace kivo::host
