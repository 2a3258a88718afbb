#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "feeds/TextDecoding.h"
#include "options/UnitLang.h"
#include "platform/FileIo.h"
#include "tests/TempFolder.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

class LangFolder : public testing::TempFolder {
 public:
  LangFolder() : TempFolder("kivo_lang_") {}
  void Write(const std::string& name, const std::string& text) const {
    ASSERT_TRUE(WriteFileAtomic(File(name), text));
  }
  void MakeFolder(const std::string& name) const { fs::create_directories(Path() / name); }
  void Remove(const std::string& name) const { fs::remove(Path() / name); }
};

std::string Win(const char* utf8) {
  return Utf8ToWin(utf8).value();
}

const std::string kRussianName = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9";
const std::string kUkrainianName = "\xD3\xEA\xF0\xE0\xBF\xED\xF1\xFC\xEA\xE0";

class LangTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLangDecimalSeparator('.');
    clear_lang_texts();
  }
  void TearDown() override {
    SetLangDecimalSeparator('.');
    clear_lang_texts();
  }
};

struct SpotCase {
  void (*assign)();
  const std::string TLangTexts::*text;
  std::string expected;
};

TEST_F(LangTest, BuiltinSetsGiveTheirExactBytes) {
  const std::vector<SpotCase> cases = {
      {set_lang_russian, &TLangTexts::lang_plug_show,
       "\xCE\xF2\xEA\xF0\xFB\xF2\xFC RSS \xEF\xEB\xE0\xE3\xE8\xED"},
      {set_lang_russian, &TLangTexts::lang_hint_feed, "\xCB\xE5\xED\xF2\xE0: "},
      {set_lang_russian, &TLangTexts::opt_check_list_contacts,
       "\xCF\xEE\xEA\xE0\xE7\xFB\xE2\xE0\xF2\xFC \xEB\xE5\xED\xF2\xFB \xE2 \xF1\xEF\xE8\xF1\xEA\xE5"},
      {set_lang_russian, &TLangTexts::lang_opt_label_infoval, Win("Язык по умолчанию")},
      {set_lang_russian, &TLangTexts::lang_opt_groupbox_label_user, Win("Пользов.")},
      {set_lang_russian, &TLangTexts::lang_main_popup_mark_blue, Win("Пометить тему")},
      {set_lang_ukrainian, &TLangTexts::lang_hint_feed, "\xD1\xF2\xF0\xB3\xF7\xEA\xE0: "},
      {set_lang_ukrainian, &TLangTexts::lang_main_popup_mark_green,
       "\xCF\xEE\xE7\xED\xE0\xF7\xE8\xF2\xE8 \xF2\xE5\xEC\xF3 \xE7\xE5\xEB\xE5\xED\xE8\xEC"},
      {set_lang_ukrainian, &TLangTexts::opt_check_list_contacts,
       "\xC2\xB3\xE4\xEE\xE1\xF0\xE0\xE6\xE0\xF2\xE8 \xF1\xF2\xF0\xB3\xF7\xEA\xE8 \xE2 "
       "\xEA\xEE\xED\xF2\xE0\xEA\xF2\xEB\xE8\xF1\xF2\xB3"},
      {set_lang_ukrainian, &TLangTexts::lang_opt_label_infoval, "..."},
      {set_lang_ukrainian, &TLangTexts::lang_opt_check_show_button, Win("Кнопка")},
      {set_lang_english, &TLangTexts::lang_hint_feed, "Feed: "},
      {set_lang_english, &TLangTexts::lang_hint_feedaddr, "Feed address: "},
      {set_lang_english, &TLangTexts::lang_hint_lastupd, "Last updated:"},
      {set_lang_english, &TLangTexts::lang_err_load, "An error occoured while loading the feed"},
      {set_lang_english, &TLangTexts::lang_opt2_Check_Double_Tags, "Double processing tags"},
      {set_lang_english, &TLangTexts::opt_check_list_contacts, "Show feeds in contactlist"},
      {set_lang_english, &TLangTexts::lang_main_form_caption, "RSS Reader"},
  };
  for (const auto& c : cases) {
    clear_lang_texts();
    c.assign();
    EXPECT_EQ(Lang.*c.text, c.expected) << WinToUtf8(c.expected);
  }
}

TEST_F(LangTest, EverySetFillsAllTextsAndEnglishStaysAscii) {
  for (auto assign : {set_lang_russian, set_lang_ukrainian, set_lang_english}) {
    set_lang_russian();
    assign();
    for (const std::string_view key : LangKeys()) EXPECT_FALSE(LangTextOf(Lang, key)->empty()) << key;
    EXPECT_FALSE(Lang.opt_check_list_contacts.empty());
  }
  clear_lang_texts();
  set_lang_english();
  for (const std::string_view key : LangKeys()) {
    for (const char c : *LangTextOf(Lang, key))
      EXPECT_LT(static_cast<unsigned char>(c), 0x80) << key;  // a swapped column shows here
  }
}

TEST_F(LangTest, KeysAreTheEightyEightDistinctTexts) {
  const auto& keys = LangKeys();
  ASSERT_EQ(keys.size(), 88u);
  EXPECT_EQ(keys.front(), "lang_plug_show");
  EXPECT_EQ(keys[29], "lang_opt_label_versionval");
  EXPECT_EQ(keys.back(), "lang_hint_lastscan");
  std::set<const std::string*> texts;
  for (const std::string_view key : keys) texts.insert(LangTextOf(Lang, key));
  EXPECT_EQ(texts.size(), 88u);
  EXPECT_EQ(texts.count(nullptr), 0u);
  EXPECT_EQ(texts.count(&Lang.opt_check_list_contacts), 0u);
  EXPECT_EQ(LangTextOf(Lang, "LANG_PLUG_SHOW"), nullptr);
}

TEST_F(LangTest, VersionValueIsRussianLocaleNumberInEverySet) {
  SetLangDecimalSeparator(',');
  set_lang_russian();
  EXPECT_EQ(Lang.lang_opt_label_versionval, "2,5");
  Lang.lang_opt_label_versionval = "kept";
  set_lang_english();
  EXPECT_EQ(Lang.lang_opt_label_versionval, "kept");
  set_lang_ukrainian();
  EXPECT_EQ(Lang.lang_opt_label_versionval, "kept");
  SetLangDecimalSeparator('.');
  set_lang_russian();
  EXPECT_EQ(Lang.lang_opt_label_versionval, "2.5");
}

TEST_F(LangTest, UnloadEmptiesEveryText) {
  set_lang_russian();
  clear_lang_texts();
  for (const std::string_view key : LangKeys()) EXPECT_TRUE(LangTextOf(Lang, key)->empty()) << key;
  EXPECT_TRUE(Lang.opt_check_list_contacts.empty());
}

TEST_F(LangTest, FileWithOneKeyKeepsRussianAndEmptiesValueTexts) {
  LangFolder folder;
  folder.Write("Mini.lng", "[RSS_Reader_Lang_File]\r\nlang_main_form_caption=Mini Reader\r\n");
  set_lang_russian();
  const TLangTexts russian = Lang;
  ASSERT_TRUE(load_lang_file(folder.Folder() + "Mini.lng", '.'));
  EXPECT_EQ(Lang.lang_main_form_caption, "Mini Reader");
  EXPECT_EQ(Lang.lang_plug_show, russian.lang_plug_show);
  EXPECT_EQ(Lang.lang_hint_feed, russian.lang_hint_feed);
  EXPECT_EQ(Lang.opt_check_list_contacts, russian.opt_check_list_contacts);
  EXPECT_EQ(Lang.lang_opt_label_authorval, "");
  EXPECT_EQ(Lang.lang_opt_label_versionval, "");
  EXPECT_EQ(Lang.lang_opt_label_infoval, "");
  EXPECT_FALSE(lang_version_ok(Lang.lang_opt_label_versionval, '.'));
}

TEST_F(LangTest, MissingFileChangesNothing) {
  LangFolder folder;
  set_lang_english();
  const TLangTexts before = Lang;
  EXPECT_FALSE(load_lang_file(folder.Folder() + "Absent.lng", '.'));
  folder.MakeFolder("Dir.lng");
  EXPECT_FALSE(load_lang_file(folder.Folder() + "Dir.lng", '.'));
  EXPECT_EQ(Lang.lang_opt_label_authorval, before.lang_opt_label_authorval);
  EXPECT_EQ(Lang.lang_plug_show, before.lang_plug_show);
}

TEST_F(LangTest, FileReadsOnlyKnownKeysOfItsSection) {
  LangFolder folder;
  folder.Write("Full.lng",
               "; translated by hand\n"
               "[Other]\nlang_plug_show=wrong section\n"
               "[rss_reader_lang_file]\n"
               "LANG_PLUG_SHOW=  Open it  \n"
               "lang_hint_feed=\"Feed: \"\n"
               "lang_unknown_key=ignored\n"
               "opt_check_list_contacts=cannot change\n"
               ";lang_hint_lastscan=commented out\n"
               "lang_opt_label_authorval=Somebody\n"
               "lang_opt_label_versionval=2,6\n"
               "lang_opt_label_infoval=\xD2\xE5\xF1\xF2\n"
               "lang_opt2_check_wide_checknew=\n"
               "[Other]\nlang_main_list_date=wrong section again\n");
  set_lang_russian();
  const TLangTexts russian = Lang;
  ASSERT_TRUE(load_lang_file(folder.Folder() + "Full.lng", ','));
  EXPECT_EQ(Lang.lang_plug_show, "Open it");
  EXPECT_EQ(Lang.lang_hint_feed, "Feed: ");
  EXPECT_EQ(Lang.opt_check_list_contacts, russian.opt_check_list_contacts);
  EXPECT_EQ(Lang.lang_hint_lastscan, russian.lang_hint_lastscan);
  EXPECT_EQ(Lang.lang_main_list_date, russian.lang_main_list_date);
  EXPECT_EQ(Lang.lang_opt_label_authorval, "Somebody");
  EXPECT_EQ(Lang.lang_opt_label_versionval, "2,6");
  EXPECT_EQ(Lang.lang_opt_label_infoval, "\xD2\xE5\xF1\xF2");
  EXPECT_EQ(Lang.lang_opt2_check_wide_checknew, "");  // present but empty is not missing

  const auto info = ReadLangFileInfo(folder.Folder() + "Full.lng");
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->author, "Somebody");
  EXPECT_EQ(info->version, "2,6");
  EXPECT_FALSE(ReadLangFileInfo(folder.Folder() + "Absent.lng").has_value());
}

struct VersionCase {
  std::string text;
  bool passes;
};

TEST_F(LangTest, VersionTestAcceptsPointAndCommaWithEitherSeparator) {
  const std::vector<VersionCase> cases = {
      {"2,5", true},  {"2.5", true},   {"3", true},     {"10", true},    {"2.50", true},   {"2.6", true},
      {"2.4", false}, {"2,49", false}, {"word", false}, {"", false},     {"2.5.1", false}, {"2.5x", false},
      {"-3", false},  {"inf", false},  {"nan", false},  {"2,5,", false},
  };
  for (const char separator : {',', '.'}) {
    for (const auto& c : cases)
      EXPECT_EQ(lang_version_ok(c.text, separator), c.passes) << c.text << separator;
    EXPECT_TRUE(lang_version_ok(BuiltinLangVersion(separator), separator));
  }
}

TEST_F(LangTest, EmptyFolderOffersExactlyTheBuiltinLanguages) {
  LangFolder folder;
  std::vector<std::string> list = {"stale"};
  fill_language_list(list, folder.Folder());
  EXPECT_EQ(list, (std::vector<std::string>{kRussianName, kUkrainianName, "English"}));
  fill_language_list(list, folder.Folder() + "missing/");
  EXPECT_EQ(list.size(), 3u);
}

TEST_F(LangTest, LanguageFilesFollowTheBuiltinsSortedWithoutCase) {
  LangFolder folder;
  for (const char* name :
       {"b.lng", "A.LNG", "Deutsch.Lng", ".lng", "notes.txt", "x.lng.bak", "lng", "c.d.lng"})
    folder.Write(name, "");
  folder.MakeFolder("Folder.lng");
  std::vector<std::string> list;
  fill_language_list(list, folder.Folder());
  EXPECT_EQ(list,
            (std::vector<std::string>{kRussianName, kUkrainianName, "English", "A", "b", "c.d", "Deutsch"}));
}

struct ApplyCase {
  int storedIndex;
  int appliedIndex;
  std::string caption;
};

TEST_F(LangTest, ApplyClampsTheIndexAndStartsFromRussian) {
  LangFolder folder;
  folder.Write("English.lng", "[RSS_Reader_Lang_File]\nlang_main_form_caption=File English\n");
  folder.Write("Zulu.lng",
               "[RSS_Reader_Lang_File]\nlang_main_form_caption=Zulu\nlang_opt_label_versionval=1\n");
  std::vector<std::string> list;
  fill_language_list(list, folder.Folder());
  ASSERT_EQ(list.size(), 5u);
  ASSERT_EQ(list[3], "English");

  set_lang_russian();
  const TLangTexts russian = Lang;
  set_lang_ukrainian();
  const std::string ukrainianCaption = Lang.lang_opt_form_caption;
  const std::vector<ApplyCase> cases = {
      {0, 0, "RSS Reader"}, {1, 1, "RSS Reader"}, {2, 2, "RSS Reader"},  {3, 3, "File English"},
      {4, 4, "Zulu"},       {5, 0, "RSS Reader"}, {99, 0, "RSS Reader"}, {-1, 0, "RSS Reader"},
  };
  for (const auto& c : cases) {
    set_lang_english();  // whatever was there before must not leak through
    int index = c.storedIndex;
    apply_language(index, list, folder.Folder(), ',');
    EXPECT_EQ(index, c.appliedIndex) << c.storedIndex;
    EXPECT_EQ(Lang.lang_main_form_caption, c.caption) << c.storedIndex;
    if (c.appliedIndex == 1) {
      EXPECT_EQ(Lang.lang_opt_form_caption, ukrainianCaption);
    } else if (c.appliedIndex != 2) {
      EXPECT_EQ(Lang.lang_plug_show, russian.lang_plug_show) << c.storedIndex;
    }
    if (c.appliedIndex < kFirstLangFile) {
      EXPECT_EQ(Lang.lang_opt_label_versionval, "2,5");
    }
  }
}

TEST_F(LangTest, RemovedLanguageFileLeavesRussianAndKeepsTheIndex) {
  LangFolder folder;
  folder.Write("Gone.lng", "[RSS_Reader_Lang_File]\nlang_main_form_caption=Gone\n");
  std::vector<std::string> list;
  fill_language_list(list, folder.Folder());
  folder.Remove("Gone.lng");
  set_lang_english();
  int index = 3;
  apply_language(index, list, folder.Folder(), '.');
  EXPECT_EQ(index, 3);
  set_lang_russian();
  const TLangTexts russian = Lang;
  EXPECT_EQ(russian.lang_opt_label_authorval, "Plugin Author");
  apply_language(index, list, folder.Folder(), '.');
  EXPECT_EQ(Lang.lang_plug_show, russian.lang_plug_show);
  EXPECT_EQ(Lang.lang_opt_label_authorval, "Plugin Author");
  EXPECT_EQ(Lang.lang_opt_label_versionval, "2.5");
}

TEST_F(LangTest, WindowsAreRelabelledInFixedOrderWhileTheyExist) {
  std::vector<std::string> calls;
  const std::vector<std::string> list = {"a", "b", "c"};
  TAssotiateLanguageHook feedSettings(TLangWindow::FeedSettings, [&] { calls.push_back("opt2"); });
  TAssotiateLanguageHook options(TLangWindow::Options,
                                 [&] { calls.push_back("opt:" + Lang.lang_hint_feed); });
  TAssotiateLanguageHook reader(TLangWindow::Reader, [&] { calls.push_back("main"); });
  {
    TAssotiateLanguageHook closed(TLangWindow::Reader, [&] { calls.push_back("closed"); });
  }
  int index = 2;
  apply_language(index, list, "", '.');
  EXPECT_EQ(calls, (std::vector<std::string>{"main", "opt:Feed: ", "opt2"}));

  calls.clear();
  TAssotiateLanguageHook moved = std::move(options);
  options = TAssotiateLanguageHook();
  CallAssotiateLanguageHooks();
  EXPECT_EQ(calls.size(), 3u);
}

TEST_F(LangTest, WindowDroppingAnotherDuringRelabelIsNotCalled) {
  std::vector<std::string> calls;
  auto feedSettings =
      std::make_unique<TAssotiateLanguageHook>(TLangWindow::FeedSettings, [&] { calls.push_back("opt2"); });
  TAssotiateLanguageHook reader(TLangWindow::Reader, [&] {
    calls.push_back("main");
    feedSettings.reset();
  });
  CallAssotiateLanguageHooks();
  EXPECT_EQ(calls, std::vector<std::string>{"main"});
}

}  // namespace
}  // namespace kivo
