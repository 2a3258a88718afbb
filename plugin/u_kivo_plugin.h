// The plugin object: the description record the host reads, the dispatch of
// host messages, and the start and stop of the plugin's shared objects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "plugin/PluginHost.h"
#include "plugin/PluginSettings.h"
#include "plugin/Unit_RSSlist.h"
#include "plugin/u_plugin_info.h"
#include "plugin/u_plugin_msg.h"

namespace kivo {

// What PM_HIDE_WINDOWS hid, for the restore.
struct THideState {
  bool Hidden = false;
  bool ReaderVisible = false;
  bool OptionsVisible = false;
  bool FeedSettingsVisible = false;
  bool NotifyVisible = false;
  bool TrayVisible = false;
};

class TKivoPlugin {
 public:
  explicit TKivoPlugin(TPluginEnvironment environment);
  // Frees what a stop frees (without saving), then the notification window.
  ~TKivoPlugin();
  TKivoPlugin(const TKivoPlugin&) = delete;
  TKivoPlugin& operator=(const TKivoPlugin&) = delete;

  TPluginInfo* GetPluginInfo() { return &Info; }
  // Never lets an exception out: a failing handler is logged beside the module
  // and the plugin stays usable; the record keeps what was written until then.
  void OnHostMessage(TPluginMessage& message) noexcept;

  // Fills DllHandle and hands the message to the host.
  void SendToHost(TPluginMessage& message);

  // The load and save sequences over the current objects and settings record.
  void LoadSettings();
  void LoadFeedSettings(int i);
  bool SaveSettings();
  TSettingsContext SettingsContext();

  // One line in the log beside the module; never throws.
  void LogFailure(TPluginWord code, std::string_view what) noexcept;
  std::string LogPath();

  TPluginInfo Info{};
  std::u16string ModulePath;  // DllPath of Info points here
  std::int32_t ButtonId = 0;
  std::int32_t SingleContactId = 0;

  TPluginGlobals Globals;
  THideState HideState;

  // The start objects; null while the plugin is stopped.
  std::unique_ptr<IContactList> Contacts;
  std::unique_ptr<ISkin> Skin;
  std::unique_ptr<IReaderWindow> MainForm;
  std::unique_ptr<TRSS> RssData;
  std::unique_ptr<ITrayIcon> TrayIcon;
  // Created on first use by the windows that open them.
  std::unique_ptr<IPluginWindow> OptionsDialog;
  std::unique_ptr<IPluginWindow> FeedSettingsDialog;
  std::unique_ptr<IPluginWindow> NotifyWindow;

 private:
  void Dispatch(TPluginMessage& message);
  void FillInfo();
  void Run();
  void Enable();
  void SaveAndStop(TPluginWord code);
  void Start();
  void Stop();
  void ShowOptions();
  void CheckWord(TPluginMessage& message);
  void WordMenu(TPluginMessage& message);
  void AddButton();
  void ButtonClick(const TPluginMessage& message);
  void HideWindows(const TPluginMessage& message);
  void HideAll();
  void RestoreAll();
  bool IsCallWord(TPluginWord wideText) const;

  TPluginEnvironment env_;
  TPluginWord buttonIcon_ = 0;
};

// The one plugin object, set by the module entry; windows send host messages
// and reach the shared objects through it.
extern TKivoPlugin* PluginInstance;

}  // namespace kivo
