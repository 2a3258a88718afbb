#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/FilePaths.h"

namespace kivo {
namespace {

constexpr bool kWindows = TFilePath::kSeparator == TFilePath::value_type('\\');

TFilePath P(std::string_view ascii) {
  return TFilePath::string_type(ascii.begin(), ascii.end());
}

std::string Ascii(const TFilePath& path) {
  return std::string(path.native().begin(), path.native().end());
}

// `windows` is what Windows makes of the path, where '\\' separates too and
// "C:" leads the root; nullptr when the other systems make the same of it.
struct Case {
  std::string_view path;
  std::string_view expected;
  const char* windows = nullptr;
};

std::string_view Expected(const Case& c) {
  return kWindows && c.windows != nullptr ? std::string_view(c.windows) : c.expected;
}

TEST(TFilePath, FileNameIsWhatFollowsTheLastSeparatorOrTheDrive) {
  const std::vector<Case> cases = {
      {"a/b.txt", "b.txt"},  {"b", "b"},          {"a/b/", ""},         {"", ""},
      {"a\\b", "a\\b", "b"}, {"C:b", "C:b", "b"}, {"C:\\", "C:\\", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Ascii(P(c.path).filename()), Expected(c)) << c.path;
}

TEST(TFilePath, ParentDropsTheNameAndItsSeparatorsButNeverTheRoot) {
  const std::vector<Case> cases = {
      {"/a", "/"},
      {"/", "/"},
      {"a", ""},
      {"", ""},
      {"a/b//c", "a/b"},
      {"a/b/", "a/b"},
      {"C:\\a", "", "C:\\"},
      {"C:/a/b", "C:/a"},
      {"C:a", "", "C:"},
      {"\\\\server\\share", "", "\\\\server\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(Ascii(P(c.path).parent_path()), Expected(c)) << c.path;
}

TEST(TFilePath, ExtensionIsTheLastDotOnOfTheNameUnlessTheDotLeadsIt) {
  const std::vector<Case> cases = {
      {"a/b.tar.gz", ".gz"},   {"a.b/c", ""}, {".rss", ""}, {"..", ""}, {"a.", "."}, {"a", ""},
      {"a.b\\c", ".b\\c", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Ascii(P(c.path).extension()), Expected(c)) << c.path;
}

TEST(TFilePath, JoiningPutsOneSeparatorBetweenExceptAfterADriveOrNothing) {
  struct Join {
    std::string_view left;
    std::string_view right;
    std::string_view expected;
    const char* windows = nullptr;
  };
  const std::vector<Join> cases = {
      {"a", "b", "a/b", "a\\b"},  {"a/", "b", "a/b"}, {"", "b", "b"},
      {"/", "b", "/b"},           {"a", "/b", "a/b"}, {"a\\", "b", "a\\/b", "a\\b"},
      {"C:", "b", "C:/b", "C:b"},
  };
  for (const Join& c : cases) {
    const std::string_view expected = kWindows && c.windows != nullptr ? c.windows : c.expected;
    EXPECT_EQ(Ascii(P(c.left) / P(c.right)), expected) << c.left << " + " << c.right;
    EXPECT_EQ(Ascii(P(c.left) / c.right), expected) << c.left << " + " << c.right;
  }
}

TEST(TFilePath, CyrillicNamesSurviveTheSystemsCharacters) {
  const std::string name1251 = "\xCF\xE0\xEF\xEA\xE0 \xC8\xE2\xE0\xED";  // "Папка Иван"
  const TFilePath path = PathFrom1251(name1251) / "KivoRss.dll";
  EXPECT_EQ(path.u16string(), u"\u041f\u0430\u043f\u043a\u0430 \u0418\u0432\u0430\u043d" +
                                  std::u16string(1, char16_t(TFilePath::kSeparator)) + u"KivoRss.dll");
  EXPECT_EQ(PathTo1251(path.parent_path()), name1251);
  EXPECT_EQ(PathFromUtf16(path.u16string()), path);
  EXPECT_FALSE(FitsIn1251(PathFromUtf16(u"\u00e9\u4e2d")));
}

}  // namespace
}  // namespace kivo
