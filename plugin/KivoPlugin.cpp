#include "plugin/KivoPlugin.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "feeds/PageComposition.h"
#include "feeds/ReadMarks.h"
#include "lang/LanguageTexts.h"
#include "plugin/OptionsApply.h"
#include "plugin/PluginLog.h"

namespace kivo {

namespace {

constexpr std::size_t kMaxModulePath = 260;

// A zero-terminated UTF-16 text passed by address; 0 reads as empty.
std::u16string_view WideTextAt(TPluginWord address) {
  const auto* text = reinterpret_cast<const char16_t*>(address);
  return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

struct TScreenPoint {
  std::int32_t X;
  std::int32_t Y;
};

TScreenPoint PointAt(TPluginWord address) {
  TScreenPoint point;
  std::memcpy(&point, reinterpret_cast<const void*>(address), sizeof point);
  return point;
}

template <class T>
TPluginWord AddressOf(T& object) {
  return reinterpret_cast<TPluginWord>(&object);
}

}  // namespace

TKivoPlugin::TKivoPlugin(TPluginEnvironment environment) : env_(environment) {}

TKivoPlugin::~TKivoPlugin() {
  Stop();
}

void TKivoPlugin::OnHostMessage(TPluginMessage& message) noexcept {
  const TPluginWord code = message.Code;
  try {
    Dispatch(message);
  } catch (const std::exception& error) {
    LogFailure(code, error.what());
  } catch (...) {
    LogFailure(code, "unknown exception");
  }
}

void TKivoPlugin::Dispatch(TPluginMessage& message) {
  switch (message.Code) {
    case PM_LOAD_INFO:
      FillInfo();
      break;
    case PM_RUN:
      Run();
      break;
    case PM_QUIT:
      SaveAndStop(message.Code);
      break;
    case PM_DISABLE:
      // The stop leaves the contacts to the host; the next enable adds them
      // again, so a disabled plugin takes its own away.
      if (RssData) Contacts.RemoveSpecialContacts();
      SaveAndStop(message.Code);
      break;
    case PM_ENABLE:
      Enable();
      break;
    case PM_SHOW_OPTIONS:
      ShowOptions();
      break;
    case PM_WORD_CHECK:
      CheckWord(message);
      break;
    case PM_WORD_MENU:
      WordMenu(message);
      break;
    case PM_ADD_BUTTONS:
      AddButton();
      break;
    case PM_BUTTON_CLICK:
      ButtonClick(message);
      break;
    case PM_HIDE_WINDOWS:
      HideWindows(message);
      break;
    case PM_TEXT_NOTICE:
      break;  // the host only informs us
    case PM_CONTACT_DRAW:
    case PM_CONTACT_DBLCLICK:
    case PM_CONTACT_MENU:
    case PM_CONTACT_HINT_SIZE:
    case PM_CONTACT_HINT_DRAW:
      Contacts.OnHostMessage(message);
      break;
    default:
      break;
  }
}

void TKivoPlugin::FillInfo() {
  std::u16string path = env_.Platform.ModuleFileName(Info.DllHandle);
  path = path.substr(0, std::min(path.find(u'\0'), kMaxModulePath));
  ModulePath = std::move(path);
  Info.DllPath = ModulePath.c_str();
  Info.ApiVersionMajor = kApiVersionMajor;
  Info.ApiVersionMinor = kApiVersionMinor;
  Info.PluginVersionMajor = kPluginVersionMajor;
  Info.PluginVersionMinor = kPluginVersionMinor;
  Info.PluginName = kPluginName;
  Info.PluginAuthor = kPluginAuthor;
  Settings.PluginPath = PathFromUtf16(ModulePath);
}

void TKivoPlugin::Run() {
  set_lang_russian();
  Start();
  LoadSettingsAtStart();
  if (MainForm) MainForm->TabControl1Change();
  if (MainForm) MainForm->StartItemCacheReads();
}

void TKivoPlugin::Enable() {
  Start();
  LoadSettingsAtStart();
  if (MainForm) MainForm->StartItemCacheReads();
}

// A feed is read at once when it is shown or loaded; the others' item caches
// follow on a worker (StartItemCacheReads), so the messenger does not wait.
void TKivoPlugin::LoadSettingsAtStart() {
  if (!RssData) return;
  TSettingsContext context = SettingsContext();
  context.DeferItemCaches = true;
  kivo::LoadSettings(Settings, *RssData, context);
}

// The objects go even when the save fails: a host that quits unloads us next.
void TKivoPlugin::SaveAndStop(TPluginWord code) {
  bool saved = false;
  try {
    saved = SaveSettings();
  } catch (...) {
    Stop();
    throw;
  }
  Stop();
  if (!saved) LogFailure(code, "settings files could not be written");
}

void TKivoPlugin::Start() {
  SingleContactId = 0;
  if (!Skin) Skin = env_.Factory.CreateSkin();
  if (!MainForm) MainForm = env_.Factory.CreateReaderWindow(Skin.get(), *this);
  if (!RssData) RssData = std::make_unique<TRSS>();
  if (!TrayIcon) TrayIcon = env_.Factory.CreateTrayIcon(*this);
  env_.Platform.CreateFolder(Settings.PluginPath.parent_path() / "Cache");
  HideState.Hidden = false;
  HideState.ReaderVisible = false;
  HideState.OptionsVisible = false;
}

void TKivoPlugin::Stop() {
  FreeOptionsDialogs();
  // No window may outlive the code that draws it: the pop-ups and the X-status
  // dialog go with the rest.
  NotifyWindow.reset();
  ErrorNotifyWindow.reset();
  if (XStatusDialog) XStatusDialog->SetController(nullptr);
  XStatusControl.reset();
  XStatusDialog.reset();
  Contacts.setcount(0);
  unreadByFeed_.clear();
  MainForm.reset();
  Skin.reset();
  RssData.reset();
  TrayIcon.reset();
}

// Each pop-up is made at its first notice and kept until the stop.
void TKivoPlugin::ShowNotification(TNotice notice, const std::string& caption, const std::string& text,
                                   int feed) {
  if (!RssData) return;
  const bool update = notice == TNotice::Update;
  std::unique_ptr<INotifyWindow>& window = update ? NotifyWindow : ErrorNotifyWindow;
  if (update) noticeFeed_ = feed;
  if (!window) {
    window = env_.Factory.CreateNotifyWindow([this, update] {
      if (MainForm) MainForm->ShowOnFeed(update ? noticeFeed_ : -1);
    });
  }
  if (window) window->ShowNotify(caption, text);
}

void TKivoPlugin::ToggleReaderWindow() {
  if (MainForm) MainForm->TrIconDblClick();
}

void TKivoPlugin::ShowReaderWindow() {
  if (MainForm) MainForm->ShowOnFeed(-1);
}

void TKivoPlugin::HideReaderWindow() {
  if (MainForm) MainForm->SetVisible(false);
}

void TKivoPlugin::SetContactCounts(int feed, int unread, int total) {
  const int feeds = RssData ? static_cast<int>(RssData->Channels.size()) : 0;
  if (feed < 0 || feed >= feeds) return;
  Contacts.SetCounts(feed, unread, total);
  unreadByFeed_.resize(static_cast<std::size_t>(feeds), 0);
  unreadByFeed_[static_cast<std::size_t>(feed)] = unread;
  long long sum = 0;
  for (const int count : unreadByFeed_) sum += count;
  if (TrayIcon) TrayIcon->SetUnreadCount(static_cast<int>(std::min<long long>(sum, INT_MAX)));
}

// Created on first use, kept hidden between uses; only a started plugin opens them.
TOptionsController* TKivoPlugin::OptionsDialogs() {
  if (!RssData) return nullptr;
  if (!OptionsControl) {
    TOptionsDialogs dialogs = env_.Factory.CreateOptionsDialogs(*this);
    if (!dialogs.Controller) return nullptr;
    OptionsDialog = std::move(dialogs.Options);
    FeedSettingsDialog = std::move(dialogs.FeedSettings);
    AddressProbe = std::move(dialogs.Probe);
    OptionsControl = std::move(dialogs.Controller);
  }
  return OptionsControl.get();
}

void TKivoPlugin::FreeOptionsDialogs() {
  // The probe posts to the options window: it goes first, once nothing waits for it.
  if (OptionsControl) OptionsControl->Close();
  AddressProbe.reset();
  OptionsDialog.reset();
  FeedSettingsDialog.reset();
  OptionsControl.reset();
}

// Through the reader's options button, so that both take one way.
void TKivoPlugin::ShowOptions() {
  if (MainForm) MainForm->ToolOptionsClick();
}

void TKivoPlugin::OpenOptions() {
  if (TOptionsController* options = OptionsDialogs()) options->Open();
}

void TKivoPlugin::AddNewFeedProc() {
  if (TOptionsController* options = OptionsDialogs()) options->AddFeedCommand();
}

// Made at first use without an owner, hidden and reused after.
void TKivoPlugin::OpenXStatus() {
  if (!RssData) return;
  if (!XStatusDialog) {
    XStatusDialog = env_.Factory.CreateXStatusDialog();
    if (!XStatusDialog) return;
    XStatusControl = std::make_unique<TXStatusController>(*XStatusDialog, *this);
    XStatusDialog->SetController(XStatusControl.get());
  }
  XStatusControl->Open();
}

txstatusstring TKivoPlugin::GetXStatus() {
  TPluginMessage message{};
  message.Code = PM_GET_XSTATUS;
  SendToHost(message);
  return {static_cast<std::int32_t>(message.WParam), std::u16string(WideTextAt(message.LParam)),
          std::u16string(WideTextAt(message.XParam))};
}

void TKivoPlugin::SetXStatus(const txstatusstring& status) {
  TPluginMessage message{};
  message.Code = PM_SET_XSTATUS;
  message.WParam = static_cast<TPluginWord>(status.Index);
  message.LParam = reinterpret_cast<TPluginWord>(status.Title.c_str());
  message.XParam = reinterpret_cast<TPluginWord>(status.Text.c_str());
  SendToHost(message);
}

TOptionsDraft TKivoPlugin::MakeOptionsDraft() {
  return RssData ? kivo::MakeOptionsDraft(Settings, *RssData) : kivo::MakeOptionsDraft(Settings, TRSS());
}

// The contacts go in the mode they were added in; the load of the new
// settings adds them again. When the settings cannot be written, the old
// ones stay, and so do their contacts.
bool TKivoPlugin::ApplyOptions(const TOptionsDraft& draft) {
  if (!RssData) return false;
  Contacts.RemoveSpecialContacts();
  Contacts.setcount(0);
  if (!kivo::ApplyOptions(draft, Settings, *RssData, SettingsContext())) {
    SetUpContacts(*RssData, Settings);
    return false;
  }
  if (MainForm) MainForm->TabControl1Change();
  return true;
}

char TKivoPlugin::DecimalSeparator() const {
  return env_.Locale.DecimalSeparator();
}

std::size_t TKivoPlugin::CacheFolderLength() const {
  return (CacheDir(PluginFolder()) / "x").u16string().size() - 1;
}

bool TKivoPlugin::IsCallWord(TPluginWord wideText) const {
  const std::string word = Utf16ToWin(WideTextAt(wideText));
  return std::any_of(Settings.CallWords.begin(), Settings.CallWords.end(),
                     [&word](const std::string& callWord) { return SameText1251(callWord, word); });
}

void TKivoPlugin::CheckWord(TPluginMessage& message) {
  if (!IsCallWord(message.WParam)) return;
  message.LParam = kCallWordColor;
  message.Result = 1;
}

void TKivoPlugin::WordMenu(TPluginMessage& message) {
  if (!IsCallWord(message.WParam)) return;
  message.Result = 1;
  if (!MainForm || message.LParam == 0) return;
  const TScreenPoint point = PointAt(message.LParam);
  MainForm->PopupMenu1At(point.X, point.Y);
}

void TKivoPlugin::AddButton() {
  if (!Settings.ShowButton) return;
  // One icon serves every button the host is asked for; the host keeps using it.
  if (buttonIcon_ == 0) buttonIcon_ = env_.Platform.LoadButtonIcon();
  const THostString hint = env_.Platform.MakeHostString(WinToUtf16(Lang.lang_plug_show));
  TAddBtnInfo button{buttonIcon_, 0, hint.get()};
  TPluginMessage message{};
  message.Code = PM_ADD_BUTTON;
  message.WParam = AddressOf(button);
  SendToHost(message);
  ButtonId = static_cast<std::int32_t>(message.Result);
}

void TKivoPlugin::ButtonClick(const TPluginMessage& message) {
  if (static_cast<std::int32_t>(message.WParam) != ButtonId || !MainForm) return;
  MainForm->TrIconDblClick();
}

void TKivoPlugin::HideWindows(const TPluginMessage& message) {
  if (message.WParam != 0) {
    HideAll();
  } else {
    RestoreAll();
  }
}

// A second hide before the restore must not forget what the first one hid:
// a window counts as visible when it was at either hide.
void TKivoPlugin::HideAll() {
  const bool again = HideState.Hidden;
  HideState.Hidden = true;
  struct TWindowFlag {
    IPluginWindow* window;
    bool* visible;
  };
  const TWindowFlag windows[] = {
      {MainForm.get(), &HideState.ReaderVisible},
      {OptionsDialog.get(), &HideState.OptionsVisible},
      {FeedSettingsDialog.get(), &HideState.FeedSettingsVisible},
      {NotifyWindow.get(), &HideState.NotifyVisible},
      {ErrorNotifyWindow.get(), &HideState.ErrorNotifyVisible},
      {XStatusDialog.get(), &HideState.XStatusVisible},
  };
  for (const TWindowFlag& flag : windows) *flag.visible = again && *flag.visible;
  for (const auto& [window, visible] : windows) {
    if (!window) continue;
    *visible = *visible || window->Visible();
    window->SetVisible(false);
  }
  HideState.TrayVisible = (again && HideState.TrayVisible) || (TrayIcon && TrayIcon->Visible());
  if (TrayIcon) TrayIcon->SetVisible(false);
}

void TKivoPlugin::RestoreAll() {
  HideState.Hidden = false;
  if (MainForm) MainForm->SetVisible(HideState.ReaderVisible);
  if (OptionsDialog) OptionsDialog->SetVisible(HideState.OptionsVisible);
  if (FeedSettingsDialog) FeedSettingsDialog->SetVisible(HideState.FeedSettingsVisible);
  if (NotifyWindow) NotifyWindow->SetVisible(HideState.NotifyVisible);
  if (ErrorNotifyWindow) ErrorNotifyWindow->SetVisible(HideState.ErrorNotifyVisible);
  if (XStatusDialog) XStatusDialog->SetVisible(HideState.XStatusVisible);
  if (TrayIcon) TrayIcon->SetVisible(HideState.TrayVisible);
}

void TKivoPlugin::SendToHost(TPluginMessage& message) {
  message.DllHandle = Info.DllHandle;
  env_.Host.SendPluginMessage(message);
}

TSettingsContext TKivoPlugin::SettingsContext() {
  TSettingsContext context;
  context.Record = env_.Host.GetSettings(Info.DllHandle);
  context.Window = MainForm.get();
  context.TrayIcon = TrayIcon.get();
  context.ImageDecoder = &env_.Platform.ImageDecoder();
  context.IniPath = IniPathFor(Settings.PluginPath);
  context.PluginFolder = Settings.PluginPath.parent_path();
  context.CacheFolder = CacheDir(context.PluginFolder);
  context.ScreenSize = [this] { return env_.Platform.ScreenSize(); };
  context.Now = [this] { return env_.Clock.Now(); };
  context.DecimalSeparator = env_.Locale.DecimalSeparator();
  // The theme lists only: a page is composed when its feed is first shown as one.
  context.ComposePage = [](TRSS& rss, int i) { MakeFeedThemes(rss, i); };
  context.LoadReadMarks = [](TRSS& rss, int i) { kivo::LoadReadMarks(rss, i); };
  context.SetupContacts = [this](TRSS& rss, const TPluginGlobals& globals) { SetUpContacts(rss, globals); };
  return context;
}

// One entry per feed; the contacts themselves only while they are to be shown.
void TKivoPlugin::SetUpContacts(TRSS& rss, const TPluginGlobals& globals) {
  Contacts.setcount(static_cast<int>(rss.Channels.size()));
  if (globals.ShowContact) Contacts.AddSpecialContacts();
}

void TKivoPlugin::LoadSettings() {
  if (!RssData) return;
  kivo::LoadSettings(Settings, *RssData, SettingsContext());
}

void TKivoPlugin::LoadFeedSettings(int i) {
  if (RssData) kivo::LoadFeedSettings(*RssData, i, SettingsContext());
}

bool TKivoPlugin::SaveSettings() {
  return kivo::SaveSettings(Settings, RssData.get(), SettingsContext());
}

TFilePath TKivoPlugin::LogPath() {
  // Before PM_LOAD_INFO the path is not known yet; the platform still finds the module.
  const TFilePath modulePath = Settings.PluginPath.empty()
                                   ? PathFromUtf16(env_.Platform.ModuleFileName(Info.DllHandle))
                                   : Settings.PluginPath;
  return ChangeFileExt(modulePath, ".log");
}

void TKivoPlugin::LogFailure(TPluginWord code, std::string_view what) noexcept {
  try {
    TPluginLog(LogPath()).Append(FormatLogLine(env_.Clock.Now(), code, what));
  } catch (...) {
    // Nothing is left to report to.
  }
}

}  // namespace kivo
