#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/FilePaths.h"
#include "feeds/FeedTable.h"
#include "feeds/PluginGlobals.h"
#include "platform/FileIo.h"
#include "platform/Thread.h"
#include "platform/Worker.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

using namespace std::string_literals;

TEST(SplitCallWords, TrimsAllButTheLastPieceAndSkipsEmptyOnes) {
  struct Case {
    std::string callString;
    std::vector<std::string> words;
  };
  const std::vector<Case> cases = {
      {"rss#", {"rss#"}},
      {"rss#, news", {"rss#", " news"}},
      {",rss#", {"rss#"}},
      {"rss#,", {"rss#"}},
      {"rss#, ", {"rss#", " "}},
      {" a ,b", {"a", "b"}},
      {"a,,b", {"a", "b"}},
      {"a, ,b", {"a", "b"}},
      {"", {}},
      {",", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCallWords(c.callString), c.words) << '"' << c.callString << '"';
}

// Stored item caches, marks and INI sections are found by these names: a name
// that works must never change, whatever else the naming learns.
TEST(MakeCacheName, NamesThatWorkStayAsTheyAre) {
  EXPECT_EQ(MakeCacheName("https://example.com/feed.php?id=5&x", 40), "https___example_com_feed_php_id_5_x");
  EXPECT_EQ(MakeCacheName("!@#$%^&*()~\"':;/\\|=+-.,?", 40), std::string(24, '_'));
  EXPECT_EQ(MakeCacheName("a_b[d{e}`f 1\xC0\x7F", 40), "a_b[d{e}`f 1\xC0\x7F");
  EXPECT_EQ(MakeCacheName("http://a.b/x", 40), MakeCacheName("http://a_b/x", 40))
      << "such addresses share their files";
}

// "<", ">" and control characters cannot be in a file name, so such a feed
// failed every load; a "]" cut its INI section short, so its settings never
// came back. Quotes are replaced as they always were.
TEST(MakeCacheName, UnfitCharactersCutTheNameBeforeThemAndAddAHash) {
  // address, what stays of the name before "~" and the hash
  const std::pair<std::string, std::string> cases[] = {
      {"http://a/x]y", "http___a_x"},
      {"http://a/<b>", "http___a_"},
      {std::string("http://a/\0b", 11), "http___a_"},
      {"\x01http://a/", ""},
      {"http://a/\x1F", "http___a_"},
      {"[x]", "[x"},
  };
  for (const auto& [address, kept] : cases) {
    const std::string name = MakeCacheName(address, 40);
    SCOPED_TRACE(name);
    ASSERT_EQ(name.size(), kept.size() + 9);
    EXPECT_EQ(name.substr(0, kept.size() + 1), kept + "~");
    EXPECT_EQ(name.find_first_not_of("0123456789abcdef", kept.size() + 1), std::string::npos);
  }
  EXPECT_EQ(MakeCacheName("http://a/x]y", 40), "http___a_x~b3b56697") << "a stored name never changes";
  EXPECT_NE(MakeCacheName("http://a/x]1", 40), MakeCacheName("http://a/x]2", 40))
      << "addresses that share the kept part keep files apart";
}

// The system opens no path of 260 characters or more: the item cache, the
// longest name of a feed's files, must stay below that.
TEST(MakeCacheName, NameIsCutOnlyWhenTheItemCachePathWouldReachTheLimit) {
  // folder length with the separator before the name, name length
  const std::pair<std::size_t, std::size_t> cases[] = {
      {55, 200},  // 55 + 200 + ".rss" = 259
      {56, 199},  // 260: cut to 190 + "~" + 8
      {250, 9},   // no room for any of the address: the hash alone
      {600, 9},   // longer than the limit already: nothing helps, the name stays short
  };
  for (const auto& [folderLength, nameLength] : cases) {
    const std::string name = MakeCacheName(std::string(200, 'a'), folderLength);
    EXPECT_EQ(name.size(), nameLength) << folderLength;
    EXPECT_EQ(name.find('~') != std::string::npos, nameLength < 200) << folderLength;
  }
}

TEST(ItemCacheFile, TheFolderLengthCountsCharactersNotBytes) {
  const fs::path folder =
      fs::path(u"/\u041f\u043b\u0430\u0433\u0438\u043d");  // 7 characters, 13 bytes in UTF-8
  const std::string address(259 - 8 - 4, 'a');
  EXPECT_EQ(ItemCacheFile(folder, address), folder / (address + ".rss"));
  EXPECT_NE(ItemCacheFile(folder, address + "a"), folder / (address + "a.rss"));
}

TEST(PathNames, ExtensionFollowsTheLastDotOfTheFileNameOnly) {
  struct Case {
    std::u16string path;
    std::u16string withIni;
  };
  const std::vector<Case> cases = {
      {u"Nimbra/Plugins/KivoRss.dll", u"Nimbra/Plugins/KivoRss.ini"},
      {u"dir.x/plugin", u"dir.x/plugin.ini"},
      {u"/tmp/a.b/Cache/.rss", u"/tmp/a.b/Cache/.ini"},
      {u"/tmp/a.b/Cache/x.y.rss", u"/tmp/a.b/Cache/x.y.ini"},
      {u"\u041f\u043b\u0430\u0433\u0438\u043d \u0418\u0432\u0430\u043d/KivoRss.dll",
       u"\u041f\u043b\u0430\u0433\u0438\u043d \u0418\u0432\u0430\u043d/KivoRss.ini"},
      {u"file", u"file.ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(ChangeFileExt(fs::path(c.path), ".ini"), fs::path(c.withIni));
}

TEST(TRSS, CountsAndIndexesAtTheEdges) {
  TRSS rss;
  EXPECT_FALSE(rss.IsValid(0));
  EXPECT_EQ(rss.ItemHigh(0), 0) << "an index beyond the table reads as 0";
  rss.SetItemCount(2, 4);
  EXPECT_EQ(rss.High(), 2) << "setting items of a missing feed grows the table";
  EXPECT_EQ((std::vector<int>{rss.ItemHigh(-1), rss.ItemHigh(1), rss.ItemHigh(2)}),
            (std::vector<int>{0, -1, 3}));
  EXPECT_EQ((std::vector<bool>{rss.IsValid(-1), rss.IsValid(2), rss.IsValid(3)}),
            (std::vector<bool>{false, true, false}));
  rss.SetItemCount(-1, 3);
  rss.SetCount(-5);
  EXPECT_EQ(rss.High(), -1);
}

// A worker holding a record's run state must still reach that record's flags
// after the table grows; a shrink must let the dropped logos go.
TEST(TRSS, GrowingKeepsRunStateAndStampsAndShrinkingDropsLogos) {
  TRSS rss;
  rss.SetCount(2);
  const std::shared_ptr<TFeedRunState> state = rss.Channels[0].Run;
  const std::uint64_t stamp = rss.Channels[0].Generation;
  rss.Channels[1].Logo.Bitmap = std::make_shared<const TBitmap32>();
  const std::weak_ptr<const TBitmap32> logo = rss.Channels[1].Logo.Bitmap;
  rss.Channels[1].Title = "old";
  rss.SetCount(1);
  EXPECT_TRUE(logo.expired());
  rss.SetCount(100);
  EXPECT_EQ(rss.Channels[0].Run, state);
  EXPECT_EQ(rss.Channels[0].Generation, stamp);
  EXPECT_NE(rss.Channels[1].Generation, stamp);
  EXPECT_NE(rss.Channels[1].Run, state);
  EXPECT_EQ(rss.Channels[1].Title, "");
  EXPECT_FALSE(rss.Channels[1].Logo.Bitmap);
}

// A reload must not wait on the window's thread for downloads of the records
// it replaces (up to the request deadline): their workers are kept aside and
// joined once finished, or when the table goes.
TEST(TRSS, ReloadRetiresRunningWorkersInsteadOfWaitingForThem) {
  struct CountedThread final : IThread {
    explicit CountedThread(int& joined) : joined_(joined) {}
    void Join() override { ++joined_; }
    bool JoinUntil(TSteadyTime) override { return false; }
    void Detach() override {}
    int& joined_;
  };
  int joined = 0;
  const auto worker = [&joined](const tchannels& feed, std::atomic<bool> TFeedRunState::*flag) {
    return std::make_unique<TWorker>(RunFlag(feed.Run, flag), std::make_unique<CountedThread>(joined));
  };
  {
    TRSS rss;
    rss.SetCount(2);
    rss.Channels[0].Run->Loading = true;
    rss.Channels[0].LoadThread = worker(rss.Channels[0], &TFeedRunState::Loading);
    rss.Channels[1].CheckThread = worker(rss.Channels[1], &TFeedRunState::Checking);
    const auto stillLoading = rss.Channels[0].Run;

    rss.SetCount(0);
    EXPECT_EQ(joined, 0) << "no worker is joined while the reload runs";
    rss.SetCount(1);
    EXPECT_EQ(joined, 1) << "the finished check worker is joined at the next reload";
    stillLoading->Loading = false;
    rss.SetCount(1);
    EXPECT_EQ(joined, 2);
    rss.Channels[0].Run->Checking = true;
    rss.Channels[0].CheckThread = worker(rss.Channels[0], &TFeedRunState::Checking);
    rss.SetCount(0);
  }
  EXPECT_EQ(joined, 3) << "the table's end joins what is left";
}

class FakeDecoder : public IImageDecoder {
 public:
  std::optional<TBitmap32> Decode(ImageKind kind, std::string_view bytes) override {
    calls.push_back(kind);
    lastSize = bytes.size();
    if (kind == failing) return std::nullopt;
    return TBitmap32{static_cast<int>(calls.size()), 1, {0xFF000000u}};
  }
  std::vector<ImageKind> calls;
  std::optional<ImageKind> failing;
  size_t lastSize = 0;
};

class LogoTest : public ::testing::Test {
 protected:
  LogoTest() {
    rss_.SetCount(1);
    rss_.Channels[0].CacheFile = temp_.File("feed.rss");
  }
  void WriteLogo(std::string_view bytes) { ASSERT_TRUE(WriteFileAtomic(temp_.File("feed.img"), bytes)); }
  const std::shared_ptr<const TBitmap32>& Logo() { return rss_.Channels[0].Logo.Bitmap; }

  testing::TempFolder temp_{"kivo_logo_"};
  TRSS rss_;
  FakeDecoder decoder_;
};

TEST_F(LogoTest, EveryMatchingSignatureRunsInOrder) {
  using K = ImageKind;
  struct Case {
    std::string bytes;
    std::vector<ImageKind> kinds;
  };
  const std::vector<Case> cases = {
      {"GIF89a\x01\0\x01\0\0"s, {K::Gif}},
      {"BM6\x03\0\0\0\0\0\0\x36\0"s, {K::Bmp}},
      {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, {K::Png}},
      {"\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01"s, {K::Jpeg}},
      {"\0\0\x01\0\x01\0\x10\x10\0\0\0"s, {K::Icon}},
      {"\0PNG\0\0\0\0\0\0\0"s, {K::Png}},
      {"BM\0\0\0\0JFIF\0"s, {K::Bmp, K::Jpeg}},
      {"\0\x01\0\0\0\0JFIF\0"s, {K::Jpeg, K::Icon}},
      {"\0\x02\0\0\0\0\0\0\0\0\0"s, {}},
  };
  for (const auto& c : cases) {
    decoder_.calls.clear();
    decoder_.lastSize = 0;
    rss_.Channels[0].Logo.Bitmap.reset();
    WriteLogo(c.bytes);
    rss_.LoadLogo(0, &decoder_);
    EXPECT_EQ(decoder_.calls, c.kinds) << "case of " << c.bytes.size() << " bytes";
    ASSERT_TRUE(Logo());
    EXPECT_EQ(Logo()->Width, static_cast<int>(c.kinds.size())) << "the last decoded picture wins";
    if (!c.kinds.empty()) {
      EXPECT_EQ(decoder_.lastSize, c.bytes.size()) << "the whole file is decoded";
    }
  }
}

TEST_F(LogoTest, MissingFileKeepsTheLogoAndABadOneReleasesIt) {
  const auto previous = std::make_shared<const TBitmap32>(TBitmap32{7, 7, std::vector<std::uint32_t>(49)});
  rss_.Channels[0].Logo.Bitmap = previous;
  rss_.LoadLogo(0, &decoder_);
  EXPECT_EQ(Logo(), previous);
  WriteLogo("<html>not a picture</html>");
  rss_.LoadLogo(0, &decoder_);
  EXPECT_EQ(Logo(), previous) << "a file of no known kind leaves the logo";
  rss_.LoadLogo(5, &decoder_);  // no such feed
  rss_.LoadLogo(-1, &decoder_);

  WriteLogo("GIF89");
  rss_.LoadLogo(0, &decoder_);
  EXPECT_FALSE(Logo()) << "too short for a signature";
  EXPECT_TRUE(decoder_.calls.empty());

  WriteLogo("BM\0\0\0\0JFIF\0"s);
  rss_.Channels[0].Logo.Bitmap = previous;
  decoder_.failing = ImageKind::Jpeg;
  rss_.LoadLogo(0, &decoder_);
  EXPECT_FALSE(Logo()) << "a later failure drops the earlier success";
  rss_.Channels[0].Logo.Bitmap = previous;
  rss_.LoadLogo(0, nullptr);
  EXPECT_FALSE(Logo()) << "no decoder cannot decode";
}

TEST(CacheDir, CacheFolderUsedOnlyWhenItIsAFolder) {
  const testing::TempFolder temp("kivo_cachedir_");
  const fs::path& pluginFolder = temp.Path();
  EXPECT_EQ(CacheDir(pluginFolder), pluginFolder);
  std::ofstream(temp.Path() / "Cache") << "a file, not a folder";
  EXPECT_EQ(CacheDir(pluginFolder), pluginFolder);
  fs::remove(temp.Path() / "Cache");
  fs::create_directory(temp.Path() / "Cache");
  EXPECT_EQ(CacheDir(pluginFolder), pluginFolder / "Cache");
}

}  // namespace
}  // namespace kivo
