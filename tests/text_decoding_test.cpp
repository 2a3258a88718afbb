#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "feeds/TextDecoding.h"
#include "tests/TempFolder.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

// Test texts are written in UTF-8 for readability; WinToUtf8/Utf8ToWin are
// checked against raw bytes below.
std::string Win(const std::string& utf8) {
  return Utf8ToWin(utf8).value();
}

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

struct Case {
  std::string input;
  std::string expected;
};

TEST(DecodeEntities, AppliesTheEightStepsInOrderAndNothingElse) {
  const std::vector<Case> cases = {
      {"&amp;amp;", "&;"},           // step 1 leaves "&amp;", step 2 eats "amp"
      {"&amp;lt;b&amp;gt;", "<b>"},  // an escaped entity decodes in the same pass
      {"&lt;b&gt;bold&lt;/b&gt;", "<b>bold</b>"},
      {"&ampersand &amp &quotation", "&ersand & \"ation"},
      {"&amp;quot;", "\""},
      {"&ldquo;x&rdquo;", "\"x\""},
      {"&#1040;&nbsp;&apos;&LT;&Amp;", "&#1040;&nbsp;&apos;&LT;&Amp;"},
      {"no entities", "no entities"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEntities(c.input), c.expected) << c.input;
}

TEST(ReplaceAll, DoesNotRescanInsertedTextAndMatchesCase) {
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceAll("aaaaa", "aa", "b"), "bba");
  EXPECT_EQ(ReplaceAll("Abc abc", "abc", "x"), "Abc x");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(Koi8ToWin, MapsEveryRussianLetterExceptYo) {
  EXPECT_EQ(Koi8ToWin("\xE1"), "\xC0");
  EXPECT_EQ(Koi8ToWin("\xC1"), "\xE0");
  const std::string letters = Koi8ToWin(AllBytes().substr(0xC0));
  EXPECT_EQ(WinToUtf8(letters), "юабцдефгхийклмнопярстужвьызшэщчъЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ");
}

TEST(Koi8ToWin, LeavesEveryByteBelowTheLettersAlone) {
  // Includes digits, Latin, "-", "_" and the KOI8 yo bytes 0xA3/0xB3.
  const std::string low = AllBytes().substr(0, 0xC0);
  EXPECT_EQ(Koi8ToWin(low), low);
}

TEST(Utf8ToWin, AsciiComesBackUnchanged) {
  const std::string ascii = "plain ASCII text, long enough to cross 8-byte words\t\r\n\x01\x7F";
  EXPECT_EQ(Utf8ToWin(ascii), ascii);
  EXPECT_EQ(Utf8ToWin(""), "");
}

TEST(Utf8ToWin, ConvertsCyrillicAndPunctuation) {
  const std::vector<Case> cases = {
      {"Привет", "\xCF\xF0\xE8\xE2\xE5\xF2"},
      {"abcdefgЁж 12345678ё", "abcdefg\xA8\xE6 12345678\xB8"},
      {"€ № — «»", "\x88 \xB9 \x97 \xAB\xBB"},
      {"Ґ ї Ў", "\xA5 \xBF \xA1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToWin(c.input), c.expected) << c.input;
}

TEST(Utf8ToWin, CharactersWithoutAFormBecomeDecimalReferences) {
  const std::vector<Case> cases = {
      {"caf\xC3\xA9", "caf&#233;"},
      {"\xC2\x80", "&#128;"},
      {"\xDF\xBF", "&#2047;"},
      {"\xE4\xB8\xAD!", "&#20013;!"},
      {"\xEF\xBF\xBF", "&#65535;"},
      {"a\xF0\x9F\x98\x80z", "a&#128512;z"},  // a four-byte form is one character
      {"\xF4\x8F\xBF\xBF", "&#1114111;"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToWin(c.input), c.expected) << c.expected;
}

TEST(Utf8ToWin, GrowsPastTheInputSizeForManyReferences) {
  std::string utf8, expected;
  for (int i = 0; i < 5000; ++i) {
    utf8 += "ab\xE4\xB8\xAD\xD1\x8F";
    expected += "ab&#20013;\xFF";
  }
  EXPECT_EQ(Utf8ToWin(utf8), expected);
}

TEST(Utf8ToWin, RejectsEveryMalformedKind) {
  struct Malformed {
    const char* kind;
    std::string bytes;
  };
  const std::vector<Malformed> cases = {
      {"overlong two-byte", "\xC0\x80"},
      {"overlong two-byte", "\xC1\xBF"},
      {"overlong three-byte", "\xE0\x80\x80"},
      {"overlong three-byte", "\xE0\x9F\xBF"},
      {"overlong four-byte", "\xF0\x80\x80\x80"},
      {"overlong four-byte", "\xF0\x8F\xBF\xBF"},
      {"surrogate", "\xED\xA0\x80"},
      {"surrogate", "\xED\xBF\xBF"},
      {"above U+10FFFF", "\xF4\x90\x80\x80"},
      {"bad lead byte", "\xF5\x80\x80\x80"},
      {"bad lead byte", "\xF8\x88\x80\x80\x80"},
      {"bad lead byte", "\xFF"},
      {"stray continuation", "\x80"},
      {"stray continuation", "abc\xBF"},
      {"cut short", "\xD0"},
      {"cut short", "ok\xE2\x82"},
      {"cut short", "\xF0\x9F\x98"},
      {"continuation missing", "\xD0 "},
      {"continuation missing", "\xE2\x82 "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWin(c.bytes), std::nullopt) << c.kind;
    EXPECT_EQ(Utf8ToWinOrKeep(c.bytes), c.bytes) << c.kind;
  }
}

TEST(Utf8ToWin, Windows1251CyrillicIsMalformedAndKeptByOrKeep) {
  const std::string win = "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0";
  EXPECT_EQ(Utf8ToWin(win), std::nullopt);
  EXPECT_EQ(Utf8ToWinOrKeep(win), win);
  EXPECT_EQ(Utf8ToWinOrKeep("Мир"), "\xCC\xE8\xF0");
}

TEST(SingleByteCodePages, MissingCharactersBecomeReferences) {
  EXPECT_EQ(Latin1ToWin("caf\xE9 \xA9\xA0\xAB"), "caf&#233; \xA9\xA0\xAB");
  EXPECT_EQ(Latin1ToWin("\x80\x9F"), "&#128;&#159;");
  EXPECT_EQ(Cp1252ToWin("\x80 \x93q\x94 \x85"), "\x88 \x93q\x94 \x85");
  EXPECT_EQ(Cp1252ToWin("\x8A\x98\xE9"), "&#352;&#732;&#233;");
  EXPECT_EQ(Cp1252ToWin("\x81\x8D\x8F\x90\x9D"), "&#129;&#141;&#143;&#144;&#157;");
}

TEST(Utf16, EveryWindows1251ByteRoundTrips) {
  const std::string bytes = AllBytes();
  EXPECT_EQ(Utf16ToWin(WinToUtf16(bytes)), bytes);
  EXPECT_EQ(Utf8ToWin(WinToUtf8(bytes)), bytes);
  EXPECT_EQ(WinToUtf16("\xC0\xFF\xA8\xB9\x88"), u"Ая\u0401\u2116\u20AC");
  EXPECT_EQ(WinToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"), "Привет");
}

TEST(Utf16, UnitsWithoutAFormBecomeQuestionMarks) {
  EXPECT_EQ(Utf16ToWin(u"a\u00E9\u4E2D\xD83D\xDE00z"), "a????z");
  EXPECT_EQ(Utf16ToWin(std::u16string(1, u'\0')), std::string(1, '\0'));
}

TEST(LetterCase, FoldsCyrillicYoAndTheOtherSlavicLetters) {
  const std::vector<Case> pairs = {
      {"ABCXYZ", "abcxyz"},
      {"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ", "абвгдежзийклмнопрстуфхцчшщъыьэюя"},
      {"ЁЂЃЉЊЌЋЏЎЈҐЄЇІЅ", "ёђѓљњќћџўјґєїіѕ"},
  };
  for (const auto& [upper, lower] : pairs) {
    EXPECT_EQ(LowerCase1251(Win(upper)), Win(lower)) << upper;
    EXPECT_EQ(UpperCase1251(Win(lower)), Win(upper)) << lower;
    EXPECT_TRUE(SameText1251(Win(upper), Win(lower))) << upper;
  }
  const std::string others = Win("0123 №µ€«»—-_ ");
  EXPECT_EQ(LowerCase1251(others), others);
  EXPECT_EQ(UpperCase1251(others), others);
  EXPECT_EQ(LowerChar1251('\xA8'), '\xB8');
  EXPECT_EQ(UpperChar1251('\xB3'), '\xB2');
}

TEST(LetterCase, ChangesExactlyTheLetters) {
  int lowered = 0;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (LowerChar1251(c) == c) continue;
    ++lowered;
    EXPECT_EQ(UpperChar1251(LowerChar1251(c)), c) << b;
  }
  EXPECT_EQ(lowered, 26 + 32 + 15);
}

TEST(SameText1251, ComparesWholeTextsOnly) {
  EXPECT_TRUE(SameText1251(Win("Ёлка Rss"), Win("ёЛКА rSS")));
  EXPECT_FALSE(SameText1251(Win("ёлка"), Win("елка")));
  EXPECT_FALSE(SameText1251(Win("і"), "i"));  // Cyrillic and Latin i differ
  EXPECT_FALSE(SameText1251("abc", "abcd"));
}

TEST(Trim, RemovesOnlyControlsAndSpaceNotHighBytes) {
  EXPECT_EQ(Trim(" \t\r\n\x01value \x1F"), "value");
  EXPECT_EQ(Trim("\xA0x\xFF"), "\xA0x\xFF");
  EXPECT_EQ(Trim("  \n "), "");
}

class CacheDirTest : public ::testing::Test {
 protected:
  testing::TempFolder temp{"kivo_cachedir_"};
  const fs::path folder = temp.Path();
  const std::string pluginFolder = temp.Folder();
};

TEST_F(CacheDirTest, WithoutCacheFolderReturnsThePluginFolder) {
  EXPECT_EQ(CacheDir(pluginFolder), pluginFolder);
  std::ofstream(folder / "Cache") << "a file, not a folder";
  EXPECT_EQ(CacheDir(pluginFolder), pluginFolder);
}

TEST_F(CacheDirTest, WithCacheFolderAppendsItAndTheSameSeparator) {
  fs::create_directory(folder / "Cache");
  const char separator = pluginFolder.back();
  EXPECT_EQ(CacheDir(pluginFolder), pluginFolder + "Cache" + separator);
}

}  // namespace
}  // namespace kivo
