#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "feeds/TextDecoding.h"
#include "options/UnitLang.h"
#include "platform/FileIo.h"
#include "tests/FakeSettingsRecord.h"
#include "plugin/u_kivo_plugin.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;
namespace off = settings_offset;

using TEventLog = std::vector<std::string>;

using testing::FakeRecord;

struct SentMessage {
  TPluginMessage message;
  std::u16string buttonHint;
  TPluginWord buttonIcon = 0;
};

class FakeHost : public IHostService {
 public:
  ISettingsRecord* GetSettings(TPluginWord dllHandle) override {
    settingsAskedFor = dllHandle;
    return hasRecord ? &record : nullptr;
  }
  void SendPluginMessage(TPluginMessage& message) override {
    SentMessage sent{message, {}, 0};
    if (message.Code == PM_ADD_BUTTON) {
      const auto* button = reinterpret_cast<const TAddBtnInfo*>(message.WParam);
      sent.buttonIcon = button->Icon;
      sent.buttonHint = button->Hint;
      message.Result = nextButtonId++;
    }
    sent.message.Result = message.Result;
    messages.push_back(sent);
  }

  FakeRecord record;
  bool hasRecord = true;
  TPluginWord settingsAskedFor = 0;
  TPluginWord nextButtonId = 41;
  std::vector<SentMessage> messages;
};

class FakePlatform : public IPluginPlatform {
 public:
  explicit FakePlatform(fs::path folder) : folder_(std::move(folder)) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  std::u16string ModuleFileName(TPluginWord) override {
    return WinToUtf16((folder_ / "KivoRss.dll").string());
  }
  TScreenSize ScreenSize() override { return {1280, 1024}; }
  void CreateFolder(const std::string& path) override {
    createdFolders.push_back(path);
    std::error_code ignored;
    fs::create_directory(path, ignored);
  }
  TPluginWord LoadButtonIcon() override {
    ++iconLoads;
    return 0x1C0;
  }
  THostString MakeHostString(std::u16string_view text) override {
    auto copy = std::make_shared<std::u16string>(text);
    return THostString(copy, copy->c_str());
  }
  IImageDecoder* ImageDecoder() override { return nullptr; }

  std::vector<std::string> createdFolders;
  int iconLoads = 0;

 private:
  fs::path folder_;
};

class FakeClock : public IClock {
 public:
  std::uint64_t TickMs() override { return 0; }
  TDateTime Now() override { return EncodeDateTime(2024, 5, 1, 12, 30, 0); }
};

class FakeWindow : public IPluginWindow {
 public:
  FakeWindow(std::string name, TEventLog& log, bool visible)
      : name_(std::move(name)), log_(log), visible_(visible) {}
  ~FakeWindow() override { log_.push_back("free " + name_); }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }

 private:
  std::string name_;
  TEventLog& log_;
  bool visible_;
};

class FakeReaderWindow : public IReaderWindow {
 public:
  explicit FakeReaderWindow(TEventLog& log) : log_(log) {}
  ~FakeReaderWindow() override { log_.push_back("free reader"); }

  void SetLogoVisible(bool) override {}
  void settabsposition(int) override {}
  void SetCheckNewTimerEnabled(bool) override {}
  TWindowRect GetPlacement() const override { return placement; }
  void SetPlacement(const TWindowRect& rect) override { placement = rect; }
  void ClearFeedMenu() override {}
  void ClearTabs() override { tabs.clear(); }
  void ClearFeedIcons() override {}
  void AddFeedMenuItem(const std::string&, const std::string&, int) override {}
  void AddTab(const std::string& text) override { tabs.push_back(text); }
  void LoadIconOfSite(int, const std::string&) override {}
  void check_new_grid_count(int) override {}

  bool Visible() const override { return visible; }
  void SetVisible(bool value) override { visible = value; }
  void TabControl1Change() override { log_.push_back("reader TabControl1Change"); }
  void TrIconDblClick() override { visible = !visible; }
  void ToolOptionsClick() override {
    if (failOptions) throw std::runtime_error("options broke");
    log_.push_back("reader ToolOptionsClick");
  }
  void PopupMenu1At(int x, int y) override {
    log_.push_back("reader PopupMenu1 at " + std::to_string(x) + "," + std::to_string(y));
  }

  bool visible = false;
  bool failOptions = false;
  TWindowRect placement{0, 0, 700, 500};
  std::vector<std::string> tabs;

 private:
  TEventLog& log_;
};

class FakeTray : public ITrayIcon {
 public:
  explicit FakeTray(TEventLog& log) : log_(log) {}
  ~FakeTray() override { log_.push_back("free tray"); }
  void SetVisible(bool value) override { visible = value; }
  bool Visible() const override { return visible; }
  bool visible = false;

 private:
  TEventLog& log_;
};

class FakeSkin : public ISkin {
 public:
  explicit FakeSkin(TEventLog& log) : log_(log) {}
  ~FakeSkin() override { log_.push_back("free skin"); }

 private:
  TEventLog& log_;
};

class FakeContacts : public IContactList {
 public:
  explicit FakeContacts(TEventLog& log) : log_(log) {}
  ~FakeContacts() override { log_.push_back("free contacts"); }

 private:
  TEventLog& log_;
};

class FakeFactory : public IPluginObjectFactory {
 public:
  explicit FakeFactory(TEventLog& log) : log_(log) {}
  std::unique_ptr<IContactList> CreateContacts() override {
    log_.push_back("create contacts");
    return std::make_unique<FakeContacts>(log_);
  }
  std::unique_ptr<ISkin> CreateSkin() override {
    log_.push_back("create skin");
    return std::make_unique<FakeSkin>(log_);
  }
  std::unique_ptr<IReaderWindow> CreateReaderWindow() override {
    log_.push_back("create reader");
    auto window = std::make_unique<FakeReaderWindow>(log_);
    reader = window.get();
    return window;
  }
  std::unique_ptr<ITrayIcon> CreateTrayIcon(IReaderWindow& readerWindow) override {
    log_.push_back(&readerWindow == reader ? "create tray of the reader" : "create tray of another window");
    auto tray = std::make_unique<FakeTray>(log_);
    this->tray = tray.get();
    return tray;
  }

  FakeReaderWindow* reader = nullptr;
  FakeTray* tray = nullptr;

 private:
  TEventLog& log_;
};

class FakeContactsHandler : public IContactsHandler {
 public:
  void OnContactMessage(TKivoPlugin&, TPluginMessage& message) override { codes.push_back(message.Code); }
  std::vector<TPluginWord> codes;
};

constexpr TPluginWord kModuleHandle = 0x10000000;

TPluginMessage Message(TPluginWord code, TPluginWord wParam = 0, TPluginWord lParam = 0) {
  return TPluginMessage{code, wParam, lParam, 0, 0, 0};
}

template <class T>
TPluginWord AddressOf(const T& object) {
  return reinterpret_cast<TPluginWord>(&object);
}

class PluginDispatchTest : public ::testing::Test {
 protected:
  PluginDispatchTest()
      : folder_(fs::temp_directory_path() /
                ("kivo_dispatch_" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        platform_(folder_),
        factory_(events_),
        plugin_(TPluginEnvironment{host_, platform_, factory_, contacts_, clock_, locale_}) {
    plugin_.Info.DllHandle = kModuleHandle;
  }
  ~PluginDispatchTest() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  TPluginMessage Send(TPluginWord code, TPluginWord wParam = 0, TPluginWord lParam = 0) {
    TPluginMessage message = Message(code, wParam, lParam);
    plugin_.OnHostMessage(message);
    return message;
  }
  void LoadAndRun() {
    Send(PM_LOAD_INFO);
    Send(PM_RUN);
  }
  std::string LogText() const {
    return ReadFileBytes((folder_ / "KivoRss.log").string()).value_or("<no log>");
  }

  fs::path folder_;
  TEventLog events_;
  FakeHost host_;
  FakePlatform platform_;
  FakeFactory factory_;
  FakeContactsHandler contacts_;
  FakeClock clock_;
  TFixedLocaleFormats locale_;
  TKivoPlugin plugin_;
};

TEST_F(PluginDispatchTest, LoadInfoFillsTheRecordTheHostReads) {
  Send(PM_LOAD_INFO);
  const TPluginInfo& info = *plugin_.GetPluginInfo();
  const std::string modulePath = (folder_ / "KivoRss.dll").string();
  EXPECT_EQ(info.DllHandle, kModuleHandle);
  ASSERT_NE(info.DllPath, nullptr);
  EXPECT_EQ(std::u16string(info.DllPath), WinToUtf16(modulePath));
  EXPECT_EQ(info.ApiVersionMajor, 1);
  EXPECT_EQ(info.ApiVersionMinor, 5);
  EXPECT_EQ(info.PluginVersionMajor, 2);
  EXPECT_EQ(info.PluginVersionMinor, 7);
  EXPECT_EQ(std::u16string(info.PluginName), u"RSS Reader For Kivo Nimbra");
  EXPECT_EQ(std::u16string(info.PluginAuthor), u"Dorvan");
  EXPECT_EQ(plugin_.Globals.PluginPath, modulePath);
}

TEST_F(PluginDispatchTest, CodesOutsideTheTableLeaveAllSixFieldsAlone) {
  LoadAndRun();
  const char16_t notice[] = u"status changed";
  const TPluginWord codes[] = {0, 9, 10, 23, 60, 1000, PM_TEXT_NOTICE};
  for (TPluginWord code : codes) {
    TPluginMessage message{code, AddressOf(notice[0]), 0x22, 0x33, 0x44, 0x55};
    const TPluginMessage before = message;
    plugin_.OnHostMessage(message);
    EXPECT_EQ(std::memcmp(&message, &before, sizeof message), 0) << "code " << code;
  }
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(contacts_.codes.empty());
}

TEST_F(PluginDispatchTest, CallWordIsClaimedBlueWithoutRegardToCase) {
  LoadAndRun();
  host_.record.SetWide(off::kCallString, u"\u043d\u043e\u0432\u043e\u0441\u0442\u0438,rss#");
  Send(PM_ENABLE);  // reload: the call words are now the Cyrillic word and "rss#"
  struct Case {
    const char16_t* word;  // null: the host sent no text
    bool claimed;
  };
  const Case cases[] = {
      {u"rss#", true},
      {u"RSS#", true},
      {u"\u041d\u041e\u0412\u041e\u0421\u0422\u0418", true},  // the Cyrillic word in capitals
      {u"rss", false},
      {u"rss# ", false},
      {u"", false},
      {nullptr, false},
  };
  for (const Case& c : cases) {
    TPluginMessage message{PM_WORD_CHECK, reinterpret_cast<TPluginWord>(c.word), 0x77, 0, 0x99, 0};
    plugin_.OnHostMessage(message);
    const std::string label = c.word ? WinToUtf8(Utf16ToWin(c.word)) : "<no text>";
    EXPECT_EQ(message.LParam, c.claimed ? 0x00FF0000u : 0x77u) << label;
    EXPECT_EQ(message.Result, c.claimed ? 1u : 0x99u) << label;
  }
}

TEST_F(PluginDispatchTest, WordMenuPopsUpOnlyForCallWordsAndOnlyWithAWindow) {
  const std::u16string callWord = u"Rss#";
  const std::u16string other = u"news";
  const std::int32_t point[2] = {320, 240};
  Send(PM_LOAD_INFO);
  plugin_.Globals.CallWords = {"rss#"};
  EXPECT_EQ(Send(PM_WORD_MENU, AddressOf(callWord[0]), AddressOf(point[0])).Result, 1u)
      << "the word is claimed even while the reader window does not exist";

  Send(PM_RUN);
  EXPECT_EQ(Send(PM_WORD_MENU, AddressOf(other[0]), AddressOf(point[0])).Result, 0u);
  EXPECT_EQ(Send(PM_WORD_MENU, AddressOf(callWord[0]), AddressOf(point[0])).Result, 1u);
  EXPECT_EQ(std::count(events_.begin(), events_.end(), "reader PopupMenu1 at 320,240"), 1);
}

TEST_F(PluginDispatchTest, StartCreatesInOrderAndStopFreesInOrder) {
  LoadAndRun();
  EXPECT_EQ(events_, (TEventLog{"create contacts", "create skin", "create reader",
                                "create tray of the reader", "reader TabControl1Change"}));
  EXPECT_NE(plugin_.RssData, nullptr);
  EXPECT_EQ(platform_.createdFolders, (std::vector<std::string>{(folder_ / "Cache").string()}));

  events_.clear();
  plugin_.OptionsDialog = std::make_unique<FakeWindow>("options", events_, true);
  plugin_.FeedSettingsDialog = std::make_unique<FakeWindow>("feed settings", events_, false);
  plugin_.NotifyWindow = std::make_unique<FakeWindow>("notify", events_, false);
  Send(PM_QUIT);
  EXPECT_EQ(events_, (TEventLog{"free options", "free feed settings", "free reader", "free skin", "free tray",
                                "free contacts"}));
  EXPECT_EQ(plugin_.RssData, nullptr);
  EXPECT_NE(plugin_.NotifyWindow, nullptr) << "the notification window outlives a stop";
}

TEST_F(PluginDispatchTest, SecondStartCreatesNothingNewButReloadsSettings) {
  LoadAndRun();
  IReaderWindow* reader = plugin_.MainForm.get();
  ITrayIcon* tray = plugin_.TrayIcon.get();
  ASSERT_EQ(plugin_.RssData->Channels.size(), 2u) << "first run: the two default feeds";
  plugin_.SingleContactId = 9;

  host_.record.SetWide(off::kFeedList,
                       u"http://a.example/rss|A\r\nhttp://b.example/rss|B\r\nhttp://c.example/rss|C");
  events_.clear();
  Send(PM_ENABLE);
  EXPECT_TRUE(events_.empty()) << events_.front();
  EXPECT_EQ(plugin_.MainForm.get(), reader);
  EXPECT_EQ(plugin_.TrayIcon.get(), tray);
  EXPECT_EQ(plugin_.RssData->Channels.size(), 3u);
  EXPECT_EQ(factory_.reader->tabs, (std::vector<std::string>{"A|wu", "B|wu", "C|wu"}));
  EXPECT_EQ(plugin_.SingleContactId, 0);
}

TEST_F(PluginDispatchTest, StartStopStartRebuildsEverything) {
  LoadAndRun();
  Send(PM_DISABLE);
  EXPECT_EQ(plugin_.MainForm, nullptr);
  EXPECT_EQ(plugin_.TrayIcon, nullptr);
  EXPECT_EQ(plugin_.Contacts, nullptr);
  EXPECT_EQ(plugin_.Skin, nullptr);
  EXPECT_TRUE(fs::exists(folder_ / "KivoRss.ini")) << "the stop saves first";

  events_.clear();
  Send(PM_ENABLE);
  EXPECT_EQ(events_,
            (TEventLog{"create contacts", "create skin", "create reader", "create tray of the reader"}));
  ASSERT_NE(plugin_.RssData, nullptr);
  EXPECT_EQ(plugin_.RssData->Channels.size(), 2u);
  EXPECT_TRUE(factory_.tray->visible) << "the reloaded settings show the tray icon";
  Send(PM_QUIT);
  Send(PM_QUIT);  // a stop while stopped frees nothing twice
  EXPECT_EQ(std::count(events_.begin(), events_.end(), "free reader"), 1);
}

TEST_F(PluginDispatchTest, WithoutSettingsRecordTheStartStillBuildsTheObjects) {
  host_.hasRecord = false;
  LoadAndRun();
  EXPECT_EQ(host_.settingsAskedFor, kModuleHandle);
  ASSERT_NE(plugin_.RssData, nullptr);
  EXPECT_TRUE(plugin_.RssData->Channels.empty());
  Send(PM_QUIT);
  EXPECT_EQ(plugin_.MainForm, nullptr);
}

TEST_F(PluginDispatchTest, ButtonOffSendsNothingAndKeepsTheId) {
  host_.record.SetByte(off::kInitialised, 1);  // stored settings: every switch off
  LoadAndRun();
  ASSERT_FALSE(plugin_.Globals.ShowButton);
  plugin_.ButtonId = 5;
  Send(PM_ADD_BUTTONS);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(plugin_.ButtonId, 5);
  EXPECT_EQ(platform_.iconLoads, 0);
}

TEST_F(PluginDispatchTest, AddButtonSendsIconAndHintAndKeepsTheHostsId) {
  LoadAndRun();
  Send(PM_ADD_BUTTONS);
  ASSERT_EQ(host_.messages.size(), 1u);
  const SentMessage& sent = host_.messages[0];
  EXPECT_EQ(sent.message.Code, PM_ADD_BUTTON);
  EXPECT_EQ(sent.message.DllHandle, kModuleHandle);
  EXPECT_EQ(sent.buttonIcon, 0x1C0u);
  EXPECT_EQ(sent.buttonHint, WinToUtf16(Lang.lang_plug_show));
  EXPECT_FALSE(sent.buttonHint.empty());
  EXPECT_EQ(plugin_.ButtonId, 41);

  Send(PM_ADD_BUTTONS);
  EXPECT_EQ(plugin_.ButtonId, 42);
  EXPECT_EQ(platform_.iconLoads, 1) << "one icon serves every button";
}

TEST_F(PluginDispatchTest, ButtonClickTogglesTheReaderOnlyForOurButton) {
  LoadAndRun();
  Send(PM_ADD_BUTTONS);
  Send(PM_BUTTON_CLICK, 40);
  EXPECT_FALSE(factory_.reader->visible);
  Send(PM_BUTTON_CLICK, 41);
  EXPECT_TRUE(factory_.reader->visible);
  Send(PM_BUTTON_CLICK, 41);
  EXPECT_FALSE(factory_.reader->visible);
}

TEST_F(PluginDispatchTest, WindowMessagesWhileStoppedDoNothing) {
  Send(PM_LOAD_INFO);
  plugin_.ButtonId = 0;
  const TPluginWord codes[] = {PM_SHOW_OPTIONS, PM_BUTTON_CLICK, PM_HIDE_WINDOWS};
  for (TPluginWord code : codes) Send(code, 0);
  Send(PM_HIDE_WINDOWS, 1);
  EXPECT_TRUE(events_.empty());
  EXPECT_FALSE(plugin_.HideState.TrayVisible);
}

TEST_F(PluginDispatchTest, HideThenRestoreReturnsEachVisibility) {
  struct Case {
    bool reader, options, notify, tray;
  };
  const Case cases[] = {
      {true, true, true, true},
      {false, false, false, false},
      {true, false, true, false},  // tray icon hidden at the hide
      {false, true, false, true},
  };
  LoadAndRun();
  plugin_.OptionsDialog = std::make_unique<FakeWindow>("options", events_, false);
  plugin_.NotifyWindow = std::make_unique<FakeWindow>("notify", events_, false);
  IPluginWindow* options = plugin_.OptionsDialog.get();
  IPluginWindow* notify = plugin_.NotifyWindow.get();
  for (const Case& c : cases) {
    factory_.reader->visible = c.reader;
    options->SetVisible(c.options);
    notify->SetVisible(c.notify);
    factory_.tray->visible = c.tray;

    Send(PM_HIDE_WINDOWS, 1);
    EXPECT_TRUE(plugin_.HideState.Hidden);
    EXPECT_FALSE(factory_.reader->visible);
    EXPECT_FALSE(options->Visible());
    EXPECT_FALSE(notify->Visible());
    EXPECT_FALSE(factory_.tray->visible);

    Send(PM_HIDE_WINDOWS, 0);
    EXPECT_EQ(factory_.reader->visible, c.reader);
    EXPECT_EQ(options->Visible(), c.options);
    EXPECT_EQ(notify->Visible(), c.notify);
    EXPECT_EQ(factory_.tray->visible, c.tray);
  }
}

TEST_F(PluginDispatchTest, ExceptionInAHandlerStaysInsideAndIsLogged) {
  LoadAndRun();
  factory_.reader->failOptions = true;
  EXPECT_NO_THROW(Send(PM_SHOW_OPTIONS));
  EXPECT_NE(LogText().find("01.05.2024 12:30:00 code 6: options broke\r\n"), std::string::npos) << LogText();

  const std::u16string word = u"rss#";
  EXPECT_EQ(Send(PM_WORD_CHECK, AddressOf(word[0])).Result, 1u) << "the plugin stays usable";
}

TEST_F(PluginDispatchTest, FailingSaveStillStopsAndIsLogged) {
  LoadAndRun();
  host_.record.failWrites = true;
  EXPECT_NO_THROW(Send(PM_QUIT));
  EXPECT_EQ(plugin_.MainForm, nullptr);
  EXPECT_EQ(plugin_.TrayIcon, nullptr);
  EXPECT_NE(LogText().find("code 3: record is read-only"), std::string::npos) << LogText();

  host_.record.failWrites = false;
  Send(PM_RUN);
  EXPECT_NE(plugin_.MainForm, nullptr);
}

TEST_F(PluginDispatchTest, FailureBeforeLoadInfoIsLoggedBesideTheModule) {
  plugin_.LogFailure(PM_RUN, "early");
  EXPECT_NE(LogText().find("code 2: early"), std::string::npos);
}

TEST_F(PluginDispatchTest, ContactMessagesReachTheContactsHandler) {
  LoadAndRun();
  for (TPluginWord code : {PM_CONTACT_DRAW, PM_CONTACT_DBLCLICK, PM_CONTACT_MENU, PM_CONTACT_HINT_SIZE,
                           PM_CONTACT_HINT_DRAW, TPluginWord{54}, TPluginWord{57}}) {
    Send(code);
  }
  EXPECT_EQ(contacts_.codes, (std::vector<TPluginWord>{51, 52, 53, 58, 59}));
}

TEST_F(PluginDispatchTest, PluginInstanceIsClearedWithItsObject) {
  {
    TKivoPlugin other(TPluginEnvironment{host_, platform_, factory_, contacts_, clock_, locale_});
    PluginInstance = &other;
  }
  EXPECT_EQ(PluginInstance, nullptr);
}

}  // namespace
}  // namespace kivo

namespace kivo {
namespace {

// A start must show the item cache of the last run with its marks, and the
// stop must write those marks back unchanged: the page and the marks are
// what the user left.
TEST_F(PluginDispatchTest, StartComposesCachedFeedsWithTheirMarksAndStopKeepsThem) {
  host_.record.SetWide(off::kFeedList, u"http://a.example/rss|A");
  fs::create_directories(folder_ / "Cache");
  const std::string base = (folder_ / "Cache" / MakeCacheName("http://a.example/rss")).string();
  ASSERT_TRUE(WriteFileAtomic(base + ".rss",
                              "<?xml version=\"1.0\" encoding=\"windows-1251\" ?>\r\n<myrssnodes>\r\n"
                              "  <item>\r\n    <title>One</title>\r\n    <date>d1</date>\r\n  </item>\r\n"
                              "  <item>\r\n    <title>Two</title>\r\n  </item>\r\n</myrssnodes>"));
  const std::string marks = "One d1=3\r\nGone=1\r\n";
  ASSERT_TRUE(WriteFileAtomic(base + ".rd", marks));

  LoadAndRun();
  const tchannels& feed = plugin_.RssData->Channels.at(0);
  ASSERT_EQ(feed.Items.size(), 2u);
  EXPECT_EQ(feed.Items[0].Mark, 3);
  EXPECT_EQ(feed.Items[1].Mark, 0);
  EXPECT_NE(feed.PageHtml.find("<div><b>One</b></div>"), std::string::npos);

  Send(PM_QUIT);
  EXPECT_EQ(ReadFileBytes(base + ".rd"), marks);
}

}  // namespace
}  // namespace kivo
