#include "base/Text1251.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kivo {
namespace {

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
      {"&ampquot; then &amp;rdquo;", "\" then \""},  // steps after "&amp" see the letters it uncovers
      {"plain text first &amp;ldquo;", "plain text first \""},
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

TEST(Koi8ToWin, MapsEveryRussianLetterAndLeavesEveryByteBelowThemAlone) {
  const std::string letters = Koi8ToWin(AllBytes().substr(0xC0));
  EXPECT_EQ(WinToUtf8(letters), "юабцдефгхийклмнопярстужвьызшэщчъЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ");
  // Includes digits, Latin, "-", "_" and the KOI8 yo bytes 0xA3/0xB3.
  const std::string low = AllBytes().substr(0, 0xC0);
  EXPECT_EQ(Koi8ToWin(low), low);
}

TEST(Utf8ToWin, ConvertsCyrillicAndPunctuationAndKeepsAscii) {
  const std::string ascii = "plain ASCII text, long enough to cross 8-byte words\t\r\n\x01\x7F";
  const std::vector<Case> cases = {
      {"", ""},
      {ascii, ascii},
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
      {"\xF4\x8F\xBF\xBF", "&#1114111;"}};
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

TEST(Utf8ToWin, RejectsEveryMalformedKindAndOrKeepKeepsTheBytes) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"overlong",
       {"\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF"}},
      {"surrogate", {"\xED\xA0\x80", "\xED\xBF\xBF"}},
      {"above U+10FFFF", {"\xF4\x90\x80\x80"}},
      {"bad lead byte", {"\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF"}},
      {"stray continuation", {"\x80", "abc\xBF"}},
      {"cut short", {"\xD0", "ok\xE2\x82", "\xF0\x9F\x98", "\xD0 ", "\xE2\x82 "}},
      {"windows-1251", {"\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0"}}};
  for (const auto& [kind, samples] : cases) {
    for (const std::string& bytes : samples) {
      SCOPED_TRACE(std::string(kind) + " " + ::testing::PrintToString(bytes));
      EXPECT_EQ(Utf8ToWin(bytes), std::nullopt);
      EXPECT_EQ(Utf8ToWinOrKeep(bytes), bytes);
      std::string out = "kept";
      EXPECT_FALSE(AppendUtf8ToWin(bytes, out));
      EXPECT_EQ(out, "kept");
    }
  }
  EXPECT_EQ(Utf8ToWinOrKeep("Мир"), "\xCC\xE8\xF0");
}

TEST(SingleByteCodePages, MissingCharactersBecomeReferences) {
  EXPECT_EQ(Latin1ToWin("caf\xE9 \xA9\xA0\xAB"), "caf&#233; \xA9\xA0\xAB");
  EXPECT_EQ(Latin1ToWin("\x80\x9F"), "&#128;&#159;");
  EXPECT_EQ(Cp1252ToWin("\x80 \x93q\x94 \x85"), "\x88 \x93q\x94 \x85");
  EXPECT_EQ(Cp1252ToWin("\x8A\x98\xE9"), "&#352;&#732;&#233;");
  EXPECT_EQ(Cp1252ToWin("\x81\x8D\x8F\x90\x9D"), "&#129;&#141;&#143;&#144;&#157;");
}

TEST(Utf16, EveryWindows1251ByteRoundTripsAndOtherUnitsBecomeQuestionMarks) {
  const std::string bytes = AllBytes();
  EXPECT_EQ(Utf16ToWin(WinToUtf16(bytes)), bytes);
  EXPECT_EQ(Utf8ToWin(WinToUtf8(bytes)), bytes);
  EXPECT_EQ(WinToUtf16("\xC0\xFF\xA8\xB9\x88"), u"Ая\u0401\u2116\u20AC");
  EXPECT_EQ(Utf16ToWin(u"a\u00E9\u4E2D\xD83D\xDE00z"), "a????z");
  EXPECT_EQ(Utf16ToWin(std::u16string(1, u'\0')), std::string(1, '\0'));
}

// File names outside Windows: every length of UTF-8 form, a pair of
// surrogates for what lies beyond 16 bits, U+FFFD for what cannot be read.
TEST(Utf8AndUtf16, EveryFormLengthAndSurrogatePairConvertsBothWays) {
  struct Pair {
    std::string utf8;
    std::u16string utf16;
  };
  const std::vector<Pair> both = {
      {"a", u"a"},
      {"\xD0\x9F", u"\u041F"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"", u""},
  };
  for (const Pair& p : both) {
    EXPECT_EQ(Utf8ToUtf16(p.utf8), p.utf16) << p.utf8;
    EXPECT_EQ(Utf16ToUtf8(p.utf16), p.utf8) << p.utf8;
  }
  EXPECT_EQ(Utf8ToUtf16("a\xFF\xD0z"), u"a\uFFFD\uFFFDz");
  EXPECT_EQ(Utf16ToUtf8(u"\xDE00\xD83Dz"), "\xEF\xBF\xBD\xEF\xBF\xBDz");
}

TEST(LetterCase, LowersExactlyTheLettersYoAndTheOtherSlavicOnesIncluded) {
  const std::vector<Case> pairs = {
      {"ABCXYZ", "abcxyz"},
      {"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ", "абвгдежзийклмнопрстуфхцчшщъыьэюя"},
      {"ЁЂЃЉЊЌЋЏЎЈҐЄЇІЅ", "ёђѓљњќћџўјґєїіѕ"},
  };
  for (const auto& [upper, lower] : pairs) {
    EXPECT_EQ(LowerCase1251(Win(upper)), Win(lower)) << upper;
    EXPECT_TRUE(SameText1251(Win(upper), Win(lower))) << upper;
  }
  const std::string all = AllBytes(), lowered = LowerCase1251(all);
  int changed = 0;
  for (std::size_t b = 0; b < all.size(); ++b) changed += all[b] != lowered[b] ? 1 : 0;
  EXPECT_EQ(changed, 26 + 32 + 15) << "only the letters above change";
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

}  // namespace
}  // namespace kivo
