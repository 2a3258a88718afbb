// The plugin object: the description record the host reads, the dispatch of
// host messages, and the start and stop of the plugin's shared objects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "feeds/FeedTable.h"
#include "options/OptionsView.h"
#include "plugin/PluginHost.h"
#include "plugin/PluginInfo.h"
#include "plugin/PluginMessages.h"
#include "plugin/PluginSettings.h"

namespace kivo {

// What PM_HIDE_WINDOWS hid, for the restore.
struct THideState {
  bool Hidden = false;
  bool ReaderVisible = false;
  bool OptionsVisible = false;
  bool FeedSettingsVisible = false;
  bool NotifyVisible = false;
  bool ErrorNotifyVisible = false;
  bool XStatusVisible = false;
  bool TrayVisible = false;
};

// The plugin object is also what its windows reach of it: the reader window
// sees the feed table and settings through IReaderHost, the tray icon asks
// for the reader through ITrayIconHost, the options dialog applies its working
// copy through IOptionsHost; the special contacts and the X-status dialog
// reach the host and the reader through it.
class TKivoPlugin final : public IReaderHost,
                          public ITrayIconHost,
                          public IOptionsHost,
                          public IContactsSite,
                          public IXStatusHost {
 public:
  explicit TKivoPlugin(TPluginEnvironment environment);
  // Frees what a stop frees (without saving), then the notification window.
  ~TKivoPlugin() override;
  TKivoPlugin(const TKivoPlugin&) = delete;
  TKivoPlugin& operator=(const TKivoPlugin&) = delete;

  TPluginInfo* GetPluginInfo() { return &Info; }
  // Never lets an exception out: a failing handler is logged beside the module
  // and the plugin stays usable; the record keeps what was written until then.
  void OnHostMessage(TPluginMessage& message) noexcept;

  // SendToHost (IContactsSite) fills DllHandle and hands the message to the host.

  // The load and save sequences over the current objects and settings record.
  void LoadSettings();
  void LoadSettingsAtStart();
  void LoadFeedSettings(int i);
  bool SaveSettings();
  TSettingsContext SettingsContext();

  // One line in the log beside the module; never throws.
  void LogFailure(TPluginWord code, std::string_view what) noexcept;
  TFilePath LogPath();

  TPluginInfo Info{};
  std::u16string ModulePath;  // DllPath of Info points here
  std::int32_t ButtonId = 0;
  std::int32_t SingleContactId = 0;

  TPluginGlobals Settings;  // the process-wide settings
  THideState HideState;

  // IReaderHost.
  TRSS* Feeds() override { return RssData.get(); }
  TPluginGlobals& Globals() override { return Settings; }
  // The tray icon does not blink yet: it always shows its first frame.
  bool TrayBlinking() const override { return TrayIcon && TrayIcon->Blinking(); }
  void SetTrayBlinking(bool blinking) override {
    if (TrayIcon) TrayIcon->SetBlinking(blinking);
  }
  // The pop-up window comes later; until then notices are not shown.
  void ShowNotification(TNotice notice, const std::string& caption, const std::string& text,
                        int feed) override;
  void SetContactNew(int feed, bool hasNew) override { Contacts.SetContactNew(feed, hasNew); }
  // The tray's hint counts the unread themes of every feed; a feed's contact shows its own.
  void SetContactCounts(int feed, int unread, int total) override;
  void ReportFailure(std::string_view what) noexcept override { LogFailure(0, what); }
  std::string PluginAuthor() const override { return Utf16ToWin(kPluginAuthor); }
  // The options button, the host's options message and the tray's options item.
  void OpenOptions() override;
  void OpenXStatus() override;

  // ITrayIconHost.
  void ToggleReaderWindow() override;
  void ShowReaderWindow() override;
  void HideReaderWindow() override;

  // IOptionsHost.
  TOptionsDraft MakeOptionsDraft() override;
  bool ApplyOptions(const TOptionsDraft& draft) override;
  TFilePath PluginFolder() const override { return Settings.PluginPath.parent_path(); }
  char DecimalSeparator() const override;
  std::size_t CacheFolderLength() const override;
  const TBitmap32* FeedIcon(int index) const override {
    return MainForm ? MainForm->FeedIcon(index) : nullptr;
  }

  // IContactsSite.
  void SendToHost(TPluginMessage& message) override;
  const TPluginGlobals& ContactSettings() const override { return Settings; }
  const TRSS* ContactFeeds() const override { return RssData.get(); }
  IReaderWindow* ContactReader() override { return MainForm.get(); }
  bool OptionsVisible() const override { return OptionsDialog && OptionsDialog->Visible(); }
  void AddNewFeedProc() override;
  std::unique_ptr<IContactPainter> PainterOn(TPluginWord deviceContext) override {
    return env_.Platform.PainterOn(deviceContext);
  }
  const TBitmap32* PluginIcon() const override { return env_.Platform.PluginIcon(); }
  const ILocaleFormats& ContactLocale() const override { return env_.Locale; }

  // IXStatusHost.
  txstatusstring GetXStatus() override;
  void SetXStatus(const txstatusstring& status) override;
  std::u16string ReaderStatusText() override { return MainForm ? MainForm->StatusText() : std::u16string(); }

  // The special contacts: entries from start to stop.
  TSpecialContacts Contacts{*this, SingleContactId};

  // The start objects; null while the plugin is stopped.
  std::unique_ptr<tgradientsclass> Skin;
  std::unique_ptr<IReaderWindow> MainForm;
  std::unique_ptr<TRSS> RssData;
  std::unique_ptr<ITrayIcon> TrayIcon;
  // Created on first use by the windows that open them.
  std::unique_ptr<IPluginWindow> OptionsDialog;
  std::unique_ptr<IPluginWindow> FeedSettingsDialog;
  std::unique_ptr<INotifyWindow> NotifyWindow;       // news of the feeds
  std::unique_ptr<INotifyWindow> ErrorNotifyWindow;  // failed loads and saves
  std::unique_ptr<IAddressProbe> AddressProbe;
  std::unique_ptr<TOptionsController> OptionsControl;
  std::unique_ptr<IXStatusView> XStatusDialog;
  std::unique_ptr<TXStatusController> XStatusControl;

 private:
  void Dispatch(TPluginMessage& message);
  void FillInfo();
  void Run();
  void Enable();
  void SaveAndStop(TPluginWord code);
  void SetUpContacts(TRSS& rss, const TPluginGlobals& globals);
  void Start();
  void Stop();
  void ShowOptions();
  TOptionsController* OptionsDialogs();
  void FreeOptionsDialogs();
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
  int noticeFeed_ = -1;            // the feed a click on the update notice opens
  std::vector<int> unreadByFeed_;  // as the reader last counted them
};

}  // namespace kivo
