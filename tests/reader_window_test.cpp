#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "feeds/FeedMessages.h"
#include "lang/LanguageTexts.h"
#include "platform/FileIo.h"
#include "reader/ReaderInfo.h"
#include "reader/ReaderWindow.h"
#include "tests/support/FeedTestDoubles.h"
#include "tests/support/ReaderTestDoubles.h"
#include "tests/support/ReaderWindowFixture.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

TEST_F(ReaderWindowTest, ThemeLeftWithinThreeSecondsStaysUnreadAndTheOneKeptBecomesRead) {
  AddFeed("A", {{u"one", 0}, {u"two", 0}});
  TReaderWindow& window = Open();
  Select(1);
  Select(2);  // the user moves on before Timer1 fires
  EXPECT_EQ(view_.timerStarts[TReaderTimer::Timer1], 2) << "restarted, not left running";
  window.Timer1Timer();
  EXPECT_EQ(Marks(), (std::vector<int>{0, 1}));
  EXPECT_FALSE(window.StringGrid1DrawCell(1, 2, false).Bold);
  EXPECT_TRUE(window.StringGrid1DrawCell(1, 1, false).Bold);
  EXPECT_FALSE(view_.TimerRunning(TReaderTimer::Timer1));
}

TEST_F(ReaderWindowTest, PendingReadMarkDoesNotHitTheThemeOfTheNextTab) {
  AddFeed("A", {{u"a", 0}});
  AddFeed("B", {{u"b", 0}}, false);
  TReaderWindow& window = Open();
  Select(1);
  window.SelectTab(1);
  EXPECT_FALSE(view_.TimerRunning(TReaderTimer::Timer1));
  EXPECT_EQ(Marks(1), std::vector<int>{0});
}

TEST_F(ReaderWindowTest, MarkCommandsChooseTheMarkAsTheMenuRulesSay) {
  struct Case {
    int before, tag, after;  // tags: N8 1, N9 0, N14 2, N18 3, N19 4
  };
  const Case cases[] = {{1, 1, 1}, {0, 1, 1}, {0, 0, 1}, {1, 0, 0},
                        {2, 2, 1}, {0, 2, 2}, {3, 4, 4}, {4, 4, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.before << " with tag " << c.tag);
    rss_.Channels.clear();
    AddFeed("A", {{u"t", c.before}});
    TReaderWindow& window = Open();
    view_.StopTimer(TReaderTimer::Timer1);
    window.N8Click(c.tag);
    EXPECT_EQ(Marks()[0], c.after);
    EXPECT_FALSE(view_.TimerRunning(TReaderTimer::Timer1)) << "a stopped Timer1 stays stopped";
  }
}

TEST_F(ReaderWindowTest, MarkAllLeavesColouredThemesAlone) {
  AddFeed("A", {{u"a", 0}, {u"b", 1}, {u"c", 2}, {u"d", 3}, {u"e", 4}});
  TReaderWindow& window = Open();
  Select(1);
  window.N11Click(1);
  EXPECT_EQ(Marks(), (std::vector<int>{1, 1, 2, 3, 4}));
  window.N11Click(0);
  EXPECT_EQ(Marks(), (std::vector<int>{0, 0, 2, 3, 4}));
  EXPECT_TRUE(view_.TimerRunning(TReaderTimer::Timer1)) << "a running Timer1 keeps running";
}

TEST_F(ReaderWindowTest, MarksAreSavedAMinuteAfterTheFirstChangeAndAtTheStop) {
  AddFeed("A", {{u"one", 0}, {u"two", 0}});
  TReaderWindow& window = Open();
  window.N8Click(2);
  window.N8Click(4);
  EXPECT_EQ(view_.timerStarts[TReaderTimer::TimerSaveReaded], 1) << "not restarted by each change";
  window.TimerSaveReadedTimer();
  EXPECT_EQ(ReadFileBytes(dir_.File("f0.rd")), "one D=4\r\n");
  EXPECT_FALSE(view_.TimerRunning(TReaderTimer::TimerSaveReaded));
  Select(2);
  window.N8Click(1);
  window_.reset();
  EXPECT_EQ(ReadFileBytes(dir_.File("f0.rd")), "one D=4\r\ntwo D=1\r\n")
      << "the marks made since the last save";
}

// A save that failed said nothing: marks made, or themes loaded, in a
// read-only folder or on a full disk were gone at the next start. It is said
// once a session; what failed stays in memory and the save timer tries again.
TEST_F(ReaderWindowTest, FailedSaveIsNoticedOnceAndTriedAgainUntilItWorks) {
  AddFeed("A", {});
  const std::filesystem::path folder = dir_.File("later");
  rss_.Channels[0].CacheFile = folder / "f0.rss";  // the raw download still lands in the test folder
  http_.Serve("feeds.test/f0.xml", "<rss><channel><item><title>New</title></item></channel></rss>");
  TReaderWindow& window = Open();
  window.ToolButton5Click();
  for (testing::MessageQueue::Message message{}; message.Id != WM_FEED_LOADED;)
    ASSERT_TRUE(queue_.Wait(message));
  window.OnFeedLoaded(0);
  EXPECT_EQ(host_.notifications, (decltype(host_.notifications){{"Info", Lang.lang_err_save}}));
  window.N8Click(2);
  window.TimerSaveReadedTimer();
  EXPECT_TRUE(view_.TimerRunning(TReaderTimer::TimerSaveReaded)) << "the next try is due";
  EXPECT_EQ(host_.notifications.size(), 1u);
  std::filesystem::create_directory(folder);
  window.TimerSaveReadedTimer();
  EXPECT_NE(ReadFileBytes(folder / "f0.rss").value_or("").find("<title>New</title>"), std::string::npos);
  EXPECT_TRUE(ReadFileBytes(folder / "f0.rd"));
  EXPECT_FALSE(view_.TimerRunning(TReaderTimer::TimerSaveReaded));
}

TEST_F(ReaderWindowTest, CountsAndStatusPanelsFollowEachMarkAtOnce) {
  AddFeed("A", {{u"a", 0}, {u"b", 0}, {u"c", 2}, {u"d", 3}, {u"e", 1}});
  TReaderWindow& window = Open();
  EXPECT_EQ(window.StatusBar1DrawPanel(1).Text, " - 2 (5)");
  EXPECT_EQ(window.StatusBar1DrawPanel(1).Picture, 1);
  EXPECT_EQ(window.StatusBar1DrawPanel(2).Text, " - 1");
  EXPECT_EQ(window.StatusBar1DrawPanel(4).Picture, -1) << "no red theme";
  window.N11Click(1);
  EXPECT_EQ(window.StatusBar1DrawPanel(1).Text, " - 0 (5)");
  EXPECT_EQ(window.StatusBar1DrawPanel(1).Picture, 2);
  EXPECT_EQ(host_.contactCounts[0], (std::pair{0, 5})) << "the tray's hint counts also without feed contacts";
  EXPECT_FALSE(window.StatusBar1DrawPanel(0).Progress) << "no bar while idle";
  rss_.Channels[0].Run->Loading = true;
  rss_.Channels[0].Run->Progress = 40;
  EXPECT_EQ(window.StatusBar1DrawPanel(0).Progress, 40);
  rss_.Channels[0].Run->Loading = false;
}

// A start reads only theme lists; a page is composed when its feed is first
// shown as one, and a feed shown as a list never needs one.
TEST_F(ReaderWindowTest, APageIsComposedWhenItsFeedIsFirstShownAsOne) {
  AddFeed("List", {{u"a", 0}});
  AddFeed("Page", {{u"b", 0}}, false);
  for (tchannels& feed : rss_.Channels) feed.PageComposed = false;  // as a start leaves them
  rss_.Channels[1].ItemCacheText = "<myrssnodes><item><title>b</title></item></myrssnodes>";
  TReaderWindow& window = Open();
  EXPECT_FALSE(rss_.Channels[0].PageComposed);
  window.SelectTab(1);
  EXPECT_TRUE(rss_.Channels[1].PageComposed);
  EXPECT_NE(view_.html.find("<b>b</b>"), std::string::npos);
  EXPECT_FALSE(rss_.Channels[0].PageComposed);
}

TEST_F(ReaderWindowTest, EmptyFeedCountsNoRow) {
  AddFeed("Empty", {});
  EXPECT_EQ(Open().StatusBar1DrawPanel(1).Text, " - 0 (0)");
  EXPECT_EQ(view_.rows.size(), 2u) << "header and one empty row";
}

TEST_F(ReaderWindowTest, NoFeedsShowNoPanelsAndLoadNothing) {
  TReaderWindow& none = Open();
  for (int p = 0; p <= 4; ++p) {
    const TStatusPanelLook look = none.StatusBar1DrawPanel(p);
    EXPECT_TRUE(look.Picture == -1 && look.Text.empty() && !look.Progress) << p;
  }
  none.LoadPage(-1);
  none.ToolButton5Click();
  none.N8Click(1);
  EXPECT_TRUE(view_.statusText.empty());
}

TEST_F(ReaderWindowTest, LoadWhileLoadingOnlySaysStillLoading) {
  AddFeed("A", {});
  TReaderWindow& window = Open();
  tchannels& feed = rss_.Channels[0];
  feed.LoadThread = std::make_unique<TWorker>(RunFlag(feed.Run, &TFeedRunState::Loading), nullptr);
  const TWorker* running = feed.LoadThread.get();
  feed.Run->Loading = true;
  window.ToolButton5Click();
  EXPECT_EQ(view_.statusText, Lang.lang_file_still_loading);
  EXPECT_EQ(feed.LoadThread.get(), running);
  feed.Run->Loading = false;
}

TEST_F(ReaderWindowTest, LoadAllFillsTheShownListAndReportsAFailedFeed) {
  for (const char* title : {"Good", "Gone", "Missing", "Page", "Silent"}) AddFeed(title, {});
  http_.Serve("feeds.test/f0.xml",
              "<rss><channel><item><title>New</title></item><item><title>Two</title></item></channel></rss>");
  // The notice said only that a load failed, not why.
  const std::string page = "<html><head><title>404 Not Found</title></head></html>";
  http_.Serve("feeds.test/f2.xml", testing::FakeRoute{.Body = page, .Status = 404});
  http_.Serve("feeds.test/f3.xml", page);
  http_.Serve("feeds.test/f4.xml", testing::FakeRoute{.Body = "", .Announced = 100, .TimesOut = true});
  TReaderWindow& window = Open();
  window.ToolButton5Click();
  EXPECT_EQ(view_.statusText, Lang.lang_file_loading);
  for (int loaded = 0; loaded < 5;) {
    testing::MessageQueue::Message message{};
    ASSERT_TRUE(queue_.Wait(message));
    if (message.Id != WM_FEED_LOADED) continue;
    window.OnFeedLoaded(static_cast<int>(message.LParam));
    ++loaded;
  }
  ASSERT_EQ(view_.rows.size(), 3u);
  EXPECT_EQ(view_.rows[2].Title, "Two");
  EXPECT_EQ(view_.statusText, "");
  std::sort(host_.notifications.begin(), host_.notifications.end());
  const std::string failed = Lang.lang_err_load + " - ";
  EXPECT_EQ(host_.notifications, (decltype(host_.notifications){{"Info", failed + "Gone"},
                                                                {"Info", failed + "Missing (HTTP 404)"},
                                                                {"Info", failed + "Page (not a feed)"},
                                                                {"Info", failed + "Silent (timed out)"}}));
  EXPECT_FALSE(rss_.Channels[0].LoadThread || rss_.Channels[1].LoadThread);
}

// Load-all started one worker per feed at once, each holding a document, its
// tree and its items: many big feeds together exhausted the messenger's memory.
TEST_F(ReaderWindowTest, LoadAllRunsFourLoadsAtOnceAndTheRestWaitTheirTurn) {
  testing::HeldThreads held;
  feedThreads_ = &held;
  for (int i = 0; i < 7; ++i) AddFeed(std::string("F").append(std::to_string(i)), {});
  http_.Serve("feeds.test/f0.xml", testing::FakeRoute{"", -1, false, true});  // an error escapes its load
  TReaderWindow& window = Open();
  const auto loading = [this] {
    std::string flags;
    for (const tchannels& feed : rss_.Channels) flags += feed.Run->Loading ? 'L' : '-';
    return flags;
  };
  window.ToolButton5Click();
  EXPECT_EQ(loading(), "LLLL---");
  window.SelectTab(5);
  EXPECT_EQ(window.StatusBar1DrawPanel(0).Text, Lang.lang_file_waiting);
  rss_.Channels[6].Generation = NextFeedGeneration();  // a reload replaced the record
  held.RunNext();                                      // feed 0 fails: no WM_FEED_LOADED comes, only its end
  for (const long feed : queue_.Take(WM_FEED_PROGRESS)) window.OnFeedProgress(static_cast<int>(feed));
  EXPECT_EQ(loading(), "-LLLL--");
  held.RunNext();
  for (const long feed : queue_.Take(WM_FEED_LOADED)) window.OnFeedLoaded(static_cast<int>(feed));
  EXPECT_EQ(loading(), "--LLLL-") << "the replaced record's turn is dropped";
}

// Ctrl+Shift+Tab on the first tab once went nowhere; Space with Ctrl held is
// not a page; a key that is no command goes on to the control.
TEST_F(ReaderWindowTest, KeysRunTheirCommandsAndTabsWrapBothWays) {
  for (const char* title : {"A", "B", "C"}) AddFeed(title, {});
  TReaderWindow& window = Open();
  window.SelectTab(0);
  const struct {
    TKeyPress key;
    int tab;  // after the key
    bool handled;
  } cases[] = {
      {{kKeyTab, true, true}, 2, true},  {{kKeyTab, true, false}, 0, true},
      {{kKeyTab, true, false}, 1, true}, {{kKeyTab, false, false}, 1, false},
      {{'N', true, false}, 1, false},    {{kKeySpace, true, false}, 1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(window.OnKeyDown(c.key), c.handled) << c.key.Key;
    EXPECT_EQ(view_.SelectedTab(), c.tab) << c.key.Key;
  }
  view_.visible = true;
  EXPECT_TRUE(window.OnKeyDown({kKeySpace, false, true}));
  EXPECT_TRUE(window.OnKeyDown({kKeySpace, false, false}));
  EXPECT_EQ(view_.pages, (std::vector<bool>{false, true}));
  EXPECT_TRUE(window.OnKeyDown({kKeyEscape, false, false}));
  EXPECT_FALSE(view_.visible);
}

TEST_F(ReaderWindowTest, CopyTakesTheSelectionOrTheWholePageAndFindSearchesOnFromIt) {
  AddFeed("A", {});
  TReaderWindow& window = Open();
  view_.pageText = u"Привет, мир. Привет!";
  EXPECT_TRUE(window.OnKeyDown({kKeyInsert, true, false}));
  EXPECT_EQ(view_.clipboard, view_.pageText);
  EXPECT_FALSE(view_.ViewerHasSelection()) << "copying the whole page leaves nothing selected";

  view_.answer = Utf8ToWinOrKeep("Привет");
  EXPECT_TRUE(window.OnKeyDown({kKeyF, true, false}));
  window.FndTextClick();  // on from the first match
  EXPECT_EQ(view_.selection, (std::pair<std::size_t, std::size_t>{13, 19}));
  EXPECT_TRUE(window.OnKeyDown({kKeyC, true, false}));
  EXPECT_EQ(view_.clipboard, u"Привет");
  EXPECT_EQ(view_.asked.front(), Utf8ToWinOrKeep("поиск/введите текст для поиска"));

  for (const std::optional<std::string>& answer :
       {std::optional<std::string>{}, std::optional<std::string>{""},
        std::optional<std::string>{Utf8ToWinOrKeep("привет")}}) {
    view_.answer = answer;
    window.FndTextClick();  // cancelled, empty, or no match in this letter case
    EXPECT_EQ(view_.selection, (std::pair<std::size_t, std::size_t>{13, 19}));
  }
}

// The copy-link item once kept the link of an earlier right click.
TEST_F(ReaderWindowTest, CopyLinkCopiesExactlyTheLinkTheMenuWasOpenedOn) {
  AddFeed("A", {});
  TReaderWindow& window = Open();
  window.htmlLite1RightClick("http://a.test/x?y=1&z=%20");
  EXPECT_TRUE(window.N21Visible());
  window.N21Click();
  EXPECT_EQ(view_.clipboard, u"http://a.test/x?y=1&z=%20");
  window.htmlLite1RightClick(std::nullopt);
  EXPECT_FALSE(window.N21Visible());
  view_.clipboard.reset();
  window.N21Click();
  EXPECT_FALSE(view_.clipboard);
  window.N17Click();
  EXPECT_EQ(view_.html, AboutPageHtml());
  window.N15Click();
  EXPECT_EQ(view_.information.size(), 1u);
}

TEST_F(ReaderWindowTest, FoundUpdateSignalsOnlyFeedsThatAskForIt) {
  AddFeed("F0", {});
  AddFeed("F1", {});
  AddFeed("F2", {});
  rss_.Channels[0].NotLoadUpdates = true;
  rss_.Channels[1].ShowBaloon = false;
  TReaderWindow& window = Open();
  for (int i = 0; i < 3; ++i) {
    checkMailbox_->Put({i, rss_.Channels[i].Generation, 1234, true, 0});  // as a check worker does
    window.OnFeedChanged(i);
  }
  EXPECT_TRUE(host_.blinking);
  EXPECT_EQ(host_.contactNew, (std::map<int, bool>{{0, true}, {2, true}}));
  EXPECT_EQ(host_.notifications.back().second,
            "\xCE\xE1\xED\xEE\xE2\xE8\xEB\xE8\xF1\xFC \xEB\xE5\xED\xF2\xFB:\rF0\rF2\r");
  EXPECT_EQ(host_.notices.back(), std::make_pair(TNotice::Update, 0))
      << "a click opens the first feed listed";
  EXPECT_FALSE(rss_.Channels[0].LoadThread) << "NotLoadUpdates";
  EXPECT_FALSE(rss_.Channels[1].LoadThread) << "ShowBaloon off";
  EXPECT_TRUE(rss_.Channels[2].LoadThread);
  EXPECT_EQ(window.TabControl1DrawTab(1, false).Background, 4) << "still drawn as having news";
  window.TabControl1MouseUp(1);
  EXPECT_EQ(window.TabControl1DrawTab(1, false).Background, 3);
}

// Thousands of titles made a pop-up bitmap of hundreds of megabytes.
TEST_F(ReaderWindowTest, ANoticeListsFiftyTitlesAndCountsTheRest) {
  for (int i = 0; i < 53; ++i) AddFeed(std::string("F").append(std::to_string(i)), {});
  TReaderWindow& window = Open();
  for (int i = 0; i < 53; ++i) {
    rss_.Channels[static_cast<std::size_t>(i)].NotLoadUpdates = true;
    checkMailbox_->Put({i, rss_.Channels[static_cast<std::size_t>(i)].Generation, 1234, true, 0});
    window.OnFeedChanged(i);
  }
  const std::string& text = host_.notifications.back().second;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 52);
  EXPECT_NE(text.find("\rF49\r"), std::string::npos);
  EXPECT_EQ(text.find("\rF50\r"), std::string::npos);
  EXPECT_TRUE(text.ends_with(FillIn(Lang.lang_notify_more, {"3"}) + "\r"));
  EXPECT_EQ(std::count(host_.notifications[49].second.begin(), host_.notifications[49].second.end(), '\r'),
            51)
      << "fifty titles need no count";
}

TEST_F(ReaderWindowTest, RepeatedOrStaleNoticesNeitherReannounceNorReportTheFeed) {
  AddFeed("A", {{u"one", 1}});
  rss_.Channels[0].NotLoadUpdates = true;
  rss_.Channels[0].NetFileSize = -1;  // its last download failed
  rss_.Channels[0].ScrollPos = 40;
  TReaderWindow& window = Open();
  checkMailbox_->Put({0, rss_.Channels[0].Generation, 1234, true, 0});
  window.OnFeedChanged(0);
  ASSERT_EQ(host_.notifications.size(), 1u);
  host_.blinking = false;
  window.OnFeedChanged(0);  // the same notice again: nothing left to adopt
  window.OnFeedLoaded(0);   // a load notice whose result a reload dropped
  EXPECT_EQ(host_.notifications.size(), 1u);
  EXPECT_FALSE(host_.blinking);
  EXPECT_EQ(rss_.Channels[0].ScrollPos, 40);
}

TEST_F(ReaderWindowTest, SwitchingBackReselectsTheRememberedThemeAndStopsBlinking) {
  AddFeed("A", {{u"Alpha", 1}, {u"Beta", 1}, {u"Gamma", 1}});
  AddFeed("B", {{u"x", 1}});
  TReaderWindow& window = Open();
  window.StringGrid1MouseDown(3);
  host_.blinking = true;
  window.SelectTab(1);
  EXPECT_FALSE(host_.blinking);
  window.SelectTab(0);
  EXPECT_EQ(view_.selectedRow, 3);
  EXPECT_NE(view_.html.find("Gamma"), std::string::npos);
}

TEST_F(ReaderWindowTest, SplitterTogglesTheListOnlyWhenNotDragged) {
  AddFeed("A", {{u"a", 1}}, false);
  TReaderWindow& window = Open();
  view_.gridVisible = true;
  window.Panel2MouseDown(3);
  window.Panel2MouseMove(true, 203);
  window.Image1MouseUp();
  window.Panel2Click();
  EXPECT_TRUE(view_.gridVisible) << "a drag only sizes the list";
  EXPECT_EQ(rss_.Channels[0].PanelSize, 200);
  view_.gridVisible = false;
  view_.scrollPos = 77;
  window.Panel2MouseDown(3);
  window.Image1MouseUp();
  window.Panel2Click();
  EXPECT_TRUE(view_.gridVisible && rss_.Channels[0].ShowPanel);
  EXPECT_EQ(view_.pointerMoves, std::vector<int>{200});
  EXPECT_EQ(rss_.Channels[0].ScrollPos, 77) << "the feed page's position is kept for later";
}

TEST_F(ReaderWindowTest, LogoShownAtTabHeightOnlyWhenLogosLoad) {
  AddFeed("A", {});
  rss_.Channels[0].Logo.Bitmap = std::make_shared<const TBitmap32>(TBitmap32{100, 50, {}});
  Open();
  EXPECT_EQ(view_.logoWidth, 50);
  rss_.LoadLogos = false;
  window_->TabControl1Change();
  EXPECT_FALSE(view_.logoWidth);
}

TEST_F(ReaderWindowTest, FreedWindowStopsEveryWorkerWithoutWaitingForAStalledServer) {
  AddFeed("A", {});
  AddFeed("B", {});
  testing::FakeRoute stalled{"<rss/>"};
  stalled.Stalls = true;
  http_.Serve("feeds.test/f0.xml", stalled);
  http_.Serve("feeds.test/f1.xml", stalled);
  Open().ToolButton5Click();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  rss_.RetireWorkers(rss_.Channels[1]);
  const auto start = std::chrono::steady_clock::now();
  window_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(rss_.Channels[0].LoadThread);
  EXPECT_TRUE(rss_.Retired.empty());
  EXPECT_FALSE(rss_.Channels[0].Run->Loading || rss_.Channels[1].Run->Loading);
  EXPECT_EQ(http_.RequestCount("feeds.test/favicon.ico"), 0) << "nothing more is fetched after the stop";
}

// The stop used to join every worker: a request stuck in the system's network
// code held up the messenger for as long as the request's deadline.
TEST_F(ReaderWindowTest, StopLetsABlockedWorkerGoAndItsLateResultReachesNoWindow) {
  testing::HeldThreads held;
  feedThreads_ = &held;
  AddFeed("A", {});
  http_.Serve("feeds.test/f0.xml", "<rss><channel><item><title>t</title></item></channel></rss>");
  http_.Serve("feeds.test/favicon.ico", "icon");
  Open().ToolButton1Click();
  const std::shared_ptr<TFeedRunState> run = rss_.Channels[0].Run;
  ASSERT_TRUE(run->Loading);
  window_.reset();
  EXPECT_FALSE(rss_.Channels[0].LoadThread);
  EXPECT_TRUE(run->Loading) << "the worker goes on alone";
  // It ends with the window, the feed table and the record gone: under
  // AddressSanitizer a touch of any of them fails here.
  rss_.Channels.clear();
  held.RunNext();
  EXPECT_FALSE(run->Loading);
  EXPECT_TRUE(queue_.Take(WM_FEED_LOADED).empty()) << "the message of a worker let go reached the window";
}

TEST_F(ReaderWindowTest, PicturesFollowTheFeedsSwitchAndScheme) {
  AddFeed("A", {{u"a", 1}});
  rss_.Channels[0].Url = "https://feeds.test/a.xml";
  TReaderWindow& window = Open();
  EXPECT_FALSE(window.htmlLite1ImageRequest("p.gif")) << "LoadImages off";
  rss_.Channels[0].LoadImages = true;
  ASSERT_TRUE(window.htmlLite1ImageRequest("//cdn.test/p.gif"));
  window.OnImageLoaded();
  EXPECT_EQ(downloads_, std::vector<std::string>{"https://cdn.test/p.gif"});
  ASSERT_EQ(view_.images.size(), 1u);
  EXPECT_TRUE(view_.images[0].second);
}

// The pictures of a theme passed over used to stay queued: the theme shown
// next waited for all of them.
TEST_F(ReaderWindowTest, ShowingAnotherThemeDropsThePicturesOfTheLastOne) {
  AddFeed("A", {{u"a", 1}, {u"b", 1}});
  rss_.Channels[0].LoadImages = true;
  TReaderWindow& window = Open();
  ASSERT_TRUE(window.htmlLite1ImageRequest("http://cdn.test/a1.gif"));
  ASSERT_TRUE(window.htmlLite1ImageRequest("http://cdn.test/a2.gif"));
  view_.SetSelectedRow(2);
  window.StringGrid1Click();
  window.OnImageLoaded();
  EXPECT_EQ(downloads_, std::vector<std::string>{"http://cdn.test/a1.gif"});
  EXPECT_TRUE(view_.images.empty());
}

TEST_F(ReaderWindowTest, SiteIconReplacedOnlyByARecognisedFile) {
  const std::string png = "\x89PNG\r\n\x1a\n....";
  const struct {
    std::string bytes;
    bool showIcons, replaced;
  } cases[] = {{png, true, true},
               {std::string("\0\0\1\0\1\0....", 10), true, true},
               {"plain text file", true, false},
               {png, false, false}};
  TReaderWindow& window = Open();
  const std::filesystem::path path = dir_.File("x.ico");
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteFileAtomic(path, c.bytes));
    host_.globals.ShowFeedIcons = c.showIcons;
    window.LoadIconOfSite(-1, path);
    EXPECT_EQ(view_.icons.back().has_value(), c.replaced) << c.bytes;
  }
  window.LoadIconOfSite(-1, dir_.File("missing.ico"));
  EXPECT_FALSE(view_.icons.back());
}

TEST(ReaderRules, OnlyHttpHttpsAndMailtoTargetsReachTheShell) {
  for (const char* target : {"http://a.test/", "HTTPS://a.test/x?y=1", "MailTo:me@a.test"})
    EXPECT_TRUE(OpensWithShell(target)) << target;
  for (const char* target :
       {"file:///C:/Windows/calc.exe", "javascript:alert('http://x')", "\\\\host\\share\\x.exe",
        "//host/path", "page.html?u=http://x", "#anchor", " http://a.test/", "ftp://a.test/"})
    EXPECT_FALSE(OpensWithShell(target)) << target;
}

// Only the scheme was checked: a quote, a space or a control character in a
// link reached the handler's command line as its own syntax, and a mailto's
// "attach" field made some mail programs attach a local file to the mail.
TEST(ReaderRules, ShellGetsAnAddressItsCommandLineCannotSplit) {
  using namespace std::string_literals;
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      // nullopt: the link does not open
      {"HTTPS://127.0.0.1:8080/p%20q?y=1&z=2#f\xEF\xF0", "HTTPS://127.0.0.1:8080/p%20q?y=1&z=2#f\xEF\xF0"},
      {"http://a.test/a b\"'`<>\\\t\r\n\x01\x7F\0x"s,
       "http://a.test/a%20b%22%27%60%3C%3E%5C%09%0D%0A%01%7F%00x"},
      {"http://a.test/?attach=x", "http://a.test/?attach=x"},
      {"mailto:me@a.test", "mailto:me@a.test"},
      {"MailTo:me@a.test?%61ttach=C:\\s&%73ubject=s&Attachment=x&bcc=x&to=y&BODY=a b&cc=c@a.test",
       "MailTo:me@a.test?%73ubject=s&BODY=a%20b&cc=c@a.test"},
      {"mailto:me@a.test?attach=x", "mailto:me@a.test"},
      {"file:///C:/Windows/calc.exe", std::nullopt},
  };
  for (const auto& [target, address] : cases) EXPECT_EQ(ShellAddress(target), address) << WinToUtf8(target);
}

TEST(ReaderRules, ShellAddressStopsAt2048CharactersAndNeverHalfAnEscape) {
  for (const std::size_t extra : {0, 1, 2}) {  // then 1000 spaces, each escaped to three characters
    const std::string address =
        ShellAddress("http://a.test/x" + std::string(extra, 'y') + std::string(1000, ' ')).value_or("");
    EXPECT_TRUE(address.size() == 2046 + extra && address.ends_with("%20")) << address.size();
  }
}

TEST_F(ReaderWindowTest, ALinkReachesTheShellOnlyInItsSafeForm) {
  EXPECT_TRUE(Open().htmlLite1HotSpotClick("mailto:me@a.test?attach=x&subject=a\"b"));
  EXPECT_EQ(view_.opened, (std::vector<std::string>{"mailto:me@a.test?subject=a%22b"}));
}

TEST_F(ReaderWindowTest, TitlesShowNumericCharacterReferencesAsText) {
  const std::pair<std::string, std::string> cases[] = {
      {"&#8212;!", "\x97!"},     {"&#x41;&#X42;", "AB"},
      {"&#1040;", "\xC0"},       {"&#9731;", "&#9731;"},
      {"&#10;", "&#10;"},        {"&#65", "&#65"},
      {"&#;&#x;", "&#;&#x;"},    {"&#99999999999;", "&#99999999999;"},
      {"&amp;#65;", "&amp;#65;"}};
  for (const auto& [title, shown] : cases) EXPECT_EQ(PlainTitle(title), shown) << title;
  TReaderWindow& window = Open();
  window.AddTab("&#1103;&#233;|wu");
  EXPECT_EQ(window.TabControl1DrawTab(0, true).Text, "\xFF&#233;")
      << "the tab text, without what lies outside the code page";
}

TEST_F(ReaderWindowTest, GeometryNumbers) {
  EXPECT_EQ(LogoWidth(100, 50), 50);
  EXPECT_EQ(LogoWidth(1, 2), 12) << "12.5 goes to the even neighbour";
  EXPECT_EQ(LogoWidth(3, 2), 38) << "37.5 goes to the even neighbour";
  EXPECT_EQ(LogoWidth(4, 0), 100) << "a zero height counts as 1";
  EXPECT_EQ(OddRowColor(0xFFFFFF), 0xFDF8F8u);
  EXPECT_EQ(OddRowColor(0x000000), 0u);

  TReaderWindow& window = Open();
  const struct {
    TRect moving;
    int left, top;
  } cases[] = {{TRect::OfSize(4, 300, 600, 400), 0, 300},
               {TRect::OfSize(-5, 300, 600, 400), 0, 300},
               {TRect::OfSize(6, 300, 600, 400), 6, 300},
               {TRect::OfSize(677, 597, 600, 400), 680, 594}};
  for (const auto& c : cases) {
    const TRect snapped = window.SnapToWorkArea(c.moving);
    EXPECT_EQ(std::pair(snapped.Left, snapped.Top), std::pair(c.left, c.top)) << c.moving.Left;
  }
}

TEST(PlaceReaderWindow, OversizedOrOffscreenWindowIsPulledBack) {
  // Left, top, width, height, as the settings record stores a placement.
  using TPlacement = std::array<int, 4>;
  struct Case {
    TPlacement stored;
    TSize screen;
    TPlacement expected;
  };
  const TRect current = TRect::OfSize(5, 6, 800, 600);
  const std::vector<Case> cases = {
      {{0, 0, 0, 0}, {1280, 1024}, {240, 212, 800, 600}},          // never placed: centred, size kept
      {{0, 50, 3000, 2000}, {1280, 1024}, {240, 212, 800, 600}},   // left 0 means never placed
      {{10, 10, 3000, 2000}, {1280, 1024}, {10, 10, 1260, 1004}},  // too large
      {{10, 10, 200, 100}, {1280, 1024}, {10, 10, 500, 300}},      // too small
      {{1500, 1100, 600, 400}, {1280, 1024}, {1260, 1004, 600, 400}},
      {{1280, 1024, 600, 400}, {1280, 1024}, {1260, 1004, 600, 400}},  // exactly at the edge
      {{-50, -30, 600, 400}, {1280, 1024}, {-50, -30, 600, 400}},      // a monitor to the left
      {{10, 10, 1281, 300}, {1280, 1024}, {10, 10, 1260, 300}},
      // A corrupt record: edges that would overflow saturate, the size is pulled back.
      {{2'000'000'000, 10, 2'000'000'000, 300}, {1280, 1024}, {1260, 10, 1260, 300}},
  };
  for (const auto& c : cases) {
    const TRect r = PlaceReaderWindow(TRect::OfSize(c.stored[0], c.stored[1], c.stored[2], c.stored[3]),
                                      current, c.screen);
    EXPECT_EQ((TPlacement{r.Left, r.Top, r.Width(), r.Height()}), c.expected)
        << c.stored[0] << ',' << c.stored[1] << ' ' << c.stored[2] << 'x' << c.stored[3];
  }
}

TEST(ReaderSkin, DomeAndLighteningLinesStayInsideTheColourRange) {
  EXPECT_EQ(DomeBitmap(0x100000, 1, 18).Pixels[9], 0xFF000000u) << "limited to 0";
  EXPECT_EQ(LighteningBitmap(0x00F0FE, 1, 18).Pixels[5], 0xFF0FFFFFu) << "limited to 255";
  tgradientsclass skin(TSkinColors{}, 40);
  skin.ThemeChanged(TSkinColors{});
  EXPECT_EQ(skin.Bitmap(0).Pixels[0], 0xFFFFFFFFu) << "header white after a theme change";
}

}  // namespace
}  // namespace kivo
