#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/Text1251.h"
#include "feeds/ReadMarks.h"
#include "platform/FileIo.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

using namespace std::string_literals;

TEST(SetReadMarkText, OneLinePerKeyInItsStoredForm) {
  struct Case {
    std::string text;
    std::string key;
    int mark;
    std::string expected;
    const char* why;
  };
  const std::vector<Case> cases = {
      {"", "A D", 1, "A D=1\r\n", "first mark"},
      {"A D=1\r\n", "A D", 2, "A D=2\r\n", "replaced, not appended"},
      {"a d=1\r\n", "A D", 0, "a d=0\r\n", "letter case aside; the line keeps its own key"},
      {"\xC0 D=1\r\n", "\xE0 D", 3, "\xC0 D=3\r\n", "Cyrillic letter case"},
      {"a=b D=1\r\n", "a=b D", 4, "a=b D=4\r\n", "a title with an equals sign is found"},
      {"xA D=1\r\n", "A D", 2, "xA D=1\r\nA D=2\r\n", "a key ending with the key is another key"},
      {"A D=x\r\n", "A D", 1, "A D=x\r\nA D=1\r\n", "a line without a number belongs to no key"},
      {"A D=1\r\nA D=2\r\n", "A D", 3, "A D=3\r\nA D=2\r\n", "only the first line changes"},
      {"B=1\nA D=1\rC=2", "A D", 0, "B=1\r\nA D=0\r\nC=2\r\n", "any line break becomes CR LF"},
      {"B=1\r\n\r\nC=2\r\n", "X", 1, "B=1\r\n\r\nC=2\r\nX=1\r\n", "empty lines stay"},
      {"", "two\r\nlines D", 1, "two  lines D=1\r\n", "a key never spans lines"},
  };
  for (const auto& c : cases) EXPECT_EQ(SetReadMarkText(c.text, c.key, c.mark), c.expected) << c.why;

  // Marking a whole list goes in one pass and must end as key by key would.
  const std::string history = "a d=1\r\nB=0\r\nA D=2\r\nzz=x\r\n\xC0 D=3\r\n";
  const std::vector<std::string> keys = {"A D", "new", "\xE0 D", "a d", "New", "zz"};
  std::string oneByOne = history;
  for (const std::string& key : keys) oneByOne = SetReadMarkText(oneByOne, key, 4);
  EXPECT_EQ(SetReadMarksText(history, keys, 4), oneByOne);
}

TEST(SetReadMark, RepeatedMarkingKeepsOneLineWithTheLastMark) {
  TRSS rss;
  rss.SetCount(1);
  for (int mark : {1, 0, 2, 4, 1}) SetReadMark(rss, 0, "T=x 01.01.2024", mark);
  SetReadMark(rss, 0, "Other 02.01.2024", 3);
  EXPECT_EQ(rss.Channels[0].ReadMarks, "T=x 01.01.2024=1\r\nOther 02.01.2024=3\r\n");
  SetReadMark(rss, 1, "X", 1);  // no such feed
  SetReadMark(rss, -1, "X", 1);
  EXPECT_EQ(rss.Channels.size(), 1u);
}

TEST(ReadMarksIndex, FirstLineForLookupHighestMarkForComposition) {
  const TReadMarksIndex index("A D=7\r\nnoise\r\na d=2\r\n=1\r\nB=0\r\n");
  const auto first = index.Find("A D");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Index, 0u);
  EXPECT_EQ(first->Value, 7);
  EXPECT_EQ(index.HighestMark("A D"), 2);
  ASSERT_TRUE(index.Find(""));
  EXPECT_EQ(index.Find("")->Value, 1);
  EXPECT_EQ(index.HighestMark("B"), 0);
  EXPECT_FALSE(index.Find("D"));
}

// A NUL in a title ended the scan of the marks text: that theme's mark and
// every line after it were lost, and in mark-all every key after it. Keys now
// compare with control characters as blanks on both sides.
TEST(ReadMarksIndex, ControlCharactersCountAsBlanksAndEndNothing) {
  const TReadMarksIndex index("A\0B D=2\r\nT\tab D=3\r\nAfter D=4\r\nX-Y D=1\r\nd\177e=2\r\n"s);
  const std::pair<std::string, std::optional<int>> cases[] = {
      {"A B D", 2}, {"a\1b d", 2}, {"T\37ab D", 3}, {"After D", 4}, {"d e", 2}, {"X Y D", std::nullopt},
  };
  for (const auto& [key, value] : cases) {
    const auto line = index.Find(key);
    EXPECT_EQ(line ? std::optional<int>(line->Value) : std::nullopt, value) << WinToUtf8(key);
  }
}

// Lines already stored keep their bytes, so they go on matching; new lines
// are written in the blank form, which no reader can cut short.
TEST(SetReadMarksText, StoredLinesKeepTheirKeyAndNewOnesGetBlanks) {
  // stored text, keys marked, text after
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"A\0B D=2\r\nC D=1\r\n"s, {"A B D"}, "A\0B D=4\r\nC D=1\r\n"s},
      {"x\x7Fy=1\r\n", {"x y"}, "x\x7Fy=4\r\n"},
      {"", {"F\0G D"s, "tab\there D", "cr\rlf\n D"}, "F G D=4\r\ntab here D=4\r\ncr lf  D=4\r\n"},
  };
  for (const auto& [text, keys, expected] : cases)
    EXPECT_EQ(SetReadMarksText(text, keys, 4), expected) << WinToUtf8(text);
}

TEST(ThemeKey, TitleBlankDateInWindows1251ControlCharactersAsBlanks) {
  const tchannelrecord theme{u"\u041F=1\u0000x"s, u"", u"Mon,\n 1\tJan", u"", u"", u"", 0};
  EXPECT_EQ(ThemeKey(theme), "\xCF=1 x Mon,  1 Jan");
}

class ReadMarksFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rss_.SetCount(1);
    Feed().CacheFile = dir_.File("feed.rss");
  }
  tchannels& Feed() { return rss_.Channels[0]; }
  std::filesystem::path RdPath() const { return dir_.File("feed.rd"); }
  void AddTheme(std::u16string title, std::u16string date, int mark = 0) {
    Feed().Items.push_back({std::move(title), u"", std::move(date), u"", u"", u"", mark});
  }
  std::vector<int> Marks() {
    std::vector<int> marks;
    for (const auto& theme : Feed().Items) marks.push_back(theme.Mark);
    return marks;
  }

  testing::TempFolder dir_{"kivo_read_marks_"};
  TRSS rss_;
};

TEST_F(ReadMarksFileTest, FileIsCrLfLinesTheLastOneTooAndEmptyMarksEmptyIt) {
  const std::pair<std::string, std::string> cases[] = {{"A D=1\nB D=2", "A D=1\r\nB D=2\r\n"}, {"", ""}};
  for (const auto& [marks, file] : cases) {
    ASSERT_TRUE(WriteFileAtomic(RdPath(), "old=1\r\n"));
    Feed().ReadMarks = marks;
    ASSERT_TRUE(WriteReadMarks(Feed()));
    EXPECT_EQ(ReadFileBytes(RdPath()), file) << marks;
  }
  EXPECT_TRUE(WriteReadMarks(tchannels{})) << "a record without a cache file writes nothing";
  EXPECT_FALSE(FileExists(std::filesystem::path(".rd")));
}

TEST_F(ReadMarksFileTest, LoadTakesTheFirstLineOfEachKey) {
  ASSERT_TRUE(WriteFileAtomic(RdPath(), "A D=2\nnoise\r\na d=4\rB=x D=3\r\nC D=zz\r\n"));
  AddTheme(u"A", u"D");
  AddTheme(u"B=x", u"D");
  AddTheme(u"C", u"D", 4);   // value not a number: unread
  AddTheme(u"=x", u"D", 1);  // only a suffix of "B=x D": unread
  LoadReadMarks(rss_, 0);
  EXPECT_EQ(Feed().ReadMarks, "A D=2\r\nnoise\r\na d=4\r\nB=x D=3\r\nC D=zz\r\n");
  EXPECT_EQ(Marks(), (std::vector<int>{2, 3, 0, 0}));
}

TEST_F(ReadMarksFileTest, MissingFileLeavesEverythingUnread) {
  Feed().ReadMarks = "stale=1\r\n";
  AddTheme(u"stale", u"", 1);
  LoadReadMarks(rss_, 0);
  EXPECT_EQ(Feed().ReadMarks, "");
  EXPECT_EQ(Marks(), std::vector<int>{0});
  EXPECT_FALSE(Feed().ReadMarksUnreadable);
}

// A read error used to escape the load as an exception, leaving every later
// feed of the settings load without its marks; and a file that is there but
// could not be read was replaced by the marks of this session alone.
TEST_F(ReadMarksFileTest, UnreadableFileIsReportedAndNeverReplaced) {
  std::filesystem::create_directory(RdPath());  // there, but nothing to read
  EXPECT_EQ(ReadFileBytes(RdPath()), std::nullopt);
  AddTheme(u"A", u"D");
  LoadReadMarks(rss_, 0);
  EXPECT_TRUE(Feed().ReadMarksUnreadable);
  SetReadMark(rss_, 0, "A D", 2);
  EXPECT_FALSE(WriteReadMarks(Feed()));
  EXPECT_TRUE(DirectoryExists(RdPath()));
}

TEST_F(ReadMarksFileTest, FeedWithoutThemesStillKeepsItsMarksForTheNextSave) {
  ASSERT_TRUE(WriteFileAtomic(RdPath(), "gone D=2\r\n"));
  LoadReadMarks(rss_, 0);
  ASSERT_TRUE(WriteReadMarks(Feed()));
  EXPECT_EQ(ReadFileBytes(RdPath()), "gone D=2\r\n");
  LoadReadMarks(rss_, 5);  // no such feed
}

TEST_F(ReadMarksFileTest, MarksSurviveSaveAndLoad) {
  AddTheme(u"\u041D\u043E\u0432\u043E\u0441\u0442\u044C", u"01.01.2024");
  AddTheme(u"a=b", u"02.01.2024");
  for (const auto& theme : Feed().Items) SetReadMark(rss_, 0, ThemeKey(theme), 3);
  ASSERT_TRUE(WriteReadMarks(Feed()));
  Feed().ReadMarks.clear();
  for (auto& theme : Feed().Items) theme.Mark = 0;
  LoadReadMarks(rss_, 0);
  EXPECT_EQ(Marks(), (std::vector<int>{3, 3}));
}

}  // namespace
}  // namespace kivo
