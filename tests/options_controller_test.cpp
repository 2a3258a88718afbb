#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/Text1251.h"
#include "feeds/HttpDownload.h"
#include "feeds/Opml.h"
#include "lang/LanguageTexts.h"
#include "options/OptionsController.h"
#include "platform/FileIo.h"
#include "tests/support/OptionsTestDoubles.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

using C = TOptionsControl;
using F = TFeedSettingsControl;
using TAnswers = std::deque<std::optional<std::string>>;

class OptionsDialog : public ::testing::Test {
 protected:
  OptionsDialog() { set_lang_russian(); }
  ~OptionsDialog() override { clear_lang_texts(); }

  void SetFeeds(const std::vector<std::string>& lines) {
    host.globals.FeedLines = lines;
    host.rss.SetCount(static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
      host.rss.Channels[i].CacheFile = PathFrom1251(std::to_string(i) + ".rss");
  }
  const TOptionsDraft& Draft() { return *controller.Draft(); }
  TFeedSettingsController& Feed() { return controller.FeedSettings(); }

  testing::FakeOptionsView view;
  testing::FakeFeedSettingsView feedView;
  testing::FakeOptionsHost host;
  TOptionsController controller{view, feedView, host};
};

TEST_F(OptionsDialog, CloseDropsEditsOfBothDialogsButOpeningAgainKeepsThem) {
  SetFeeds({"http://a/|A"});
  controller.Open();
  controller.OnChecked(C::CheckTrayIcon, false);
  controller.Open();
  EXPECT_FALSE(Draft().Globals.ShowTrayIcon);
  controller.OpenFeedSettings(0);
  Feed().OnChecked(F::CheckUpdates, true);
  Feed().Ok();
  controller.OpenFeedSettings(0);
  controller.Close();
  EXPECT_FALSE(feedView.visible);
  EXPECT_TRUE(host.applied.empty());
  controller.Open();
  EXPECT_EQ(host.drafts, 2);
  EXPECT_TRUE(Draft().Globals.ShowTrayIcon);
  EXPECT_FALSE(Draft().Feeds[0].Settings.CheckUpdates);
}

TEST_F(OptionsDialog, FeedSettingsEditTheEntryTheyWereOpenedFor) {
  SetFeeds({"http://a/|A", "http://b/|B", "http://c/|C"});
  controller.Open();
  controller.OpenFeedSettings(1);
  controller.DeleteFeed(0);
  Feed().OnChecked(F::CheckUpdates, true);
  Feed().Ok();
  EXPECT_EQ(Draft().FeedLines(), (std::vector<std::string>{"http://b/|B", "http://c/|C"}));
  EXPECT_TRUE(Draft().Feeds[0].Settings.CheckUpdates);
  EXPECT_FALSE(Draft().Feeds[1].Settings.CheckUpdates);
  controller.OpenFeedSettings(1);
  controller.DeleteFeed(1);
  Feed().Ok();
  EXPECT_EQ(feedView.messages, std::vector<std::string>{Lang.lang_opt2_err_save});
  EXPECT_FALSE(feedView.visible);
}

TEST_F(OptionsDialog, TypedAddressIsCheckedBeforeAnythingIsStored) {
  const TLangTexts& L = Lang;
  const struct {
    TAnswers answers;
    std::string message;  // empty: no message
    std::string line;     // empty: nothing added
  } cases[] = {
      {{"  ", {}}, L.lang_opt_err_addr_empty, ""},
      {{"ftp://a.example/rss", {}}, L.lang_opt_err_addr_scheme, ""},
      {{"http://a.example/r|ss", {}}, L.lang_opt_err_addr_char, ""},
      {{"HTTP://one.example/rss", {}}, L.lang_opt_err_addr_duplicate + "One (http://one.example/rss)", ""},
      {{" one.example/feed ", "Site"}, "", "http://one.example/feed|Site"},
      {{"https://one.example:8443/rss", "A|B\r\nC"}, "", "https://one.example:8443/rss|A B  C"},
      {{}, "", ""},
      {{"http://x/", {}}, "", ""},
  };
  SetFeeds({"http://one.example/rss|One"});
  for (const auto& c : cases) {
    view = testing::FakeOptionsView();
    view.answers = c.answers;
    controller.Open();
    controller.AddFeed();
    EXPECT_EQ(view.messages, c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
    // A refused address is asked for again, starting from what was typed.
    const std::string typed = c.answers.empty() ? "" : c.answers[0].value_or("");
    const std::string again = L.lang_opt_add_title + "/" + L.lang_opt_add_address + "/" + typed;
    EXPECT_EQ(view.asked.size() > 1 && view.asked[1] == again, !c.message.empty());
    EXPECT_EQ(view.items[C::ListBox1].back(), c.line.empty() ? "http://one.example/rss|One" : c.line);
    controller.Close();
  }
}

TEST_F(OptionsDialog, OkRefusesBadPortAndEmptyCallString) {
  const struct {
    bool proxy;
    std::string port, call;
    std::string* message;  // null: applied
  } cases[] = {
      {true, "0", "rss#", &Lang.lang_opt_err_port},
      {true, "65536", "rss#", &Lang.lang_opt_err_port},
      {true, "80a", "rss#", &Lang.lang_opt_err_port},
      {true, "", "rss#", &Lang.lang_opt_err_port},
      {true, "1", "rss#", nullptr},
      {true, " 65535 ", "rss#", nullptr},
      {false, "abc", "rss#", nullptr},
      {false, "", " , ", &Lang.lang_opt_err_call_string},
      {false, "", "", &Lang.lang_opt_err_call_string},
      {false, "", "news,rss#", nullptr},
  };
  for (const auto& c : cases) {
    view = testing::FakeOptionsView();
    host.applied.clear();
    controller.Open();
    controller.OnChecked(C::CheckProxy, c.proxy);
    controller.OnText(C::EditPort, c.port);
    controller.OnText(C::Edit1, c.call);
    controller.Ok();
    EXPECT_EQ(host.applied.size(), c.message ? 0u : 1u);
    EXPECT_EQ(controller.IsVisible(), c.message != nullptr);
    EXPECT_EQ(view.messages, c.message ? std::vector<std::string>{*c.message} : std::vector<std::string>{});
    controller.Close();
  }
}

TEST_F(OptionsDialog, EnablingFollowsProxyAuthAndContact) {
  const struct {
    bool proxy, auth, contact, list;
  } cases[] = {{false, true, true, true}, {true, false, false, true}, {true, true, true, false}};
  for (const auto& c : cases) {
    host.globals.UseProxy = c.proxy;
    host.globals.ProxyAuth = c.auth;
    host.globals.ShowContact = c.contact;
    host.globals.ShowListContacts = c.list;
    controller.Open();
    EXPECT_EQ(view.enabled[C::CheckAuth], c.proxy);
    EXPECT_EQ(view.colour[C::EditPort] == TControlColour::White, c.proxy);
    EXPECT_EQ(view.enabled[C::EditUser], c.auth);
    EXPECT_EQ(view.colour[C::EditPass] == TControlColour::Silver, !c.auth);
    EXPECT_EQ(view.enabled[C::CheckListContacts], c.contact);
    EXPECT_EQ(view.enabled[C::CheckContactsIcons], c.contact && c.list);
    controller.Close();
  }
}

TEST_F(OptionsDialog, FeedSettingsClampPeriodAndDefaultWaitsForOk) {
  const std::pair<int, int> periods[] = {{0, 30}, {-5, 30}, {1201, 30}, {1, 1}, {1200, 1200}};
  SetFeeds({"http://a/|A"});
  host.rss.Channels[0].TitleTag = "headline";
  for (const auto& [stored, shown] : periods) {
    host.rss.Channels[0].CheckNewPeriod = stored;
    controller.Open();
    controller.OpenFeedSettings(0);
    EXPECT_EQ(feedView.text[F::SpinPeriod], std::to_string(shown));
    Feed().Default();
    Feed().Close();
    EXPECT_EQ(Draft().Feeds[0].Settings.CheckNewPeriod, shown);
    EXPECT_EQ(Draft().Feeds[0].Settings.TitleTag, "headline");
    controller.OpenFeedSettings(0);
    Feed().Default();
    Feed().OnText(F::SpinPeriod, "x");
    Feed().OnText(F::EditChName, "New|name");
    Feed().Ok();
    EXPECT_EQ(Draft().Feeds[0].Settings.TitleTag, "title");
    EXPECT_EQ(Draft().Feeds[0].Settings.CheckNewPeriod, 1);
    EXPECT_EQ(view.items[C::ListBox1], std::vector<std::string>{"http://a/|New name"});
    controller.Close();
  }
}

TEST_F(OptionsDialog, LanguagePreviewColoursTheVersionByItsTest) {
  const testing::TempFolder folder;
  host.folder = folder.Path();
  host.globals.LangList = {"Russian", "Ukrainian", "English", "Test"};
  const std::pair<std::string, TControlColour> cases[] = {
      {"lang_opt_label_versionval=2.4", TControlColour::Yellow},
      {"lang_opt_label_versionval=2,5", TControlColour::ButtonFace},
  };
  for (const auto& [line, colour] : cases) {
    ASSERT_TRUE(WriteFileAtomic(folder.File("Test.lng"), "[RSS_Reader_Lang_File]\n" + line));
    controller.Open();
    controller.OnLanguageChosen(3);
    EXPECT_EQ(view.colour[C::Label12], colour);
    controller.Close();
  }
}

TEST_F(OptionsDialog, ClearingTheCacheKeepsReadMarks) {
  for (const bool cacheFolder : {true, false}) {
    const testing::TempFolder plugin;
    host.folder = plugin.Path();
    const auto folder = cacheFolder ? plugin.File("Cache") : plugin.Path();
    std::filesystem::create_directories(folder);
    for (const char* name : {"a.rss", "a.xml", "a.rd", "a.ICO", "a.img"})
      ASSERT_TRUE(WriteFileAtomic(folder / name, "x"));
    controller.ClearCache();
    EXPECT_EQ(view.confirmed.back(), Lang.lang_opt_clear_title + "/" + Lang.lang_opt_clear_text);
    for (const char* name : {"a.rss", "a.xml", "a.ICO", "a.img"})
      EXPECT_FALSE(FileExists(folder / name)) << name;
    EXPECT_TRUE(FileExists(folder / "a.rd"));
  }
}

class OptionsDialogProbing : public OptionsDialog {
 protected:
  testing::FakeAddressProbe probe;
  TOptionsController probed{view, feedView, host, &probe};
};

// Before the look, a typed site address was stored as the feed and never
// loaded; a cancelled choice must still keep what the user typed.
TEST_F(OptionsDialogProbing, AddOffersTheFeedsTheTypedPageAnnounces) {
  const TAnnouncedFeed rss{"http://site.example/rss", "News"};
  const TAnnouncedFeed atom{"http://site.example/atom.xml", ""};
  const struct {
    std::vector<TAnnouncedFeed> found;
    bool confirm;
    std::optional<int> choice;
    std::string line;       // the list's last line after the add
    std::string suggested;  // what the name prompt offers; "-": not asked
    std::string message;
  } cases[] = {
      {{}, true, {}, "http://site.example/|Mine", "", ""},
      {{rss}, true, {}, "http://site.example/rss|Mine", "News", ""},
      {{rss}, false, {}, "http://site.example/|Mine", "", ""},
      {{rss, atom}, true, 1, "http://site.example/atom.xml|Mine", "", ""},
      {{rss, atom}, true, {}, "http://site.example/|Mine", "", ""},
      {{{"http://one.example/rss", ""}},
       true,
       {},
       "http://one.example/rss|One",
       "-",
       Lang.lang_opt_err_addr_duplicate + "One (http://one.example/rss)"},
  };
  SetFeeds({"http://one.example/rss|One"});
  for (const auto& c : cases) {
    view = testing::FakeOptionsView();
    view.answers = {"site.example/", "Mine"};
    view.confirmAnswer = c.confirm;
    view.choice = c.choice;
    probed.Open();
    probed.AddFeed();
    EXPECT_EQ(probe.started.back(), "http://site.example/");
    EXPECT_FALSE(view.enabled[C::BitBtn2]);
    EXPECT_EQ(view.asked.size(), 1u);  // the name waits for the look
    probe.result = c.found;
    probed.OnAddressProbed();
    EXPECT_TRUE(view.enabled[C::BitBtn2]);
    EXPECT_EQ(view.items[C::ListBox1].back(), c.line);
    EXPECT_EQ(view.asked.size() == 2 ? view.asked[1].substr(view.asked[1].rfind('/') + 1) : "-", c.suggested);
    EXPECT_EQ(view.messages, c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
    EXPECT_EQ(view.offered.size(), c.found.size() > 1 ? c.found.size() : 0u);
    probed.Close();
  }
}

TEST_F(OptionsDialogProbing, ALookEndingLateOrAfterTheListChangedAddsNothingStale) {
  SetFeeds({"http://one.example/rss|One"});
  view.answers = {"http://two.example/", "Two"};
  probed.Open();
  probed.AddFeed();
  probed.AddFeed();          // the add button waits: no second prompt
  probed.OnAddressProbed();  // the end of a look dropped earlier
  EXPECT_EQ(view.asked.size(), 1u);
  probed.Close();
  EXPECT_EQ(probe.cancels, 1);
  probe.result = std::vector<TAnnouncedFeed>{};
  probed.OnAddressProbed();
  probed.Open();
  EXPECT_TRUE(view.enabled[C::BitBtn2]);
  EXPECT_EQ(view.items[C::ListBox1], std::vector<std::string>{"http://one.example/rss|One"});

  // The same address arrives by an import while the look runs.
  const testing::TempFolder folder;
  ASSERT_TRUE(WriteFileAtomic(folder.File("a.opml"),
                              "<opml><body><outline xmlUrl=\"http://two.example/\"/></body></opml>"));
  view.answers = {"http://two.example/", "Two"};
  view.file = folder.File("a.opml");
  probed.AddFeed();
  probed.ImportOpml();
  probe.result = std::vector<TAnnouncedFeed>{};
  probed.OnAddressProbed();
  EXPECT_EQ(view.messages.back(),
            Lang.lang_opt_err_addr_duplicate + "http://two.example/ (http://two.example/)");
  EXPECT_EQ(view.items[C::ListBox1].size(), 2u);
}

TEST_F(OptionsDialog, ImportAddsWhatPassesAndSaysWhyAFileIsRefused) {
  const testing::TempFolder folder;
  const auto opml = folder.File("list.opml");
  const std::string good =
      "<opml version=\"2.0\"><body><outline text=\"g\"><outline xmlUrl=\"http://two.example/\" "
      "title=\"Two\"/>"
      "<outline xmlUrl=\"http://ONE.example/rss\"/><outline xmlUrl=\"ftp://x/\"/></outline></body></opml>";
  const struct {
    std::optional<std::string> bytes;  // nullopt: no such file
    std::uintmax_t size;               // grown to this when not 0
    std::string message;
    std::size_t lines;
  } cases[] = {
      {good, 0, "Добавлено лент: 1, пропущено: 2", 2},
      {std::nullopt, 0, Lang.lang_opml_err_read, 1},
      {"<rss><channel/></rss>", 0, Lang.lang_opml_err_not_opml, 1},
      {"<opml><body><outline xmlUrl=\"http://t/\">", 0, Lang.lang_opml_err_damaged, 1},
      {good, kFeedMaxBytes + 1, Lang.lang_opml_err_too_large, 1},
  };
  SetFeeds({"http://one.example/rss|One"});
  for (const auto& c : cases) {
    std::filesystem::remove(opml);
    if (c.bytes) {
      ASSERT_TRUE(WriteFileAtomic(opml, *c.bytes));
    }
    if (c.size != 0) std::filesystem::resize_file(opml, c.size);
    view = testing::FakeOptionsView();
    view.file = opml;
    controller.Open();
    controller.ImportOpml();
    EXPECT_EQ(view.messages, std::vector<std::string>{Utf8ToWinOrKeep(c.message)}) << c.message;
    EXPECT_EQ(Draft().Feeds.size(), c.lines);
    controller.Close();
  }
  view = testing::FakeOptionsView();
  controller.Open();
  controller.ImportOpml();  // the file dialog cancelled
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(OptionsDialog, ExportWritesTheListAsShownOrSaysItCouldNot) {
  SetFeeds({"http://one.example/rss|One"});
  const testing::TempFolder folder;
  view.answers = {"http://two.example/", "Two"};
  view.file = folder.File("out.opml");
  controller.Open();
  controller.AddFeed();
  controller.ExportOpml();
  EXPECT_EQ(view.messages.back(), Utf8ToWinOrKeep("Сохранено лент: 2"));
  const auto written = ReadFileBytes(folder.File("out.opml"));
  ASSERT_TRUE(written);
  const TOpmlImport back = ImportOpml(*written, {}, 10);
  EXPECT_EQ(back.Added,
            (std::vector<TOpmlFeed>{{"http://one.example/rss", "One"}, {"http://two.example/", "Two"}}));
  view.file = folder.File("missing") / "out.opml";
  controller.ExportOpml();
  EXPECT_EQ(view.messages.back(), Lang.lang_opml_err_export);
}

// The icon list is by the feeds' order at opening; rows move with deletions.
TEST_F(OptionsDialog, FeedIconsFollowTheirEntriesNotTheRows) {
  SetFeeds({"http://a/|A", "http://b/|B"});
  host.icons = {TBitmap32{1, 1, {1}}, TBitmap32{1, 1, {2}}};
  view.answers = {"http://c/", "C"};
  controller.Open();
  controller.DeleteFeed(0);
  controller.AddFeed();
  ASSERT_NE(controller.FeedIcon(0), nullptr);
  EXPECT_EQ(controller.FeedIcon(0)->Pixels[0], 2u);
  EXPECT_EQ(controller.FeedIcon(1), nullptr);
  EXPECT_EQ(controller.FeedIcon(2), nullptr);
}

}  // namespace
}  // namespace kivo
