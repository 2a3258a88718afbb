#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/FileIo.h"
#include "platform/IniFile.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

using testing::TempFolder;

TIniFile IniOf(const TempFolder& folder, const std::string& text) {
  const fs::path path = folder.File("test.ini");
  EXPECT_TRUE(WriteFileAtomic(path, text));
  return TIniFile(path);
}

constexpr const char* kMissing = "<fallback>";

TEST(IniFile, LookupFollowsProfileRules) {
  struct Case {
    std::string text, section, key, expected;
  };
  // Cyrillic names in windows-1251: "Лента" / "ЛЕНТА", "ключ" / "КЛЮЧ".
  const std::string lenta = "\xCB\xE5\xED\xF2\xE0";
  const std::string lentaUpper = "\xCB\xC5\xCD\xD2\xC0";
  const std::string key = "\xEA\xEB\xFE\xF7";
  const std::string keyUpper = "\xCA\xCB\xDE\xD7";
  const std::vector<Case> cases = {
      {"[Main]\r\nLoad_Logo=0\r\n", "MAIN", "load_logo", "0"},
      {"[" + lenta + "]\n" + key + "=1\n", lentaUpper, keyUpper, "1"},
      {"[Main]\n   key   =   spaced value \t\n", "Main", "key", "spaced value"},
      {"[ Main ]\nkey=v\n", "Main", "key", "v"},
      {"[Main]\nkey=\"  quoted  \"\n", "Main", "key", "  quoted  "},
      {"[Main]\nkey='single'\n", "Main", "key", "single"},
      {"[Main]\nkey=\"mixed'\n", "Main", "key", "\"mixed'"},
      {"[Main]\nkey=\"\n", "Main", "key", "\""},
      {"[Main]\nkey=\"\"\n", "Main", "key", ""},
      {"[Main]\nurl=http://a/?b=c\n", "Main", "url", "http://a/?b=c"},
      {"[Main]\nkey=first\nKEY=second\n", "Main", "key", "first"},
      {"[Main]\na=1\n[Other]\nb=2\n[main]\nkey=merged\n", "Main", "key", "merged"},
      {"[Main]\n;key=comment\n", "Main", "key", kMissing},
      {"[Main]\n  ; key=comment\nkey=real\n", "Main", "key", "real"},
      {"[Main]\nkey\n", "Main", "key", kMissing},
      {"key=before any section\n[Main]\n", "Main", "key", kMissing},
      {"[Broken\nkey=v\n", "Broken", "key", "v"},
      {"[Main] trailing text\nkey=v\n", "Main", "key", "v"},
      {"[Main]\r\nkey=\xC0\xFF\x98\x01z\r\n", "Main", "key", "\xC0\xFF\x98\x01z"},
      {"[Main]\nkey=v", "Main", "key", "v"},  // no line end at the end of the file
      {"[Main]\nkey=v\n", "Mai", "key", kMissing},
  };
  TempFolder folder;
  for (const auto& c : cases)
    EXPECT_EQ(IniOf(folder, c.text).ReadString(c.section, c.key, kMissing), c.expected) << c.text;
}

TEST(IniFile, MissingFileReadsAllDefaults) {
  TempFolder folder;
  const TIniFile ini(folder.File("absent.ini"));
  EXPECT_EQ(ini.ReadString("Main", "x", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Main", "x", 30), 30);
  EXPECT_TRUE(ini.ReadBool("Main", "x", true));
  EXPECT_FALSE(ini.SectionExists("Main"));
  EXPECT_TRUE(ini.ReadSections().empty());
  EXPECT_TRUE(TIniFile(fs::path()).ReadSections().empty());
}

// An INI that is there but cannot be read used to be rewritten with only the
// keys the plugin writes, dropping every other setting of it.
TEST(IniFile, UnreadableFileIsNeverOverwritten) {
  TempFolder folder;
  std::filesystem::create_directory(folder.File("busy.ini"));  // there, but nothing to read
  TIniFile ini(folder.File("busy.ini"));
  ini.WriteInteger("Main", "x", 1);
  EXPECT_FALSE(ini.UpdateFile());
  EXPECT_TRUE(DirectoryExists(folder.File("busy.ini")));
}

TEST(IniFile, IntegerReadsLeadingNumberElseFallback) {
  const int fallback = -99;
  // Decimal only: "0x10" reads as 0.
  const std::vector<std::pair<std::string, int>> cases = {
      {"-7", -7},
      {"+5", 5},
      {"  42  ", 42},
      {"12abc", 12},
      {"\"17\"", 17},
      {"0x10", 0},
      {"abc", fallback},
      {"", fallback},
      {"+-3", fallback},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", fallback},
      {"-2147483649", fallback},
  };
  TempFolder folder;
  for (const auto& [value, expected] : cases)
    EXPECT_EQ(IniOf(folder, "[S]\nk=" + value + "\n").ReadInteger("S", "k", fallback), expected) << value;
}

TEST(IniFile, BoolIsAnyNonzeroIntegerElseFallback) {
  struct Case {
    std::string text;
    bool fallback, expected;
  };
  const std::vector<Case> cases = {
      {"[S]\nk=2\n", false, true},  {"[S]\nk=-1\n", false, true},    {"[S]\nk=0\n", true, false},
      {"[S]\nk=abc\n", true, true}, {"[S]\nk=abc\n", false, false},  {"[S]\nk=\n", true, true},
      {"[S]\n", true, true},        {"[S]\nk=true\n", false, false},
  };
  TempFolder folder;
  for (const auto& c : cases)
    EXPECT_EQ(IniOf(folder, c.text).ReadBool("S", "k", c.fallback), c.expected) << c.text << c.fallback;
}

TEST(IniFile, EmptySectionDoesNotCountAsPresent) {
  TempFolder folder;
  const TIniFile ini = IniOf(folder, "[Empty]\n;only a comment\n[Full]\nk=\n");
  EXPECT_FALSE(ini.SectionExists("empty"));
  EXPECT_TRUE(ini.SectionExists("FULL"));
  EXPECT_TRUE(ini.ValueExists("full", "K"));
  EXPECT_FALSE(ini.ValueExists("full", "other"));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Empty", "Full"}));
}

TEST(IniFile, WrittenValuesSurviveUpdateAndReread) {
  TempFolder folder;
  const fs::path path = folder.File("round.ini");
  ASSERT_TRUE(WriteFileAtomic(path, "; kept comment\n[Feed]\nTitle=old\nPanelSize=50\n"));
  {
    TIniFile ini(path);
    ini.WriteString("FEED", "title", "new \xC0\xFF");  // other letter case: same entry
    ini.WriteInteger("Feed", "PanelSize", -120);
    ini.WriteBool("Main", "Load_Logo", false);
    ini.WriteBool("Main", "Show_ListContacts", true);
    ini.WriteString("\xCB\xE5\xED\xF2\xE0", "\xEA\xEB\xFE\xF7", "\xD2\xE5\xF1\xF2");
    ASSERT_TRUE(ini.UpdateFile());
  }
  const TIniFile reread(path);
  EXPECT_EQ(reread.ReadString("Feed", "Title", ""), "new \xC0\xFF");
  EXPECT_EQ(reread.ReadInteger("Feed", "PanelSize", 0), -120);
  EXPECT_EQ(reread.ReadSection("Feed"), (std::vector<std::string>{"Title", "PanelSize"}));
  EXPECT_EQ(reread.Text(),
            "; kept comment\r\n\r\n[Feed]\r\nTitle=new \xC0\xFF\r\nPanelSize=-120\r\n\r\n"
            "[Main]\r\nLoad_Logo=0\r\nShow_ListContacts=1\r\n\r\n"
            "[\xCB\xE5\xED\xF2\xE0]\r\n\xEA\xEB\xFE\xF7=\xD2\xE5\xF1\xF2\r\n");
}

TEST(IniFile, LineBreakInValueCannotInjectEntries) {
  TIniFile ini{fs::path()};
  ini.WriteString("Main", "name", "a\r\n[Evil]\r\nLoad_Logo=0");
  ini.WriteString("Main\n[X]", "k\nz", "v");
  TempFolder folder;
  const TIniFile reread = IniOf(folder, ini.Text());
  EXPECT_FALSE(reread.SectionExists("Evil"));
  EXPECT_FALSE(reread.SectionExists("X"));
  EXPECT_EQ(reread.ReadString("Main", "name", ""), "a  [Evil]  Load_Logo=0");
  EXPECT_EQ(reread.ReadSections().size(), 2u);
}

TEST(IniFile, EraseAndDeleteRemoveEveryCopyAndKeepTheRest) {
  TempFolder folder;
  const fs::path path = folder.File("erase.ini");
  ASSERT_TRUE(WriteFileAtomic(path, "[A]\nx=1\n[B]\ny=2\nk=1\nother=2\nK=3\n[a]\nz=3\n"));
  TIniFile ini(path);
  ini.EraseSection("a");
  ini.EraseSection("missing");
  ini.DeleteKey("b", "k");
  ASSERT_TRUE(ini.UpdateFile());
  TIniFile reread(path);
  EXPECT_EQ(reread.ReadSections(), std::vector<std::string>{"B"});
  EXPECT_EQ(reread.ReadSection("B"), (std::vector<std::string>{"y", "other"}));
  EXPECT_EQ(reread.ReadString("A", "z", "gone"), "gone");
  reread.WriteString("B", "k", "4");
  EXPECT_EQ(reread.ReadString("B", "K", ""), "4");
}

TEST(IniFile, UpdateLeavesNoTemporaryFile) {
  TempFolder folder;
  TIniFile ini(folder.File("plugin.ini"));
  ini.WriteString("Main", "Tabs_position", "1");
  ASSERT_TRUE(ini.UpdateFile());
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"plugin.ini"});

  TIniFile nowhere(folder.File("no_such_folder/plugin.ini"));
  nowhere.WriteString("Main", "k", "v");
  EXPECT_FALSE(nowhere.UpdateFile());
  EXPECT_FALSE(TIniFile(fs::path()).UpdateFile());
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"plugin.ini"});
}

std::vector<std::string> GarbageInputs() {
  std::vector<std::string> inputs = {
      "",
      "[]\n=\n==\n[=]\n",
      std::string(1 << 20, '['),
      "[S]\nk=" + std::string(1 << 20, 'v'),
      std::string("[S]\0\nk\0=\0v\0\n", 13),
      "\r\r\r\n\n\r",
      "\xEF\xBB\xBF[S]\nk=v\n",
  };
  std::mt19937 random(1251);
  const std::string alphabet = "[]=;\"' \t\r\nab\xC0\xFF";
  for (int i = 0; i < 50; ++i) {
    std::string text;
    for (int j = 0; j < 400; ++j) {
      text += (i % 2 == 0) ? alphabet[random() % alphabet.size()] : static_cast<char>(random() & 0xFF);
    }
    inputs.push_back(text);
  }
  return inputs;
}

// Writing back what was read must be stable: a second pass changes nothing.
TEST(IniFile, GarbageParsesAndWritesBackStably) {
  TempFolder folder;
  for (const std::string& input : GarbageInputs()) {
    TIniFile ini = IniOf(folder, input);
    ini.ReadString("S", "k", "");
    ini.ReadInteger("", "", 0);
    ini.WriteString("S", "k", "v");
    const std::string once = ini.Text();
    const TIniFile again = IniOf(folder, once);
    EXPECT_EQ(again.Text(), once);
    EXPECT_EQ(again.ReadString("S", "k", ""), "v");
  }
}

}  // namespace
}  // namespace kivo
