#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/FilePaths.h"
#include "platform/FileIo.h"
#include "platform/IniFile.h"
#include "plugin/PluginSettings.h"
#include "tests/support/FakeSettingsRecord.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;
namespace off = settings_offset;

class FakeWindow : public IReaderWindowOps {
 public:
  void SetLogoVisible(bool) override {}
  void settabsposition(int position) override { Log("tabs " + std::to_string(position)); }
  void SetCheckNewTimerEnabled(bool enabled) override { Log("timer " + std::to_string(enabled)); }
  TRect GetPlacement() const override { return placement; }
  void SetPlacement(const TRect& rect) override {
    placement = rect;
    Log("place");
  }
  void ClearFeedMenu() override { menu.clear(); }
  void ClearTabs() override { tabs.clear(); }
  void ClearFeedIcons() override {}
  void AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) override {
    menu.push_back(caption + "|" + hint + "|" + std::to_string(tag));
  }
  void AddTab(const std::string& text) override { tabs.push_back(text); }
  void LoadIconOfSite(int index, const TFilePath& path) override {
    Log("icon " + std::to_string(index) + " " + PathTo1251(path.filename()));
  }
  void check_new_grid_count(int feedIndex) override { Log("count " + std::to_string(feedIndex)); }

  bool Saw(const std::string& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }
  void Log(std::string call) { calls.push_back(std::move(call)); }

  TRect placement = TRect::OfSize(0, 0, 800, 600);
  std::vector<std::string> calls;
  std::vector<std::string> menu;
  std::vector<std::string> tabs;
};

class FakeTray : public ITrayIconOps {
 public:
  void SetVisible(bool value) override { visible = value; }
  std::optional<bool> visible;
};

std::vector<int> Rect(const TRect& r) {
  return {r.Left, r.Top, r.Width(), r.Height()};
}

std::vector<std::string> Tags(const tchannels& c) {
  return {c.LinkTag, c.TitleTag, c.ImageTag, c.DescriptionTag, c.PubDateTag, c.CategoryTag};
}

std::vector<bool> Switches(const tchannels& c) {
  return {c.CheckUpdates, c.NotLoadUpdates,  c.NeedHorlines,  c.ShowPanel,      c.LoadImages,
          c.ShowBaloon,   c.CheckDoubleTags, c.CheckExtCheck, c.ShowSpecContact};
}

constexpr TDateTime kNow = 45292.5;  // 01.01.2024 12:00:00

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() {
    fs::create_directories(folder_ / "Cache");
    context_.Record = &record_;
    context_.Window = &window_;
    context_.TrayIcon = &tray_;
    context_.PluginFolder = folder_;
    context_.CacheFolder = folder_ / "Cache";
    context_.IniPath = IniPathFor(folder_ / "KivoRss.dll");
    context_.ScreenSize = [] { return TSize{1280, 1024}; };
    context_.Now = [] { return kNow; };
  }

  void StoreFeeds(const std::u16string& text) {
    record_.bytes[off::kInitialised] = 1;
    record_.strings[off::kFeedList] = text;
  }
  void WriteIni(const std::string& text) { ASSERT_TRUE(WriteFileAtomic(context_.IniPath, text)); }
  TFilePath CachePath(const std::string& name) const { return context_.CacheFolder / PathFrom1251(name); }
  void Load() { LoadSettings(globals_, rss_, context_); }

  testing::TempFolder temp_{"kivo_settings_"};
  const fs::path folder_ = temp_.Path();
  testing::FakeRecord record_;
  FakeWindow window_;
  FakeTray tray_;
  TSettingsContext context_;
  TPluginGlobals globals_;
  TRSS rss_;
};

TEST_F(SettingsTest, FirstRunStoresDefaultsAndCentresTheWindow) {
  Load();
  const std::vector<int> stored(record_.bytes.begin(), record_.bytes.begin() + 10);
  EXPECT_EQ(stored, (std::vector<int>{1, 1, 1, 1, 0, 0, 1, 1, 1, 0}));
  EXPECT_EQ(record_.Int(off::kFontSize), 2);
  EXPECT_EQ(globals_.CallWords, std::vector<std::string>{"rss#"});
  ASSERT_EQ(rss_.High(), 1);
  EXPECT_EQ(rss_.Channels[0].Url, "https://xkcd.com/rss.xml");
  EXPECT_EQ(window_.tabs, (std::vector<std::string>{"xkcd.com|wu", "smbc-comics.com|wu"}));
  EXPECT_EQ(window_.menu[1], "smbc-comics.com|https://www.smbc-comics.com/comic/rss|1");
  EXPECT_EQ(Rect(window_.placement), (std::vector<int>{240, 212, 800, 600}));
  EXPECT_EQ(tray_.visible, true);
  EXPECT_TRUE(window_.Saw("timer 1"));
  EXPECT_TRUE(window_.Saw("icon -1 https___xkcd_com_rss_xml.ico"));
  EXPECT_TRUE(window_.Saw("count 1"));
}

TEST_F(SettingsTest, StoredSettingsAreTakenAsTheyStand) {
  StoreFeeds(u"http://a.ru/rss|A\r\nhttp://b.ru/|B|2\r\njust a name");
  record_.bytes[off::kUseProxy] = 1;
  record_.bytes[off::kCheckForNew] = 0;
  Load();
  EXPECT_EQ(record_.bytes[off::kShowContact], 0) << "defaults are written only on the first run";
  EXPECT_TRUE(globals_.UseProxy);
  EXPECT_EQ(tray_.visible, false);
  EXPECT_TRUE(window_.Saw("timer 0"));
  ASSERT_EQ(rss_.High(), 2);
  EXPECT_EQ(rss_.Channels[1].Title, "B|2") << "the name is everything after the first bar";
  const tchannels& nameOnly = rss_.Channels[2];
  EXPECT_EQ((std::vector<std::string>{nameOnly.Url, nameOnly.Title}),
            (std::vector<std::string>{"", "just a name"}));
  EXPECT_EQ((std::vector<TFilePath>{nameOnly.CacheFile, nameOnly.RawFile}),
            (std::vector<TFilePath>{CachePath(".rss"), CachePath(".xml")}));
}

TEST_F(SettingsTest, TabsPositionOutsideTopAndBottomReadsAsTop) {
  const std::vector<std::pair<std::string, int>> cases = {{"0", 0}, {"1", 1}, {"5", 0}, {"-1", 0}, {"x", 0}};
  for (const auto& [stored, expected] : cases) {
    WriteIni("[Main]\r\nTabs_position=" + stored + "\r\n");
    window_.calls.clear();
    Load();
    EXPECT_EQ(globals_.TabsPosition, expected) << stored;
    EXPECT_TRUE(window_.Saw("tabs " + std::to_string(expected))) << stored;
  }
}

TEST_F(SettingsTest, WithoutHostRecordOnlyTheFeedListIsRebuilt) {
  context_.Record = nullptr;
  WriteIni("[Main]\r\nTabs_position=1\r\nLoad_Logo=0\r\n");
  globals_.FeedLines = {"http://x.org/|X"};
  globals_.CallString = u"a,b";
  globals_.LangIndex = 7;
  Load();
  EXPECT_TRUE(rss_.LoadLogos) << "\"Main\" is read only together with the record";
  EXPECT_EQ(globals_.TabsPosition, 0);
  EXPECT_EQ(globals_.LangIndex, 7);
  EXPECT_FALSE(window_.Saw("place"));
  EXPECT_FALSE(tray_.visible.has_value());
  EXPECT_EQ(globals_.CallWords, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(window_.tabs, std::vector<std::string>{"X|wu"});
}

TEST_F(SettingsTest, PerFeedKeysReadFromTheSectionOfTheCacheName) {
  StoreFeeds(u"https://example.com/feed.php?id=5|E\r\nhttp://plain/|P");
  WriteIni(
      "[https___example_com_feed_php_id_5.rss]\r\n"
      "link=guid\r\ntitle=name\r\nimage=enclosure\r\ndescription=summary\r\npubDate=updated\r\nCategory="
      "tag\r\n"
      "CheckUpdates=1\r\nNotLoadUpdates=7\r\nCheckNewPeriod=5\r\nNeed_horlines=0\r\nShow_Panel=0\r\n"
      "PanelSize=120\r\nnet_file_size=-1\r\nLoad_Images=0\r\nLast_Updated=02.03.2021 04:05:06\r\n"
      "ShowBaloon=0\r\nCheckDoubleTags=0\r\nCheckExtCheck=1\r\nShowSpecContact=0\r\n"
      "[http___plain_.rss]\r\nLast_Updated=yesterday\r\n");
  Load();
  const tchannels& set = rss_.Channels[0];
  EXPECT_EQ(Tags(set), (std::vector<std::string>{"guid", "name", "enclosure", "summary", "updated", "tag"}));
  EXPECT_EQ(Switches(set), (std::vector<bool>{true, true, false, false, false, false, false, true, false}));
  EXPECT_EQ((std::vector<int>{set.CheckNewPeriod, set.PanelSize, set.NetFileSize}),
            (std::vector<int>{5, 120, -1}));
  EXPECT_EQ(DateTimeToText(set.LastUpdated), "02.03.2021 04:05:06");

  const tchannels& plain = rss_.Channels[1];
  EXPECT_EQ(Tags(plain),
            (std::vector<std::string>{"link", "title", "image", "description", "pubDate", "category"}));
  EXPECT_EQ(Switches(plain), (std::vector<bool>{false, false, true, true, true, true, true, false, true}));
  EXPECT_EQ(plain.LastUpdated, kNow) << "an unreadable date reads as now";
}

TEST_F(SettingsTest, ItemCacheLoadsThenPageThenReadMarks) {
  StoreFeeds(u"http://a/|A\r\nhttp://b/|B");
  ASSERT_TRUE(WriteFileAtomic(CachePath("http___a_.rss"), "<myrssnodes>\xC0</myrssnodes>"));
  std::vector<std::string> hooks;
  context_.ComposePage = [&](TRSS& rss, int i) {
    hooks.push_back("page " + std::to_string(i));
    EXPECT_EQ(rss.Channels[i].ItemCacheText, "<myrssnodes>\xC0</myrssnodes>");
  };
  context_.LoadReadMarks = [&](TRSS&, int i) { hooks.push_back("marks " + std::to_string(i)); };
  context_.SetupContacts = [&](TRSS& rss, const TPluginGlobals&) {
    hooks.push_back("contacts " + std::to_string(rss.High()));
  };
  Load();
  EXPECT_EQ(hooks, (std::vector<std::string>{"page 0", "marks 0", "marks 1", "contacts 1"}))
      << "a feed without item cache still loads its marks, or the next save would empty them";
  EXPECT_TRUE(rss_.Channels[1].ItemCacheText.empty());
}

TEST_F(SettingsTest, ReloadReplacesEveryRecord) {
  StoreFeeds(u"http://a/|A");
  Load();
  rss_.Channels[0].Items.resize(3);
  rss_.Channels[0].Run->Loading = true;
  const auto oldState = rss_.Channels[0].Run;
  const auto oldStamp = rss_.Channels[0].Generation;
  Load();
  EXPECT_TRUE(rss_.Channels[0].Items.empty());
  EXPECT_FALSE(rss_.Channels[0].Run->Loading);
  EXPECT_TRUE(oldState->Loading) << "a worker of the old record keeps its own flags";
  EXPECT_NE(rss_.Channels[0].Generation, oldStamp);
  EXPECT_EQ(window_.tabs.size(), 1u);
}

TEST_F(SettingsTest, SaveWritesRecordIniAndReadMarksAndLoadReadsThemBack) {
  StoreFeeds(u"http://a/|A\r\nhttp://b/|B");
  Load();
  globals_.CallString = u"rss#, ";
  globals_.FeedLines = {"http://a/|A", "http://b/|B", "http://c/|C"};
  globals_.ProxyUser = "\xE8\xEC\xFF";
  globals_.FontSize = 3;
  globals_.LangIndex = 2;
  globals_.ShowPopup = false;
  globals_.AccumulateUnread = true;
  globals_.TabsPosition = 1;
  globals_.ShowListContacts = true;
  rss_.LoadLogos = false;
  rss_.Channels[0].ReadMarks = "t1=1\r\n";
  rss_.Channels[1].PanelSize = 77;
  rss_.Channels[1].ShowBaloon = false;
  rss_.Channels[1].LastUpdated = 45000.25;
  window_.placement = TRect::OfSize(30, 40, 900, 700);
  record_.strings[off::kUnused56] = u"stale";

  EXPECT_TRUE(SaveSettings(globals_, &rss_, context_));
  EXPECT_EQ(record_.strings[off::kUnused56], u"");
  EXPECT_EQ(record_.strings[off::kFeedList], u"http://a/|A\r\nhttp://b/|B\r\nhttp://c/|C\r\n");
  EXPECT_EQ(record_.strings[off::kProxyUser], u"имя");
  EXPECT_EQ(ReadFileBytes(CachePath("http___a_.rd")), "t1=1\r\n");
  EXPECT_EQ(ReadFileBytes(CachePath("http___b_.rd")), "") << "a feed without marks still gets its file";
  EXPECT_FALSE(TIniFile(context_.IniPath).ValueExists("http___b_.rss", "link"))
      << "tag names are the options dialog's to write";

  TPluginGlobals again;
  TRSS reloaded;
  window_.placement = TRect::OfSize(0, 0, 800, 600);
  LoadSettings(again, reloaded, context_);
  EXPECT_EQ(again.CallWords, (std::vector<std::string>{"rss#", " "}));
  EXPECT_EQ(again.FeedLines, globals_.FeedLines);
  EXPECT_EQ(again.ProxyUser, globals_.ProxyUser);
  EXPECT_EQ((std::vector<int>{again.FontSize, again.LangIndex, again.TabsPosition}),
            (std::vector<int>{3, 2, 1}));
  EXPECT_EQ((std::vector<bool>{again.ShowPopup, again.AccumulateUnread, again.ShowListContacts,
                               reloaded.LoadLogos}),
            (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(reloaded.Channels[1].PanelSize, 77);
  EXPECT_FALSE(reloaded.Channels[1].ShowBaloon);
  EXPECT_EQ(reloaded.Channels[1].LastUpdated, 45000.25);
  EXPECT_EQ(Rect(window_.placement), (std::vector<int>{30, 40, 900, 700}));
}

// A "]" in a feed's address ended its INI section early, so its settings never
// came back; "<", ">" or a control character kept every file of the feed from
// being written on Windows.
TEST_F(SettingsTest, FeedsWithUnfitAddressesKeepTheirSettingsAndMarks) {
  for (const std::u16string address : {u"http://a/x]y", u"http://a/<b>"}) {
    StoreFeeds(address + u"|F");
    Load();
    SCOPED_TRACE(PathTo1251(rss_.Channels.at(0).CacheFile));
    rss_.Channels[0].PanelSize = 77;
    rss_.Channels[0].ReadMarks = "t=2\r\n";
    EXPECT_TRUE(SaveSettings(globals_, &rss_, context_));
    EXPECT_EQ(ReadFileBytes(ChangeFileExt(rss_.Channels[0].CacheFile, ".rd")), "t=2\r\n");
    TPluginGlobals again;
    TRSS reloaded;
    LoadSettings(again, reloaded, context_);
    EXPECT_EQ(reloaded.Channels.at(0).PanelSize, 77);
  }
}

// Items whose cache write failed were kept only until the stop; the stop's
// save writes them, and leaves alone a cache that was written.
TEST_F(SettingsTest, SaveWritesAnItemCacheLeftUnsavedAndOnlyThat) {
  StoreFeeds(u"http://a/|A\r\nhttp://b/|B");
  Load();
  for (auto& channel : rss_.Channels) channel.ItemCacheText = "<myrssnodes>\xC0</myrssnodes>";
  rss_.Channels[0].ItemCacheUnsaved = true;
  ASSERT_TRUE(WriteFileAtomic(CachePath("http___b_.rss"), "written before"));
  EXPECT_TRUE(SaveSettings(globals_, &rss_, context_));
  EXPECT_EQ(ReadFileBytes(CachePath("http___a_.rss")), "<myrssnodes>\xC0</myrssnodes>");
  EXPECT_FALSE(rss_.Channels[0].ItemCacheUnsaved);
  EXPECT_EQ(ReadFileBytes(CachePath("http___b_.rss")), "written before");
}

// An INI read drops one pair of enclosing quotes; a strong entity tag has its own.
TEST_F(SettingsTest, ValidatorsSurviveTheIniWithTheirQuotesAndAnEmptyOneLeavesNoKey) {
  const std::pair<std::string, std::string> cases[] = {
      {"\"abc\"", "Sat, 01 Jun 2024"}, {"'single'", ""}, {"", ""}};
  for (const auto& [etag, lastModified] : cases) {
    SCOPED_TRACE(etag);
    StoreFeeds(u"http://a/|A");
    Load();
    rss_.Channels[0].ETag = etag;
    rss_.Channels[0].LastModified = lastModified;
    ASSERT_TRUE(SaveSettings(globals_, &rss_, context_));
    EXPECT_EQ(TIniFile(context_.IniPath).ValueExists("http___a_.rss", "ETag"), !etag.empty());
    TPluginGlobals again;
    TRSS reloaded;
    LoadSettings(again, reloaded, context_);
    EXPECT_EQ(std::tie(reloaded.Channels[0].ETag, reloaded.Channels[0].LastModified),
              std::tie(etag, lastModified));
  }
}

TEST_F(SettingsTest, SaveWithoutFeedTableOrRecordTouchesNothingItShouldNot) {
  EXPECT_TRUE(SaveSettings(globals_, nullptr, context_));
  EXPECT_TRUE(record_.strings.empty());
  EXPECT_FALSE(FileExists(context_.IniPath));

  context_.Record = nullptr;
  context_.Window = nullptr;
  rss_.SetCount(1);  // a record never set up has no files to write
  EXPECT_TRUE(SaveSettings(globals_, &rss_, context_));
  EXPECT_TRUE(FileExists(context_.IniPath));
  EXPECT_FALSE(FileExists(fs::path(".rd")));
}

TEST(FeedListText, LineBreaksOfEveryKindSplitAndCrLfJoins) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"a\r\rb", {"a", "", "b"}},
      {"\r\n", {""}},
      {std::string("a\r\nb\0c", 6), {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToLines(c.text), c.lines) << c.text;
  EXPECT_EQ(LinesToText({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(DateTimeText, RoundTripsAndRejectsWhatIsNotADate) {
  EXPECT_EQ(EncodeDateTime(2024, 1, 1, 12, 0, 0), 45292.5);
  EXPECT_EQ(DateTimeToText(-1.25), "29.12.1899 06:00:00");
  EXPECT_EQ(DateTimeToText(45292.0 + 86399.6 / 86400), "02.01.2024 00:00:00");
  EXPECT_EQ(TextToDateTime(DateTimeToText(-1.25)), -1.25);
  struct Case {
    std::string text;
    std::optional<std::string> normalised;
  };
  const std::vector<Case> cases = {
      {"29.02.2024 23:59:59", "29.02.2024 23:59:59"},
      {" 1.2.2020 3:04 ", "01.02.2020 03:04:00"},
      {"01.02.2020", "01.02.2020 00:00:00"},
      {"29.02.2023 00:00:00", std::nullopt},
      {"01.13.2020", std::nullopt},
      {"01.01.2020 24:00:00", std::nullopt},
      {"01.01.2020 10:00:00 extra", std::nullopt},
      {"2020-01-01 10:00:00", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto value = TextToDateTime(c.text);
    EXPECT_EQ(value ? std::optional<std::string>(DateTimeToText(*value)) : std::nullopt, c.normalised)
        << c.text;
  }
}

}  // namespace
}  // namespace kivo
