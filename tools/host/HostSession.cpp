#include "tools/host/HostSession.h"

#include <windows.h>

#include <filesystem>

#include "tools/host/MessageNames.h"
#include "tools/host/Text.h"

namespace kivo::host {
namespace {

std::wstring ModuleFileName(TPluginWord handle) {
  wchar_t buffer[MAX_PATH + 1] = {};
  GetModuleFileNameW(reinterpret_cast<HMODULE>(handle), buffer, MAX_PATH);
  return buffer;
}

}  // namespace

HostSession::~HostSession() {
  std::string ignored;
  Stop(ignored);
}

bool HostSession::Start(const std::wstring& path, std::string& error) {
  if (plugin_) return true;
  if (!store_.Load(error)) return false;
  requestedPath_ = path;
  auto loaded = PluginModule::Load(path, service_.Interface());
  if (!loaded.module) {
    error = loaded.error;
    return false;
  }
  plugin_ = std::move(loaded.module);
  modulePath_ = ModuleFileName(plugin_->Handle());
  SendCode(PM_LOAD_INFO);
  LogPluginInfo();
  SendCode(PM_RUN);
  SendCode(PM_ADD_BUTTONS);
  return true;
}

bool HostSession::Stop(std::string& error) {
  if (!plugin_) return true;
  SendCode(PM_QUIT);
  const std::uint32_t remaining = plugin_->ReleasePlugin();
  plugin_.reset();
  LogLeakedReferences(remaining);
  model_.ForgetPlugin();
  return store_.Save(error);
}

bool HostSession::Restart(std::string& error) {
  return Stop(error) && Start(requestedPath_, error);
}

bool HostSession::EditRecord(const std::function<void(SettingsRecord&)>& edit, std::string& error) {
  if (plugin_ || modulePath_.empty()) {
    error = plugin_ ? "the plugin is running" : "no plugin was started yet";
    return false;
  }
  if (!store_.Load(error)) return false;
  edit(store_.RecordFor(PluginKeyOf(modulePath_)));
  return store_.Save(error);
}

void HostSession::SendToPlugin(TPluginMessage& message) {
  if (!plugin_) return;
  const bool chatty = IsDrawingMessage(message.Code);
  if (!chatty) model_.Log("host> " + DescribeRecord(message));
  plugin_->Send(message);
  if (!chatty) model_.Log("  answer " + DescribeRecord(message));
}

std::wstring HostSession::IniPath() const {
  return std::filesystem::path(modulePath_).replace_extension(L".ini").wstring();
}

void* HostSession::SettingsFor(TPluginWord dllHandle) {
  if (!plugin_ || dllHandle != plugin_->Handle()) {
    model_.Log("GetSettings for unknown module " + Hex(dllHandle));
    return nullptr;
  }
  return store_.RecordFor(PluginKeyOf(modulePath_)).Address();
}

void HostSession::SendCode(TPluginWord code) {
  TPluginMessage message{};
  message.Code = code;
  SendToPlugin(message);
}

void HostSession::LogPluginInfo() {
  const TPluginInfo& info = plugin_->Info();
  model_.Log("loaded \"" + ToUtf8(OleString::TextAt(info.PluginName)) + "\" " +
             std::to_string(info.PluginVersionMajor) + "." + std::to_string(info.PluginVersionMinor) +
             " by \"" + ToUtf8(OleString::TextAt(info.PluginAuthor)) + "\", API " +
             std::to_string(info.ApiVersionMajor) + "." + std::to_string(info.ApiVersionMinor) + ", path \"" +
             ToUtf8(OleString::TextAt(info.DllPath)) + "\"");
}

void HostSession::LogLeakedReferences(std::uint32_t pluginCount) {
  if (pluginCount != 0)
    model_.Log("warning: the plugin object still has " + std::to_string(pluginCount) + " references");
  if (service_.ForeignReferences() != 0) {
    model_.Log("warning: the plugin keeps " + std::to_string(service_.ForeignReferences()) +
               " service references");
  }
}

}  // namespace kivo::host
