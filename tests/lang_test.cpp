#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/Text1251.h"
#include "lang/LangTemplate.h"
#include "lang/LanguageTexts.h"
#include "platform/FileIo.h"
#include "tests/support/TempFolder.h"
#include "tools/cli/Commands.h"

namespace kivo {
namespace {

const std::string kRussianName = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9";
const std::string kUkrainianName = "\xD3\xEA\xF0\xE0\xBF\xED\xF1\xFC\xEA\xE0";

class LangTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    SetLangDecimalSeparator('.');
    clear_lang_texts();
  }
  void Write(const std::string& name, const std::string& text) const {
    ASSERT_TRUE(WriteFileAtomic(temp_.File(name), text));
  }

  testing::TempFolder temp_{"kivo_lang_"};
  const std::filesystem::path folder_ = temp_.Path();
};

TEST_F(LangTest, BuiltinSetsGiveTheirExactWindows1251Bytes) {
  struct Case {
    void (*assign)();
    const std::string TLangTexts::*text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {set_lang_russian, &TLangTexts::lang_plug_show,
       "\xCE\xF2\xEA\xF0\xFB\xF2\xFC RSS \xEF\xEB\xE0\xE3\xE8\xED"},
      {set_lang_ukrainian, &TLangTexts::lang_hint_feed, "\xD1\xF2\xF0\xB3\xF7\xEA\xE0: "},
      {set_lang_ukrainian, &TLangTexts::opt_check_list_contacts,
       "\xC2\xB3\xE4\xEE\xE1\xF0\xE0\xE6\xE0\xF2\xE8 \xF1\xF2\xF0\xB3\xF7\xEA\xE8 \xE2 "
       "\xEA\xEE\xED\xF2\xE0\xEA\xF2\xEB\xE8\xF1\xF2\xB3"},
      {set_lang_english, &TLangTexts::opt_check_list_contacts, "Show feeds in contactlist"},
  };
  for (const auto& c : cases) {
    clear_lang_texts();
    c.assign();
    EXPECT_EQ(Lang.*c.text, c.expected) << WinToUtf8(c.expected);
  }
}

TEST_F(LangTest, EverySetFillsAllTextsEnglishStaysAsciiAndUnloadEmptiesThem) {
  for (auto assign : {set_lang_russian, set_lang_ukrainian, set_lang_english}) {
    set_lang_russian();  // a set without a text of its own keeps the Russian one
    assign();
    for (const std::string_view key : LangKeys()) EXPECT_FALSE(LangTextOf(Lang, key)->empty()) << key;
  }
  clear_lang_texts();
  set_lang_english();
  for (const std::string_view key : LangKeys()) {
    for (const char c : *LangTextOf(Lang, key))
      EXPECT_LT(static_cast<unsigned char>(c), 0x80) << key;  // a swapped column shows here
  }
  clear_lang_texts();
  for (const std::string_view key : LangKeys()) EXPECT_TRUE(LangTextOf(Lang, key)->empty()) << key;
  EXPECT_TRUE(Lang.opt_check_list_contacts.empty());
}

TEST_F(LangTest, EveryKeyNamesItsOwnTextAndTheFixedTextHasNoKey) {
  std::set<const std::string*> texts;
  for (const std::string_view key : LangKeys()) texts.insert(LangTextOf(Lang, key));
  EXPECT_EQ(texts.size(), LangKeys().size()) << "two keys share a text";
  EXPECT_EQ(texts.count(nullptr), 0u);
  EXPECT_EQ(texts.count(&Lang.opt_check_list_contacts), 0u);
  EXPECT_EQ(LangTextOf(Lang, "LANG_PLUG_SHOW"), nullptr);
}

TEST_F(LangTest, FileReadsOnlyKnownKeysOfItsSectionAndEmptiesMissingValueTexts) {
  Write("Mini.lng", "[RSS_Reader_Lang_File]\r\nlang_main_form_caption=Mini Reader\r\n");
  Write("Full.lng",
        "; translated by hand\n"
        "[Other]\nlang_plug_show=wrong section\n"
        "[rss_reader_lang_file]\n"
        "LANG_PLUG_SHOW=  Open it  \n"
        "lang_hint_feed=\"Feed: \"\n"
        "opt_check_list_contacts=cannot change\n"
        ";lang_hint_lastscan=commented out\n"
        "lang_opt_label_authorval=Somebody\n"
        "lang_opt_label_versionval=2,6\n"
        "lang_opt2_check_wide_checknew=\n"
        "[Other]\nlang_main_list_date=wrong section again\n");
  set_lang_russian();
  const TLangTexts russian = Lang;
  ASSERT_TRUE(load_lang_file(folder_ / "Mini.lng", '.'));
  EXPECT_EQ(Lang.lang_main_form_caption, "Mini Reader");
  EXPECT_EQ(Lang.lang_plug_show, russian.lang_plug_show);
  EXPECT_EQ(Lang.opt_check_list_contacts, russian.opt_check_list_contacts);
  EXPECT_EQ(Lang.lang_opt_label_authorval + Lang.lang_opt_label_versionval + Lang.lang_opt_label_infoval, "");
  EXPECT_FALSE(lang_version_ok(Lang.lang_opt_label_versionval, '.'));

  set_lang_russian();
  ASSERT_TRUE(load_lang_file(folder_ / "Full.lng", ','));
  EXPECT_EQ(Lang.lang_plug_show, "Open it");
  EXPECT_EQ(Lang.lang_hint_feed, "Feed: ");
  EXPECT_EQ(Lang.opt_check_list_contacts, russian.opt_check_list_contacts);
  EXPECT_EQ(Lang.lang_hint_lastscan, russian.lang_hint_lastscan);
  EXPECT_EQ(Lang.lang_main_list_date, russian.lang_main_list_date);
  EXPECT_EQ(Lang.lang_opt_label_versionval, "2,6");
  EXPECT_EQ(Lang.lang_opt2_check_wide_checknew, "");  // present but empty is not missing

  const auto info = ReadLangFileInfo(folder_ / "Full.lng");
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->author + " " + info->version, "Somebody 2,6");
  EXPECT_FALSE(ReadLangFileInfo(folder_ / "Absent.lng").has_value());
}

TEST_F(LangTest, MissingFileChangesNothing) {
  set_lang_english();
  const TLangTexts before = Lang;
  EXPECT_FALSE(load_lang_file(folder_ / "Absent.lng", '.'));
  std::filesystem::create_directories(temp_.Path() / "Dir.lng");
  EXPECT_FALSE(load_lang_file(folder_ / "Dir.lng", '.'));
  EXPECT_EQ(Lang.lang_opt_label_authorval, before.lang_opt_label_authorval);
  EXPECT_EQ(Lang.lang_plug_show, before.lang_plug_show);
}

TEST_F(LangTest, VersionTestAcceptsPointAndCommaWithEitherSeparator) {
  struct Case {
    std::string text;
    bool passes;
  };
  const std::vector<Case> cases = {
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

TEST_F(LangTest, LanguageFilesFollowTheBuiltinsSortedWithoutCase) {
  std::vector<std::string> list = {"stale"};
  fill_language_list(list, folder_ / "missing");
  EXPECT_EQ(list, (std::vector<std::string>{kRussianName, kUkrainianName, "English"}));

  for (const char* name :
       {"b.lng", "A.LNG", "Deutsch.Lng", ".lng", "notes.txt", "x.lng.bak", "lng", "c.d.lng"})
    Write(name, "");
  std::filesystem::create_directories(temp_.Path() / "Folder.lng");
  fill_language_list(list, folder_);
  EXPECT_EQ(list,
            (std::vector<std::string>{kRussianName, kUkrainianName, "English", "A", "b", "c.d", "Deutsch"}));
}

TEST_F(LangTest, ApplyClampsTheIndexAndStartsFromRussianAndSurvivesARemovedFile) {
  Write("English.lng", "[RSS_Reader_Lang_File]\nlang_main_form_caption=File English\n");
  Write("Gone.lng", "[RSS_Reader_Lang_File]\nlang_main_form_caption=Gone\n");
  Write("Zulu.lng", "[RSS_Reader_Lang_File]\nlang_main_form_caption=Zulu\nlang_opt_label_versionval=1\n");
  std::vector<std::string> list;
  fill_language_list(list, folder_);
  ASSERT_EQ(list.size(), 6u);
  std::filesystem::remove(temp_.File("Gone.lng"));  // listed, then deleted before it is applied

  set_lang_russian();
  const TLangTexts russian = Lang;
  set_lang_ukrainian();
  const std::string ukrainianCaption = Lang.lang_opt_form_caption;
  struct Case {
    int storedIndex;
    int appliedIndex;
    std::string caption;
  };
  const std::vector<Case> cases = {
      {0, 0, "RSS Reader"},   {1, 1, "RSS Reader"},  {2, 2, "RSS Reader"},
      {3, 3, "File English"}, {4, 4, "RSS Reader"},  {5, 5, "Zulu"},
      {6, 0, "RSS Reader"},   {99, 0, "RSS Reader"}, {-1, 0, "RSS Reader"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.storedIndex);
    set_lang_english();  // whatever was there before must not leak through
    int index = c.storedIndex;
    apply_language(index, list, folder_, ',');
    EXPECT_EQ(index, c.appliedIndex);
    EXPECT_EQ(Lang.lang_main_form_caption, c.caption);
    if (c.appliedIndex == 1) {
      EXPECT_EQ(Lang.lang_opt_form_caption, ukrainianCaption);
    } else if (c.appliedIndex != 2) {
      EXPECT_EQ(Lang.lang_plug_show, russian.lang_plug_show);
    }
    if (c.caption == "RSS Reader") {
      EXPECT_EQ(Lang.lang_opt_label_versionval, "2,5");
      EXPECT_EQ(Lang.lang_opt_label_authorval, russian.lang_opt_label_authorval);
    }
  }
}

TEST_F(LangTest, WindowsAreRelabelledInFixedOrderWhileTheyExist) {
  std::vector<std::string> calls;
  TAssotiateLanguageHook feedSettings(TLangWindow::FeedSettings, [&] { calls.push_back("opt2"); });
  TAssotiateLanguageHook options(TLangWindow::Options,
                                 [&] { calls.push_back("opt:" + Lang.lang_hint_feed); });
  TAssotiateLanguageHook reader(TLangWindow::Reader, [&] { calls.push_back("main"); });
  {
    TAssotiateLanguageHook closed(TLangWindow::Reader, [&] { calls.push_back("closed"); });
  }
  int index = 2;
  apply_language(index, {"a", "b", "c"}, std::filesystem::path(), '.');
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

// A language file is anyone's text: its markers must never be read as a
// printf format, and a marker short of a value stays as written.
TEST(FillIn, MarkersTakeTheValuesInOrderAndNothingElseIsFormatted) {
  const struct {
    const char* text;
    std::initializer_list<std::string> values;
    const char* filled;
  } cases[] = {
      {"%d added, %d skipped", {"3", "1"}, "3 added, 1 skipped"},
      {"feed %s?", {"A (http://a/)"}, "feed A (http://a/)?"},
      {"%s%s%n%x", {"1"}, "1%s%n%x"},
      {"100% %d", {"2"}, "100% 2"},
      {"ends in %", {"2"}, "ends in %"},
      {"none", {"2"}, "none"},
  };
  for (const auto& c : cases) EXPECT_EQ(FillIn(c.text, c.values), c.filled) << c.text;
}

// What reading would change is quoted; what it keeps is written as it is.
TEST(LangTemplate, ValuesThatReadingWouldChangeAreQuotedOthersAreNot) {
  struct TCase {
    std::string_view Text;
    std::string_view Written;
  };
  for (const TCase& c :
       {TCase{"Plain text", "Plain text"}, TCase{" leading", "\" leading\""},
        TCase{"trailing ", "\"trailing \""}, TCase{"tab\t", "\"tab\t\""}, TCase{"\"both\"", "\"\"both\"\""},
        TCase{"'both'", "\"'both'\""}, TCase{"\"only at the start", "\"only at the start"}, TCase{"'", "'"},
        TCase{"one\rtwo", "one\\rtwo"}, TCase{"", ""}}) {
    EXPECT_EQ(EncodeLangValue(c.Text), c.Written) << c.Text;
  }
  EXPECT_EQ(DecodeLangValue("one\\rtwo\\n\\"), "one\rtwo\\n\\") << "only \\r is a line break";
}

// The translators' template of each built-in language, loaded over nothing,
// gives every key the text the language itself has.
TEST_F(LangTest, ExportedTemplateOfEachLanguageLoadsBackWithIdenticalTexts) {
  for (const std::string name : {"ru", "uk", "en"}) {
    std::string file;
    ASSERT_EQ(cli::Run({"lang", "export", name}, file), cli::kExitOk) << name;
    const TLangTexts exported = Lang;
    EXPECT_NE(file.find("\r\nlang_opt_label_versionval=2.5\r\n"), std::string::npos) << name;
    Write(name + ".lng", file);
    clear_lang_texts();
    ASSERT_TRUE(load_lang_file(folder_ / (name + ".lng"), '.'));
    TLangTexts loaded = Lang;
    TLangTexts expected = exported;
    for (const std::string_view key : LangKeys())
      EXPECT_EQ(*LangTextOf(loaded, key), *LangTextOf(expected, key)) << name << " " << key;
  }
  std::string ignored;
  EXPECT_EQ(cli::Run({"lang", "export", "de"}, ignored), cli::kExitUsage);
}

}  // namespace
}  // namespace kivo
