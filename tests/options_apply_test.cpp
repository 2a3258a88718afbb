#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/FilePaths.h"
#include "feeds/ReadMarks.h"
#include "lang/LanguageTexts.h"
#include "platform/FileIo.h"
#include "platform/IniFile.h"
#include "plugin/OptionsApply.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

class OptionsOk : public ::testing::Test {
 protected:
  OptionsOk() {
    fs::create_directories(folder.File("Cache"));
    context.PluginFolder = folder.Path();
    context.CacheFolder = CacheDir(folder.Path());
    context.IniPath = folder.File("KivoRss.ini");
    context.LoadReadMarks = [](TRSS& table, int i) { LoadReadMarks(table, i); };
  }
  ~OptionsOk() override { clear_lang_texts(); }

  void Load(const std::vector<std::string>& lines, const std::string& ini) {
    globals.FeedLines = lines;
    ASSERT_TRUE(WriteFileAtomic(context.IniPath, ini));
    LoadSettings(globals, rss, context);
  }
  std::string Section(const std::string& address) {
    return PathTo1251(ItemCacheFile(context.CacheFolder, address).filename());
  }
  std::string SectionText(const std::string& address, const std::string& lines) {
    std::string text = Section(address);
    text.insert(text.begin(), '[');
    return text.append("]\r\n").append(lines);
  }
  TFilePath CacheFile(const std::string& address, std::string_view extension) {
    return ChangeFileExt(ItemCacheFile(context.CacheFolder, address), extension);
  }

  const std::string a = "http://a.example/rss";
  const std::string b = "http://b.example/rss";
  testing::TempFolder folder;
  TSettingsContext context;
  TPluginGlobals globals;
  TRSS rss;
};

TEST_F(OptionsOk, OkKeepsKeysTheDialogsDoNotEdit) {
  Load({a + "|A"}, "[Main]\r\nMainExtra=7\r\n[Elsewhere]\r\nkey=kept\r\n" +
                       SectionText(a, "PanelSize=77\r\nETag=\"\"v1\"\"\r\nCheckUpdates=0\r\n"));
  TOptionsDraft draft = MakeOptionsDraft(globals, rss);
  draft.Feeds[0].Settings.CheckUpdates = true;
  draft.Globals.TabsPosition = 1;
  ASSERT_TRUE(ApplyOptions(draft, globals, rss, context));
  const TIniFile ini(context.IniPath);
  EXPECT_EQ(ini.ReadInteger(Section(a), "PanelSize", 0), 77);
  EXPECT_EQ(ini.ReadString(Section(a), "ETag", ""), "\"v1\"");
  EXPECT_TRUE(ini.ReadBool(Section(a), "CheckUpdates", false));
  EXPECT_EQ(ini.ReadString("Main", "MainExtra", ""), "7");
  EXPECT_EQ(ini.ReadInteger("Main", "Tabs_position", 0), 1);
  EXPECT_EQ(ini.ReadString("Elsewhere", "key", ""), "kept");
  EXPECT_TRUE(rss.Channels[0].CheckUpdates);
}

TEST_F(OptionsOk, ChangedAddressTakesItsMarksAndSettingsAlong) {
  const std::string secure = "https://a.example/rss";
  Load({a + "|A", b + "|B"}, SectionText(a, "PanelSize=77\r\n") + SectionText(b, "PanelSize=88\r\n"));
  for (const char* extension : {".rd", ".rss", ".ico"})
    ASSERT_TRUE(WriteFileAtomic(CacheFile(a, extension), "m=2"));
  LoadSettings(globals, rss, context);
  TOptionsDraft draft = MakeOptionsDraft(globals, rss);
  draft.Feeds[0].Address = secure;
  draft.Feeds.erase(draft.Feeds.begin() + 1);
  ASSERT_TRUE(ApplyOptions(draft, globals, rss, context));
  for (const char* extension : {".rd", ".rss", ".ico"}) {
    EXPECT_TRUE(FileExists(CacheFile(secure, extension))) << extension;
    EXPECT_FALSE(FileExists(CacheFile(a, extension))) << extension;
  }
  const TIniFile ini(context.IniPath);
  EXPECT_EQ(ini.ReadInteger(Section(secure), "PanelSize", 0), 77);
  EXPECT_FALSE(ini.SectionExists(Section(a)));
  EXPECT_FALSE(ini.SectionExists(Section(b)));
  EXPECT_EQ(globals.FeedLines, std::vector<std::string>{secure + "|A"});
  EXPECT_NE(rss.Channels[0].ReadMarks.find("m=2"), std::string::npos);
}

// The files were moved one feed after the other: the first move replaced the
// second feed's files before they went.
TEST_F(OptionsOk, FeedsTradingAddressesKeepTheirOwnMarks) {
  Load({a + "|A", b + "|B"}, "");
  ASSERT_TRUE(WriteFileAtomic(CacheFile(a, ".rd"), "of A\r\n") &&
              WriteFileAtomic(CacheFile(b, ".rd"), "of B\r\n"));
  LoadSettings(globals, rss, context);
  TOptionsDraft draft = MakeOptionsDraft(globals, rss);
  std::swap(draft.Feeds[0].Address, draft.Feeds[1].Address);
  ASSERT_TRUE(ApplyOptions(draft, globals, rss, context));
  EXPECT_EQ(ReadFileBytes(CacheFile(b, ".rd")), "of A\r\n");
  EXPECT_EQ(ReadFileBytes(CacheFile(a, ".rd")), "of B\r\n");
}

TEST_F(OptionsOk, FeedStillLoadingStaysLoading) {
  Load({a + "|A", b + "|B"}, "");
  rss.Channels[1].Run->Loading = true;
  const auto running = rss.Channels[1].Run;
  TOptionsDraft draft = MakeOptionsDraft(globals, rss);
  std::swap(draft.Feeds[0], draft.Feeds[1]);
  ASSERT_TRUE(ApplyOptions(draft, globals, rss, context));
  EXPECT_TRUE(rss.Channels[0].Run->Loading);
  EXPECT_EQ(rss.Channels[0].Run, running);
  EXPECT_FALSE(rss.Channels[1].Run->Loading);
}

}  // namespace
}  // namespace kivo
