#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lang/LanguageTexts.h"
#include "options/OptionsController.h"
#include "platform/FileIo.h"
#include "tests/support/OptionsTestDoubles.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

using testing::FakeFeedSettingsView;
using testing::FakeOptionsHost;
using testing::FakeOptionsView;
using C = TOptionsControl;
using F = TFeedSettingsControl;

class OptionsDialog : public ::testing::Test {
 protected:
  OptionsDialog() { set_lang_russian(); }
  ~OptionsDialog() override { clear_lang_texts(); }

  void SetFeeds(const std::vector<std::string>& lines) {
    host.globals.FeedLines = lines;
    host.rss.SetCount(static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
      host.rss.Channels[i].CacheFile = "c" + std::to_string(i) + ".rss";
      host.rss.Channels[i].CheckNewPeriod = 30;
    }
  }
  const TOptionsDraft& Draft() { return *controller.Draft(); }

  FakeOptionsView view;
  FakeFeedSettingsView feedView;
  FakeOptionsHost host;
  TOptionsController controller{view, feedView, host};
};

TEST_F(OptionsDialog, CloseDropsEditsOfBothDialogs) {
  SetFeeds({"http://a/|A"});
  controller.Open();
  controller.OnChecked(C::CheckTrayIcon, false);
  controller.OpenFeedSettings(0);
  controller.FeedSettings().OnChecked(F::CheckUpdates, true);
  controller.FeedSettings().Ok();
  controller.OpenFeedSettings(0);
  controller.Close();
  EXPECT_FALSE(feedView.visible);
  EXPECT_TRUE(host.applied.empty());
  EXPECT_FALSE(host.rss.Channels[0].CheckUpdates);
  controller.Open();
  EXPECT_TRUE(Draft().Globals.ShowTrayIcon);
  EXPECT_FALSE(Draft().Feeds[0].Settings.CheckUpdates);
}

TEST_F(OptionsDialog, OpeningAgainWhileVisibleKeepsTheEdits) {
  controller.Open();
  controller.OnChecked(C::CheckBaloon, false);
  controller.Open();
  EXPECT_EQ(host.drafts, 1);
  EXPECT_EQ(view.broughtForward, 1);
  EXPECT_FALSE(Draft().Globals.ShowPopup);
}

TEST_F(OptionsDialog, FeedSettingsEditTheEntryTheyWereOpenedFor) {
  SetFeeds({"http://a/|A", "http://b/|B", "http://c/|C"});
  controller.Open();
  controller.OpenFeedSettings(1);
  controller.DeleteFeed(0);
  controller.FeedSettings().OnChecked(F::CheckUpdates, true);
  controller.FeedSettings().Ok();
  ASSERT_EQ(Draft().Feeds.size(), 2u);
  EXPECT_EQ(Draft().Feeds[0].Name, "B");
  EXPECT_TRUE(Draft().Feeds[0].Settings.CheckUpdates);
  EXPECT_FALSE(Draft().Feeds[1].Settings.CheckUpdates);
  // The entry itself deleted: nothing is written anywhere.
  controller.OpenFeedSettings(1);
  controller.DeleteFeed(1);
  controller.FeedSettings().OnChecked(F::CheckUpdates, true);
  controller.FeedSettings().Ok();
  EXPECT_EQ(feedView.messages, std::vector<std::string>{Lang.lang_opt2_err_save});
  EXPECT_EQ(Draft().Feeds.size(), 1u);
  EXPECT_FALSE(feedView.visible);
}

TEST_F(OptionsDialog, BadAddressGetsItsMessageAndStoresNothing) {
  struct Case {
    std::string typed;
    std::string* message;
  };
  const Case cases[] = {
      {"  ", &Lang.lang_opt_err_addr_empty},
      {"ftp://a.example/rss", &Lang.lang_opt_err_addr_scheme},
      {"FILE://c:/x", &Lang.lang_opt_err_addr_scheme},
      {"http://a.example/r|ss", &Lang.lang_opt_err_addr_char},
      {"http://a.example/\tss", &Lang.lang_opt_err_addr_char},
      {"HTTP://one.example/rss", &Lang.lang_opt_err_addr_duplicate},
  };
  SetFeeds({"http://one.example/rss|One"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    view = FakeOptionsView();
    view.answers = {c.typed, std::nullopt};
    controller.Open();
    controller.AddFeed();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].rfind(*c.message, 0), 0u);
    ASSERT_EQ(view.asked.size(), 2u);
    EXPECT_EQ(view.asked[1], Lang.lang_opt_add_title + "/" + Lang.lang_opt_add_address + "/" + c.typed);
    EXPECT_EQ(Draft().Feeds.size(), 1u);
    controller.Close();
  }
  view.answers = {"HTTP://one.example/rss", std::nullopt};
  controller.Open();
  controller.AddFeed();
  EXPECT_NE(view.messages.back().find("One"), std::string::npos);
}

TEST_F(OptionsDialog, GoodAddressIsStoredAsChecked) {
  struct Case {
    std::string typed, name, line;
  };
  const Case cases[] = {
      {" one.example/feed ", "Site", "http://one.example/feed|Site"},
      {"https://one.example:8443/rss", "A|B\r\nC", "https://one.example:8443/rss|A B  C"},
      {"http://one.example:8080/rss", "Port", "http://one.example:8080/rss|Port"},
  };
  SetFeeds({"http://one.example/rss|One"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    view.answers = {c.typed, c.name};
    controller.Open();
    controller.AddFeed();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(Draft().Feeds.back().Line(), c.line);
    EXPECT_EQ(view.items[C::ListBox1].back(), c.line);
    controller.Close();
  }
  // Either prompt cancelled: nothing added.
  for (auto answers : {std::deque<std::optional<std::string>>{std::nullopt},
                       std::deque<std::optional<std::string>>{"http://x/", std::nullopt}}) {
    view.answers = answers;
    controller.Open();
    controller.AddFeed();
    EXPECT_EQ(Draft().Feeds.size(), 1u);
    controller.Close();
  }
}

TEST_F(OptionsDialog, OkRefusesBadPortAndEmptyCallString) {
  struct Case {
    bool proxy;
    std::string port;
    std::string call;
    std::string* message;  // null: applied
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port + " " + c.call);
    view = FakeOptionsView();
    host.applied.clear();
    controller.Open();
    controller.OnChecked(C::CheckProxy, c.proxy);
    controller.OnText(C::EditPort, c.port);
    controller.OnText(C::Edit1, c.call);
    controller.Ok();
    EXPECT_EQ(host.applied.size(), c.message ? 0u : 1u);
    EXPECT_EQ(controller.IsVisible(), c.message != nullptr);
    if (c.message) {
      EXPECT_EQ(view.messages, std::vector<std::string>{*c.message});
    }
    controller.Close();
  }
}

TEST_F(OptionsDialog, EnablingFollowsProxyAuthAndContact) {
  struct Case {
    bool proxy, auth, contact, list;
    bool authEnabled, userEnabled, listEnabled, iconsEnabled;
  };
  const Case cases[] = {
      {false, true, true, true, false, true, true, true},
      {true, false, false, true, true, false, false, false},
      {true, true, true, false, true, true, true, false},
      {false, false, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    host.globals.UseProxy = c.proxy;
    host.globals.ProxyAuth = c.auth;
    host.globals.ShowContact = c.contact;
    host.globals.ShowListContacts = c.list;
    controller.Open();
    EXPECT_EQ(view.enabled[C::CheckAuth], c.authEnabled);
    EXPECT_EQ(view.enabled[C::EditProxy], c.proxy);
    EXPECT_EQ(view.colour[C::EditPort], c.proxy ? TControlColour::White : TControlColour::Silver);
    EXPECT_EQ(view.enabled[C::EditUser], c.userEnabled);
    EXPECT_EQ(view.colour[C::EditPass], c.auth ? TControlColour::White : TControlColour::Silver);
    EXPECT_EQ(view.enabled[C::CheckListContacts], c.listEnabled);
    EXPECT_EQ(view.enabled[C::CheckContactsIcons], c.iconsEnabled);
    controller.OnChecked(C::CheckContact, !c.contact);
    EXPECT_EQ(view.enabled[C::CheckContactsIcons], !c.contact && c.list);
    controller.Close();
  }
}

TEST_F(OptionsDialog, FeedSettingsClampPeriodAndDefaultWaitsForOk) {
  struct Case {
    int stored, shown;
  };
  const Case cases[] = {{0, 30}, {-5, 30}, {1201, 30}, {1, 1}, {1200, 1200}};
  for (const Case& c : cases) {
    SetFeeds({"http://a/|A"});
    host.rss.Channels[0].CheckNewPeriod = c.stored;
    host.rss.Channels[0].TitleTag = "headline";
    controller.Open();
    controller.OpenFeedSettings(0);
    EXPECT_EQ(feedView.text[F::SpinPeriod], std::to_string(c.shown));
    controller.FeedSettings().Default();
    EXPECT_EQ(feedView.text[F::EditTitle], "title");
    controller.FeedSettings().Close();
    EXPECT_EQ(Draft().Feeds[0].Settings.CheckNewPeriod, c.shown);
    EXPECT_EQ(Draft().Feeds[0].Settings.TitleTag, "headline");
    controller.OpenFeedSettings(0);
    controller.FeedSettings().Default();
    controller.FeedSettings().OnText(F::SpinPeriod, "x");
    controller.FeedSettings().OnText(F::EditChName, "New|name");
    controller.FeedSettings().Ok();
    EXPECT_EQ(Draft().Feeds[0].Settings.TitleTag, "title");
    EXPECT_EQ(Draft().Feeds[0].Settings.CheckNewPeriod, 1);
    EXPECT_EQ(view.items[C::ListBox1], std::vector<std::string>{"http://a/|New name"});
    controller.Close();
  }
}

TEST_F(OptionsDialog, LanguagePreviewColoursTheVersionByItsTest) {
  const testing::TempFolder folder;
  host.folder = folder.Path();
  struct Case {
    std::string file;  // contents; empty: no file
    TControlColour colour;
  };
  const Case cases[] = {
      {"lang_opt_label_versionval=2.4\n", TControlColour::Yellow},
      {"lang_opt_label_authorval=X\n", TControlColour::Yellow},
      {"lang_opt_label_versionval=2,5\n", TControlColour::ButtonFace},
      {"lang_opt_label_versionval=3\n", TControlColour::ButtonFace},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFileAtomic(folder.File("Test.lng"), "[RSS_Reader_Lang_File]\n" + c.file));
    host.globals.LangList = {"Русский", "Українська", "English", "Test"};
    controller.Open();
    controller.OnLanguageChosen(3);
    EXPECT_EQ(view.colour[C::Label12], c.colour);
    EXPECT_EQ(view.colour[C::Label11], c.colour);
    controller.OnLanguageChosen(2);
    EXPECT_EQ(view.colour[C::Label11], TControlColour::ButtonFace);
    EXPECT_EQ(view.text[C::Label5], "Plugin Author");
    controller.Close();
  }
}

TEST_F(OptionsDialog, ClearingTheCacheKeepsReadMarks) {
  for (const bool cacheFolder : {true, false}) {
    const testing::TempFolder plugin;
    host.folder = plugin.Path();
    const auto folder = cacheFolder ? plugin.File("Cache") : plugin.Path();
    std::filesystem::create_directories(folder);
    for (const char* name : {"a.rss", "a.xml", "a.rd", "a.ICO", "a.img", "KivoRss.ini"})
      ASSERT_TRUE(WriteFileAtomic(folder / name, "x"));
    view.confirmAnswer = false;
    controller.ClearCache();
    EXPECT_TRUE(FileExists(folder / "a.rss"));
    view.confirmAnswer = true;
    controller.ClearCache();
    EXPECT_EQ(view.confirmed.back(), Lang.lang_opt_clear_title + "/" + Lang.lang_opt_clear_text);
    for (const char* name : {"a.rss", "a.xml", "a.ICO", "a.img"})
      EXPECT_FALSE(FileExists(folder / name)) << name;
    EXPECT_TRUE(FileExists(folder / "a.rd"));
    EXPECT_TRUE(FileExists(folder / "KivoRss.ini"));
  }
}

}  // namespace
}  // namespace kivo
