#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/Text1251.h"
#include "feeds/ItemCacheReads.h"
#include "feeds/ReadMarks.h"
#include "lang/LanguageTexts.h"
#include "platform/FileIo.h"
#include "plugin/KivoPlugin.h"
#include "tests/support/FakeSettingsRecord.h"
#include "tests/support/OptionsTestDoubles.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;
namespace off = settings_offset;

using TEventLog = std::vector<std::string>;

// Logs its end, so a test sees what a stop frees and in which order.
template <class Interface>
class FakeObject : public Interface {
 public:
  FakeObject(TEventLog& log, std::string name) : log(log), name_(std::move(name)) {}
  ~FakeObject() override { log.push_back("free " + name_); }
  TEventLog& log;

 private:
  std::string name_;
};

template <class Interface>
class FakeShown : public FakeObject<Interface> {
 public:
  FakeShown(TEventLog& log, std::string name) : FakeObject<Interface>(log, std::move(name)) {}
  bool Visible() const override { return visible; }
  void SetVisible(bool value) override { visible = value; }
  bool visible = false;
};

using FakeWindow = FakeShown<IPluginWindow>;

// A dialog's view that the hide message can also hide.
template <class TView>
struct FakeDialogWindow : TView, IPluginWindow {
  bool Visible() const override { return this->visible; }
  void SetVisible(bool shown) override { this->visible = shown; }
};

class FakeReaderWindow : public FakeShown<IReaderWindow> {
 public:
  FakeReaderWindow(TEventLog& log, std::string name, IReaderHost& host)
      : FakeShown(log, std::move(name)), host(host) {}
  void SetLogoVisible(bool) override {}
  void settabsposition(int) override {}
  void SetCheckNewTimerEnabled(bool) override {}
  TRect GetPlacement() const override { return TRect::OfSize(0, 0, 700, 500); }
  void SetPlacement(const TRect&) override {}
  void ClearFeedMenu() override {}
  void ClearTabs() override { tabs.clear(); }
  void ClearFeedIcons() override {}
  void AddFeedMenuItem(const std::string&, const std::string&, int) override {}
  void AddTab(const std::string& text) override { tabs.push_back(text); }
  void LoadIconOfSite(int, const TFilePath&) override {}
  void check_new_grid_count(int) override {}
  void TabControl1Change() override { log.push_back("reader TabControl1Change"); }
  void TrIconDblClick() override { visible = !visible; }
  void ToolOptionsClick() override {
    if (failOptions) throw std::runtime_error("options broke");
  }
  void PopupMenu1At(int x, int y) override {
    log.push_back("reader PopupMenu1 at " + std::to_string(x) + "," + std::to_string(y));
  }

  void ShowOnFeed(int feed) override { log.push_back("reader shown on " + std::to_string(feed)); }
  // The worker's reading, done at once.
  void StartItemCacheReads() override {
    TRSS* rss = host.Feeds();
    for (int i = 0; rss && i <= rss->High(); ++i) ReadPendingItemCache(*rss, i);
  }

  IReaderHost& host;
  bool failOptions = false;
  std::vector<std::string> tabs;
};

class FakeNotify : public FakeShown<INotifyWindow> {
 public:
  FakeNotify(TEventLog& log, std::string name, std::function<void()> onAction)
      : FakeShown(log, std::move(name)), onAction(std::move(onAction)) {}
  void ShowNotify(const std::string& caption, const std::string& text) override {
    log.push_back("notice " + caption + ": " + text);
    visible = true;
  }
  std::function<void()> onAction;
};

class FakeXStatusDialog : public FakeShown<IXStatusView> {
 public:
  using FakeShown::FakeShown;
  void SetController(TXStatusController*) override {}
  void SetNumbers(const std::vector<std::u16string>&) override {}
  void SelectNumber(int index) override { selected = index; }
  int SelectedNumber() const override { return selected; }
  void MarkNumberInvalid() override {}
  void SetTitle(const std::u16string& value) override { title = value; }
  std::u16string Title() const override { return title; }
  void SetText(const std::u16string&) override {}
  std::vector<std::u16string> TextLines() const override { return lines; }
  void BringToFront() override {}
  int selected = 0;
  std::u16string title;
  std::vector<std::u16string> lines;
};

// Everything outside the plugin object: the host, the platform, the object
// factory and the clock.
class FakeEnvironment : public IHostService,
                        public IPluginPlatform,
                        public IPluginObjectFactory,
                        public IClock {
 public:
  FakeEnvironment(fs::path folder, TEventLog& log) : folder_(std::move(folder)), log_(log) {}

  ISettingsRecord* GetSettings(TPluginWord dllHandle) override {
    settingsAskedFor = dllHandle;
    return hasRecord ? &record : nullptr;
  }
  void SendPluginMessage(TPluginMessage& message) override {
    if (message.Code == PM_CONTACT_ADD) {
      message.Result = nextContactId;
      contacts.push_back(nextContactId++);
    }
    if (message.Code == PM_CONTACT_REMOVE) {
      const auto found = std::find(contacts.begin(), contacts.end(), message.WParam);
      message.Result = found == contacts.end() ? 1 : 0;
      if (found != contacts.end()) contacts.erase(found);
    }
    if (message.Code == PM_GET_XSTATUS) {
      message.WParam = 3;
      message.LParam = reinterpret_cast<TPluginWord>(xstatusTitle.c_str());
      message.XParam = reinterpret_cast<TPluginWord>(u"");
    }
    if (message.Code == PM_SET_XSTATUS) {
      xstatusSet = {static_cast<std::int32_t>(message.WParam),
                    reinterpret_cast<const char16_t*>(message.LParam),
                    reinterpret_cast<const char16_t*>(message.XParam)};
    }
    if (message.Code == PM_ADD_BUTTON) {
      const auto* button = reinterpret_cast<const TAddBtnInfo*>(message.WParam);
      buttonIcon = button->Icon;
      buttonHint = button->Hint;
      message.Result = nextButtonId++;
    }
    sent.push_back(message);
  }

  std::u16string ModuleFileName(TPluginWord) override { return (folder_ / "KivoRss.dll").u16string(); }
  TSize ScreenSize() override { return {1280, 1024}; }
  void CreateFolder(const TFilePath& path) override {
    createdFolders.push_back(path.Std());
    std::error_code ignored;
    fs::create_directory(path.Std(), ignored);
  }
  TPluginWord LoadButtonIcon() override {
    ++iconLoads;
    return 0x1C0;
  }
  THostString MakeHostString(std::u16string_view text) override {
    auto copy = std::make_shared<std::u16string>(text);
    return THostString(copy, copy->c_str());
  }
  IImageDecoder& ImageDecoder() override { return noDecoder_; }

  std::unique_ptr<tgradientsclass> CreateSkin() override {
    log_.push_back("create skin");
    auto made = std::make_unique<tgradientsclass>(TSkinColors{});
    skin = made.get();
    return made;
  }
  std::unique_ptr<IReaderWindow> CreateReaderWindow(tgradientsclass* readerSkin, IReaderHost& host) override {
    log_.push_back(readerSkin == skin ? "create reader with the skin" : "create reader with another skin");
    readerHost = &host;
    auto window = std::make_unique<FakeReaderWindow>(log_, "reader", host);
    reader = window.get();
    return window;
  }
  std::unique_ptr<ITrayIcon> CreateTrayIcon(ITrayIconHost& host) override {
    log_.push_back("create tray");
    trayHost = &host;
    auto icon = std::make_unique<FakeShown<ITrayIcon>>(log_, "tray");
    tray = icon.get();
    return icon;
  }

  TOptionsDialogs CreateOptionsDialogs(IOptionsHost& host) override {
    ++optionsMade;
    auto view = std::make_unique<FakeDialogWindow<testing::FakeOptionsView>>();
    auto feedView = std::make_unique<FakeDialogWindow<testing::FakeFeedSettingsView>>();
    optionsView = view.get();
    auto controller = std::make_unique<TOptionsController>(*view, *feedView, host);
    return {std::move(view), std::move(feedView), nullptr, std::move(controller)};
  }
  std::unique_ptr<INotifyWindow> CreateNotifyWindow(std::function<void()> onAction) override {
    auto made =
        std::make_unique<FakeNotify>(log_, "pop-up " + std::to_string(notices.size()), std::move(onAction));
    notices.push_back(made.get());
    return made;
  }

  std::unique_ptr<IXStatusView> CreateXStatusDialog() override {
    auto made = std::make_unique<FakeXStatusDialog>(log_, "x-status");
    xstatus = made.get();
    return made;
  }

  std::uint64_t TickMs() override { return 0; }
  TDateTime Now() override { return EncodeDateTime(2024, 5, 1, 12, 30, 0); }

  testing::FakeRecord record;
  bool hasRecord = true;
  TPluginWord settingsAskedFor = 0;
  TPluginWord nextButtonId = 41;
  std::vector<TPluginMessage> sent;
  TPluginWord buttonIcon = 0;
  std::u16string buttonHint;
  std::vector<fs::path> createdFolders;
  int iconLoads = 0;
  tgradientsclass* skin = nullptr;
  FakeReaderWindow* reader = nullptr;
  std::vector<FakeNotify*> notices;
  IReaderHost* readerHost = nullptr;
  FakeShown<ITrayIcon>* tray = nullptr;
  ITrayIconHost* trayHost = nullptr;
  std::vector<TPluginWord> contacts;
  TPluginWord nextContactId = 301;
  std::u16string xstatusTitle;
  txstatusstring xstatusSet;
  FakeXStatusDialog* xstatus = nullptr;
  int optionsMade = 0;
  FakeDialogWindow<testing::FakeOptionsView>* optionsView = nullptr;

 private:
  TNoImageDecoder noDecoder_;
  fs::path folder_;
  TEventLog& log_;
};

constexpr TPluginWord kModuleHandle = 0x10000000;

template <class T>
TPluginWord AddressOf(const T& object) {
  return reinterpret_cast<TPluginWord>(&object);
}

class PluginDispatchTest : public ::testing::Test {
 protected:
  PluginDispatchTest() { plugin_.Info.DllHandle = kModuleHandle; }

  TPluginMessage Send(TPluginWord code, TPluginWord wParam = 0, TPluginWord lParam = 0) {
    TPluginMessage message{code, wParam, lParam, 0, 0, 0};
    plugin_.OnHostMessage(message);
    return message;
  }
  void LoadAndRun() {
    Send(PM_LOAD_INFO);
    Send(PM_RUN);
  }
  std::string LogText() const { return ReadFileBytes(folder_ / "KivoRss.log").value_or("<no log>"); }
  TPluginEnvironment Environment() { return {env_, env_, env_, env_, locale_}; }
  auto Count(const std::string& event) const { return std::count(events_.begin(), events_.end(), event); }

  testing::TempFolder temp_{"kivo_dispatch_"};
  const fs::path folder_ = temp_.Path();
  TEventLog events_;
  FakeEnvironment env_{folder_, events_};
  TFixedLocaleFormats locale_;
  TKivoPlugin plugin_{Environment()};
};

TEST_F(PluginDispatchTest, LoadInfoFillsTheRecordTheHostReads) {
  Send(PM_LOAD_INFO);
  const TPluginInfo& info = *plugin_.GetPluginInfo();
  const fs::path modulePath = folder_ / "KivoRss.dll";
  EXPECT_EQ(info.DllHandle, kModuleHandle);
  ASSERT_NE(info.DllPath, nullptr);
  EXPECT_EQ(std::u16string(info.DllPath), modulePath.u16string());
  EXPECT_EQ(info.ApiVersionMajor * 100 + info.ApiVersionMinor, 105) << "the host refuses other API versions";
  EXPECT_TRUE(info.PluginName && info.PluginAuthor);
  EXPECT_EQ(plugin_.Settings.PluginPath, modulePath);
}

TEST_F(PluginDispatchTest, CodesOutsideTheTableLeaveAllSixFieldsAlone) {
  LoadAndRun();
  env_.sent.clear();  // the start's own contact
  const char16_t notice[] = u"status changed";
  const TPluginWord codes[] = {0, 9, 10, 23, 60, 1000, PM_TEXT_NOTICE};
  for (TPluginWord code : codes) {
    TPluginMessage message{code, AddressOf(notice[0]), 0x22, 0x33, 0x44, 0x55};
    const TPluginMessage before = message;
    plugin_.OnHostMessage(message);
    EXPECT_EQ(std::memcmp(&message, &before, sizeof message), 0) << "code " << code;
  }
  EXPECT_TRUE(env_.sent.empty());
}

TEST_F(PluginDispatchTest, CallWordIsClaimedBlueWithoutRegardToCase) {
  LoadAndRun();
  env_.record.SetWide(off::kCallString, u"\u043d\u043e\u0432\u043e\u0441\u0442\u0438,rss#");
  Send(PM_ENABLE);  // reload: the call words are now the Cyrillic word and "rss#"
  struct Case {
    const char16_t* word;  // null: the host sent no text
    bool claimed;
  };
  const Case cases[] = {
      {u"rss#", true}, {u"RSS#", true},   {u"\u041d\u041e\u0412\u041e\u0421\u0422\u0418", true},
      {u"rss", false}, {u"rss# ", false}, {u"", false},
      {nullptr, false}};
  for (const Case& c : cases) {
    TPluginMessage message{PM_WORD_CHECK, reinterpret_cast<TPluginWord>(c.word), 0x77, 0, 0x99, 0};
    plugin_.OnHostMessage(message);
    SCOPED_TRACE(c.word ? WinToUtf8(Utf16ToWin(c.word)) : "<no text>");
    EXPECT_EQ(message.LParam, c.claimed ? 0x00FF0000u : 0x77u);
    EXPECT_EQ(message.Result, c.claimed ? 1u : 0x99u);
  }
}

TEST_F(PluginDispatchTest, WordMenuPopsUpOnlyForCallWordsAndOnlyWithAWindow) {
  const std::u16string callWord = u"Rss#";
  const std::u16string other = u"news";
  const std::int32_t point[2] = {320, 240};
  Send(PM_LOAD_INFO);
  plugin_.Settings.CallWords = {"rss#"};
  EXPECT_EQ(Send(PM_WORD_MENU, AddressOf(callWord[0]), AddressOf(point[0])).Result, 1u)
      << "the word is claimed even while the reader window does not exist";

  Send(PM_RUN);
  EXPECT_EQ(Send(PM_WORD_MENU, AddressOf(other[0]), AddressOf(point[0])).Result, 0u);
  EXPECT_EQ(Send(PM_WORD_MENU, AddressOf(callWord[0]), AddressOf(point[0])).Result, 1u);
  EXPECT_EQ(Count("reader PopupMenu1 at 320,240"), 1);
}

TEST_F(PluginDispatchTest, StartCreatesInOrderAndStopFreesInOrder) {
  LoadAndRun();
  EXPECT_EQ(events_, (TEventLog{"create skin", "create reader with the skin", "create tray",
                                "reader TabControl1Change"}));
  // The windows reach the plugin through the plugin object itself, not a global.
  EXPECT_EQ(env_.readerHost, &plugin_);
  EXPECT_EQ(env_.trayHost, &plugin_);
  EXPECT_EQ(env_.createdFolders, (std::vector<fs::path>{folder_ / "Cache"}));

  events_.clear();
  plugin_.OptionsDialog = std::make_unique<FakeWindow>(events_, "options");
  plugin_.FeedSettingsDialog = std::make_unique<FakeWindow>(events_, "feed settings");
  plugin_.NotifyWindow = std::make_unique<FakeNotify>(events_, "notify", nullptr);
  Send(PM_QUIT);
  EXPECT_EQ(events_,
            (TEventLog{"free options", "free feed settings", "free notify", "free reader", "free tray"}));
  EXPECT_EQ(plugin_.RssData, nullptr);
  EXPECT_EQ(plugin_.NotifyWindow, nullptr) << "a pop-up drawn by the DLL's code outlived the stop";
}

// One pop-up for news and one for failures, each with its own text; a click
// on the news opens the reader on the first feed it lists.
TEST_F(PluginDispatchTest, NewsAndFailuresHaveAPopUpEachAndNewsOpensItsFeed) {
  plugin_.ShowNotification(TNotice::Error, "Info", "early", -1);  // not started: nothing made
  LoadAndRun();
  events_.clear();
  plugin_.ShowNotification(TNotice::Update, "RSS", "news", 2);
  plugin_.ShowNotification(TNotice::Error, "Info", "failed", 0);
  plugin_.ShowNotification(TNotice::Update, "RSS", "more news", 1);
  ASSERT_EQ(env_.notices.size(), 2u);
  env_.notices[0]->onAction();
  env_.notices[1]->onAction();
  EXPECT_EQ(events_, (TEventLog{"notice RSS: news", "notice Info: failed", "notice RSS: more news",
                                "reader shown on 1", "reader shown on -1"}));
}

TEST_F(PluginDispatchTest, SecondStartCreatesNothingNewButReloadsSettings) {
  LoadAndRun();
  ASSERT_EQ(plugin_.RssData->Channels.size(), 2u) << "first run: the two default feeds";
  plugin_.SingleContactId = 9;
  env_.record.SetWide(off::kFeedList,
                      u"http://a.example/rss|A\r\nhttp://b.example/rss|B\r\nhttp://c.example/rss|C");
  events_.clear();
  Send(PM_ENABLE);
  EXPECT_TRUE(events_.empty()) << events_.front();
  EXPECT_EQ(env_.reader->tabs, (std::vector<std::string>{"A|wu", "B|wu", "C|wu"}));
  EXPECT_EQ(plugin_.SingleContactId, 302) << "forgotten at the start, then the host's new contact";
}

TEST_F(PluginDispatchTest, StartStopStartRebuildsEverythingAndStopsOnce) {
  LoadAndRun();
  Send(PM_DISABLE);
  EXPECT_EQ(plugin_.MainForm, nullptr);
  EXPECT_EQ(plugin_.TrayIcon, nullptr);
  EXPECT_TRUE(fs::exists(folder_ / "KivoRss.ini")) << "the stop saves first";

  events_.clear();
  Send(PM_ENABLE);
  EXPECT_EQ(events_, (TEventLog{"create skin", "create reader with the skin", "create tray"}));
  ASSERT_NE(plugin_.RssData, nullptr);
  EXPECT_EQ(plugin_.RssData->Channels.size(), 2u);
  EXPECT_TRUE(env_.tray->visible) << "the reloaded settings show the tray icon";
  Send(PM_QUIT);
  Send(PM_QUIT);
  EXPECT_EQ(Count("free reader"), 1);
}

TEST_F(PluginDispatchTest, WithoutSettingsRecordTheStartStillBuildsTheObjects) {
  env_.hasRecord = false;
  LoadAndRun();
  EXPECT_EQ(env_.settingsAskedFor, kModuleHandle);
  ASSERT_NE(plugin_.RssData, nullptr);
  EXPECT_TRUE(plugin_.RssData->Channels.empty());
  Send(PM_QUIT);
  EXPECT_EQ(plugin_.MainForm, nullptr);
}

TEST_F(PluginDispatchTest, ButtonTakesTheHostsIdAndOnlyThatIdTogglesTheReader) {
  LoadAndRun();
  env_.sent.clear();
  Send(PM_ADD_BUTTONS);
  ASSERT_EQ(env_.sent.size(), 1u);
  EXPECT_EQ(env_.sent[0].Code, PM_ADD_BUTTON);
  EXPECT_EQ(env_.sent[0].DllHandle, kModuleHandle);
  EXPECT_EQ(env_.buttonIcon, 0x1C0u);
  EXPECT_EQ(env_.buttonHint, WinToUtf16(Lang.lang_plug_show));
  EXPECT_FALSE(env_.buttonHint.empty());
  EXPECT_EQ(plugin_.ButtonId, 41);

  Send(PM_BUTTON_CLICK, 40);
  EXPECT_FALSE(env_.reader->visible);
  Send(PM_BUTTON_CLICK, 41);
  EXPECT_TRUE(env_.reader->visible);

  Send(PM_ADD_BUTTONS);
  EXPECT_EQ(plugin_.ButtonId, 42);
  EXPECT_EQ(env_.iconLoads, 1) << "one icon serves every button";
}

TEST_F(PluginDispatchTest, ButtonSwitchedOffSendsNothingAndKeepsTheId) {
  env_.record.SetByte(off::kInitialised, 1);  // stored settings: every switch off
  LoadAndRun();
  plugin_.ButtonId = 5;
  Send(PM_ADD_BUTTONS);
  EXPECT_TRUE(env_.sent.empty());
  EXPECT_EQ(plugin_.ButtonId, 5);
  EXPECT_EQ(env_.iconLoads, 0);
}

TEST_F(PluginDispatchTest, WindowMessagesWhileStoppedDoNothing) {
  Send(PM_LOAD_INFO);
  for (TPluginWord code : {PM_SHOW_OPTIONS, PM_BUTTON_CLICK, PM_HIDE_WINDOWS}) Send(code, 0);
  Send(PM_HIDE_WINDOWS, 1);
  EXPECT_TRUE(events_.empty());
  EXPECT_FALSE(plugin_.HideState.TrayVisible);
}

// Hiding twice before the restore used to remember the hidden state of the
// second hide, so the restore showed nothing.
TEST_F(PluginDispatchTest, HideThenRestoreReturnsEachVisibilityAlsoAfterASecondHide) {
  LoadAndRun();
  plugin_.OptionsDialog = std::make_unique<FakeWindow>(events_, "options");
  plugin_.NotifyWindow = std::make_unique<FakeNotify>(events_, "notify", nullptr);
  IPluginWindow* windows[] = {env_.reader, plugin_.OptionsDialog.get(), plugin_.NotifyWindow.get()};
  const std::vector<bool> cases[] = {{true, true, true, true},
                                     {false, false, false, false},
                                     {true, false, true, false},
                                     {false, true, false, true}};
  for (const int hides : {1, 2}) {
    for (const std::vector<bool>& shown : cases) {  // reader, options, notify, tray
      for (int i = 0; i < 3; ++i) windows[i]->SetVisible(shown[i]);
      env_.tray->visible = shown[3];
      for (int i = 0; i < hides; ++i) Send(PM_HIDE_WINDOWS, 1);
      EXPECT_TRUE(plugin_.HideState.Hidden);
      for (IPluginWindow* window : windows) EXPECT_FALSE(window->Visible());
      EXPECT_FALSE(env_.tray->visible);

      Send(PM_HIDE_WINDOWS, 0);
      for (int i = 0; i < 3; ++i) EXPECT_EQ(windows[i]->Visible(), shown[i]) << i;
      EXPECT_EQ(env_.tray->visible, shown[3]);
    }
  }
}

TEST_F(PluginDispatchTest, OptionsButtonOpensOneDialogThatHidesWithTheHostAndGoesAtTheStop) {
  LoadAndRun();
  EXPECT_EQ(env_.optionsMade, 0) << "made on first use";
  env_.readerHost->OpenOptions();
  env_.readerHost->OpenOptions();
  ASSERT_EQ(env_.optionsMade, 1);
  ASSERT_NE(plugin_.OptionsControl, nullptr);
  EXPECT_TRUE(plugin_.OptionsControl->IsVisible());
  EXPECT_TRUE(env_.optionsView->visible);

  Send(PM_HIDE_WINDOWS, 1);
  EXPECT_FALSE(env_.optionsView->visible);
  Send(PM_HIDE_WINDOWS, 0);
  EXPECT_TRUE(env_.optionsView->visible);

  plugin_.OptionsControl->Close();
  env_.readerHost->OpenOptions();
  EXPECT_EQ(env_.optionsMade, 1) << "hidden on close, not destroyed";
  Send(PM_DISABLE);
  EXPECT_EQ(plugin_.OptionsControl, nullptr);
  EXPECT_EQ(plugin_.OptionsDialog, nullptr);
  EXPECT_EQ(plugin_.FeedSettingsDialog, nullptr);
  env_.readerHost = nullptr;
  plugin_.OpenOptions();
  EXPECT_EQ(env_.optionsMade, 1) << "a stopped plugin opens nothing";
}

TEST_F(PluginDispatchTest, ExceptionInAHandlerStaysInsideAndIsLoggedBesideTheModule) {
  plugin_.LogFailure(PM_RUN, "early");  // before PM_LOAD_INFO the module path is not known yet
  EXPECT_NE(LogText().find("code 2: early"), std::string::npos);

  LoadAndRun();
  env_.reader->failOptions = true;
  EXPECT_NO_THROW(Send(PM_SHOW_OPTIONS));
  EXPECT_NE(LogText().find("01.05.2024 12:30:00 code 6: options broke\r\n"), std::string::npos) << LogText();
  const std::u16string word = u"rss#";
  EXPECT_EQ(Send(PM_WORD_CHECK, AddressOf(word[0])).Result, 1u) << "the plugin stays usable";
}

TEST_F(PluginDispatchTest, FailingSaveStillStopsAndIsLogged) {
  LoadAndRun();
  env_.record.failWrites = true;
  EXPECT_NO_THROW(Send(PM_QUIT));
  EXPECT_EQ(plugin_.MainForm, nullptr);
  EXPECT_EQ(plugin_.TrayIcon, nullptr);
  EXPECT_NE(LogText().find("code 3: record is read-only"), std::string::npos) << LogText();

  env_.record.failWrites = false;
  Send(PM_RUN);
  EXPECT_NE(plugin_.MainForm, nullptr);
}

// The stop leaves the contacts to the host and every start adds them: a
// disable and enable cycle showed each twice.
TEST_F(PluginDispatchTest, DisableAndEnableLeaveOneSetOfContactsButAQuitLeavesThemToTheHost) {
  env_.record.SetWide(off::kFeedList, u"http://a.example/rss|A\r\nhttp://b.example/rss|B");
  LoadAndRun();
  EXPECT_EQ(env_.contacts, (std::vector<TPluginWord>{301}));
  Send(PM_DISABLE);
  EXPECT_TRUE(env_.contacts.empty());
  Send(PM_ENABLE);
  EXPECT_EQ(env_.contacts, (std::vector<TPluginWord>{302}));
  EXPECT_EQ(Send(PM_CONTACT_HINT_SIZE, 302).LParam, 150u);
  Send(PM_QUIT);
  EXPECT_EQ(env_.contacts.size(), 1u);
}

// Through the system code page every letter outside it became "?".
TEST_F(PluginDispatchTest, XStatusTravelsAsUtf16AndItsDialogGoesAtTheStopAndWithTheHostsHide) {
  LoadAndRun();
  env_.xstatusTitle = u"\u041D\u043E\u0432\u043E\u0441\u0442\u0438 \u2605 \u00E9t\u00E9";
  plugin_.OpenXStatus();
  ASSERT_NE(env_.xstatus, nullptr);
  EXPECT_EQ(env_.xstatus->title, env_.xstatusTitle);
  env_.xstatus->selected = 4;
  env_.xstatus->lines = {u"\u2605"};
  plugin_.XStatusControl->BitBtn1Click();
  EXPECT_EQ(env_.xstatusSet.Index, 4);
  EXPECT_EQ(env_.xstatusSet.Title, env_.xstatusTitle);
  EXPECT_EQ(env_.xstatusSet.Text, u"\u2605\r\n");

  plugin_.OpenXStatus();
  Send(PM_HIDE_WINDOWS, 1);
  EXPECT_FALSE(env_.xstatus->visible);
  Send(PM_HIDE_WINDOWS, 0);
  EXPECT_TRUE(env_.xstatus->visible);
  Send(PM_QUIT);
  EXPECT_EQ(Count("free x-status"), 1);
}

// A start must show the item cache of the last run with its marks, and the
// stop must write those marks back unchanged: the page and the marks are
// what the user left.
TEST_F(PluginDispatchTest, StartComposesCachedFeedsWithTheirMarksAndStopKeepsThem) {
  env_.record.SetWide(off::kFeedList, u"http://a.example/rss|A");
  fs::create_directories(folder_ / "Cache");
  const TFilePath cache = ItemCacheFile(folder_ / "Cache", "http://a.example/rss");
  ASSERT_TRUE(WriteFileAtomic(cache,
                              "<?xml version=\"1.0\" encoding=\"windows-1251\" ?>\r\n<myrssnodes>\r\n"
                              "  <item>\r\n    <title>One</title>\r\n    <date>d1</date>\r\n  </item>\r\n"
                              "  <item>\r\n    <title>Two</title>\r\n  </item>\r\n</myrssnodes>"));
  const std::string marks = "One d1=3\r\nGone=1\r\n";
  ASSERT_TRUE(WriteFileAtomic(ChangeFileExt(cache, ".rd"), marks));

  LoadAndRun();
  const tchannels& feed = plugin_.RssData->Channels.at(0);
  ASSERT_EQ(feed.Items.size(), 2u);
  EXPECT_EQ(feed.Items[0].Mark, 3);
  EXPECT_EQ(feed.Items[1].Mark, 0);
  EXPECT_FALSE(feed.PageComposed) << "a page waits until its feed is shown as one";

  Send(PM_QUIT);
  EXPECT_EQ(ReadFileBytes(ChangeFileExt(cache, ".rd")), marks);
}

// The plugin folder sits in the user's profile and carries the user's name.
// Its path went through windows-1251 and then the system code page, so in such
// a folder the item cache was never found and every save was lost.
TEST(PluginFolderName, CacheMarksAndSettingsComeBackInAFolderOfAnyName) {
  // Cyrillic; letters windows-1251 lacks and some with no 8-bit form at all; plain
  for (const std::u16string name : {u"\u041f\u043b\u0430\u0433\u0438\u043d \u0418\u0432\u0430\u043d",
                                    u"Caf\u00e9 \u63d2\u4ef6", u"Plugins"}) {
    const testing::TempFolder temp{"kivo_folder_"};
    const fs::path folder = temp.Path() / fs::path(name);
    SCOPED_TRACE(folder.string());
    fs::create_directories(folder / "Cache");
    ASSERT_TRUE(WriteFileAtomic(ItemCacheFile(folder / "Cache", "http://a.example/rss"),
                                "<myrssnodes><item><title>One</title><date>d1</date></item></myrssnodes>"));
    TEventLog events;
    FakeEnvironment env{folder, events};
    env.record.SetWide(off::kFeedList, u"http://a.example/rss|A");
    TFixedLocaleFormats locale;
    for (const bool again : {false, true}) {
      TKivoPlugin plugin{{env, env, env, env, locale}};
      plugin.Info.DllHandle = kModuleHandle;
      const auto send = [&plugin](TPluginWord code) {
        TPluginMessage message{code, 0, 0, 0, 0, 0};
        plugin.OnHostMessage(message);
      };
      send(PM_LOAD_INFO);
      send(PM_RUN);
      tchannels& feed = plugin.RssData->Channels.at(0);
      ASSERT_EQ(feed.Items.size(), 1u) << "the item cache was not found";
      if (again) {
        EXPECT_EQ(std::pair(feed.Items[0].Mark, feed.PanelSize), std::pair(3, 77));
      } else {
        SetReadMark(*plugin.RssData, 0, ThemeKey(feed.Items[0]), 3);
        feed.PanelSize = 77;
        send(PM_QUIT);
      }
    }
    EXPECT_FALSE(fs::exists(folder / "KivoRss.log")) << "nothing failed";
  }
}

}  // namespace
}  // namespace kivo
