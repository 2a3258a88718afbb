// The life of one plugin in the host: load, start messages, the service the
// plugin calls, stop and unload, and the settings file around them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "tools/host/HostModel.h"
#include "tools/host/HostService.h"
#include "tools/host/PluginModule.h"
#include "tools/host/SettingsStore.h"

namespace kivo::host {

class IPluginChannel {
 public:
  // Delivers a message to the running plugin; does nothing when none runs.
  virtual void SendToPlugin(TPluginMessage& message) = 0;

 protected:
  ~IPluginChannel() = default;
};

class HostSession final : public IServiceHandler, public IPluginChannel {
 public:
  HostSession(SettingsStore& store, HostModel& model) : store_(store), model_(model) {}
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // Reads the settings file, loads the DLL and sends 1, 2 and 22.
  bool Start(const std::wstring& path, std::string& error);
  // Sends 3, releases and frees the plugin, writes the settings file.
  bool Stop(std::string& error);
  bool Restart(std::string& error);
  // Changes the stored record of the stopped plugin, in the file too.
  bool EditRecord(const std::function<void(SettingsRecord&)>& edit, std::string& error);

  void SendToPlugin(TPluginMessage& message) override;
  bool Running() const { return plugin_ != nullptr; }
  TPluginWord PluginHandle() const { return plugin_ ? plugin_->Handle() : 0; }
  // The path the plugin was last started from.
  const std::wstring& PluginPath() const { return requestedPath_; }
  // The plugin's INI file: its module path with the extension ".ini".
  std::wstring IniPath() const;
  const SettingsRecord* Record() const { return store_.Find(PluginKeyOf(modulePath_)); }

  void* SettingsFor(TPluginWord dllHandle) override;
  void OnPluginMessage(TPluginMessage& message) override { model_.Handle(message); }

 private:
  void SendCode(TPluginWord code);
  void LogPluginInfo();
  void LogLeakedReferences(std::uint32_t pluginCount);

  SettingsStore& store_;
  HostModel& model_;
  HostService service_{*this};
  std::unique_ptr<PluginModule> plugin_;
  std::wstring requestedPath_;
  std::wstring modulePath_;
};

}  // namespace kivo::host
