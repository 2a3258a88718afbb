// Every corpus feed and a set of hostile documents go the whole way a feed
// goes: parse, conversion, page composition, write. None may crash, hang or
// take more than a few seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text1251.h"
#include "feeds/FeedConversion.h"
#include "feeds/PageComposition.h"
#include "platform/Locale.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kFileTimeLimit = std::chrono::seconds(2);
// Far beyond a linear pass even under sanitizers on a loaded machine, far below
// what a quadratic one takes at these sizes.
constexpr auto kHostileTimeLimit = std::chrono::seconds(30);

#ifdef _WIN32
// Wine runs the same code several times slower; the sizes shrink, not the kinds.
constexpr std::size_t kDeepNesting = 20'000;
constexpr std::size_t kManyAttributes = 100'000;
#else
constexpr std::size_t kDeepNesting = 100'000;
constexpr std::size_t kManyAttributes = 1'000'000;
#endif
constexpr std::size_t kHugeText = 10u << 20;
// Enough that a per-item search of the earlier items would blow the limit.
constexpr std::size_t kManyItems = 20'000;

struct TPipelineResult {
  int Items = 0;
  std::size_t PageBytes = 0;
  std::size_t WrittenBytes = 0;
};

TPipelineResult RunPipeline(std::string_view bytes) {
  TmoxXMLParser2 source;
  source.LoadFromBuffer(bytes);
  TConversionSettings settings;
  settings.DeclaredEncoding = DeclaredEncoding(source);
  const TConvertedFeed converted = ConvertFeed(source, settings, {});
  const std::string cache = converted.Text();
  const TComposedFeed composed = ComposeFeedPage(cache, "", 0, true, 2, TFixedLocaleFormats());
  return {converted.ItemCount(), composed.PageHtml.size(), cache.size() + source.XmlText().size()};
}

// Runs the pipeline and fails the test when it takes longer than `limit`.
TPipelineResult TimedPipeline(std::string_view bytes, Clock::duration limit, const std::string& what) {
  const auto start = Clock::now();
  TPipelineResult result = RunPipeline(bytes);
  const auto took = Clock::now() - start;
  EXPECT_LE(took, limit) << what << " took "
                         << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
  return result;
}

std::string ReadBinary(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Repeat(std::string_view piece, std::size_t count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += piece;
  return out;
}

std::string Feed(std::string_view items) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><rss version=\"2.0\"><channel><title>t</title>" +
         std::string(items) + "</channel></rss>";
}

TEST(Robustness, NoCorpusFeedCrashesOrStallsTheWholePipeline) {
  const fs::path corpus = fs::path(KIVO_SOURCE_DIR) / ".." / "shared" / "corpus";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus.string();
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().filename() == "LICENSE") continue;
    const std::string bytes = ReadBinary(entry.path());
    TimedPipeline(bytes, kFileTimeLimit, entry.path().string());
    ++files;
  }
  EXPECT_GT(files, 0u);
}

// Each document is built in memory; the pipeline must come back within the
// limit, and a recursive walk of any stage would overflow the stack.
struct THostileCase {
  const char* fault;
  std::string (*make)();
};

const THostileCase kHostileCases[] = {
    {"DeepNestingOverflowsARecursiveStage",
     [] { return Repeat("<a>", kDeepNesting) + Repeat("</a>", kDeepNesting); }},
    {"DeepNestingInsideAnItemOverflowsTheFieldSearch",
     [] {
       return Feed("<item><title>x</title>" + Repeat("<b>", kDeepNesting) + Repeat("</b>", kDeepNesting) +
                   "</item>");
     }},
    {"UnclosedDeepNestingOverflowsTheErrorPath", [] { return Repeat("<item><title>", kDeepNesting / 2); }},
    {"HugeTextNodeCopiedQuadratically",
     [] { return Feed("<item><title>" + std::string(kHugeText, 'x') + "</title></item>"); }},
    {"HugeDescriptionWithEntitiesRescannedPerEntity",
     [] {
       return Feed("<item><title>t</title><description>" + Repeat("&amp;&lt;\xD0\x96", kHugeText / 64) +
                   "</description></item>");
     }},
    {"HugeCdataSectionCopiedQuadratically",
     [] {
       return Feed("<item><title>t</title><description><![CDATA[" + std::string(kHugeText / 4, '<') +
                   "]]></description></item>");
     }},
    {"ManyAttributesSearchedPerInsertion",
     [] {
       std::string doc = "<rss";
       for (std::size_t i = 0; i < kManyAttributes; ++i) doc += " a" + std::to_string(i) + "=\"v\"";
       return doc + "><channel><item><title>t</title></item></channel></rss>";
     }},
    {"ManyEqualAttributeNamesSearchedPerInsertion",
     [] { return "<rss" + Repeat(" a=\"v\"", kManyAttributes / 4) + "><channel/></rss>"; }},
    {"ManySiblingItemsIndexedQuadratically",
     [] { return Feed(Repeat("<item><title>t</title><pubDate>d</pubDate></item>", kManyItems)); }},
};

class HostileInput : public testing::TestWithParam<THostileCase> {};

TEST_P(HostileInput, PipelineSurvivesInTime) {
  const std::string doc = GetParam().make();
  TimedPipeline(doc, kHostileTimeLimit, GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(Robustness, HostileInput, testing::ValuesIn(kHostileCases),
                         [](const testing::TestParamInfo<THostileCase>& info) { return info.param.fault; });

const std::string kSmallFeed =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<rss version=\"2.0\" xmlns:media=\"http://search.yahoo.com/mrss/\">\n"
    "<channel><title>Новости &amp; погода</title><link>https://example.ru/</link>\n"
    "<image><url>https://example.ru/logo.png</url></image>\n"
    "<item><title>Рынок &#171;вырос&#187;</title><link>https://example.ru/a?x=1&amp;y=2</link>\n"
    "<description><![CDATA[<p>Текст <b>жирный</b> <a href=\"https://example.ru/\">ссылка</a></p>]]>"
    "</description><pubDate>Mon, 01 Jan 2024 10:00:00 +0300</pubDate><category>Экономика</category>\n"
    "<media:content url=\"https://example.ru/p.jpg\" type=\"image/jpeg\"/></item>\n"
    "<item><title>Погода</title><description>&lt;i&gt;снег&lt;/i&gt;</description>"
    "<enclosure url=\"https://example.ru/e.jpg\" type=\"image/jpeg\"/></item>\n"
    "<!-- comment --><?pi data?></channel></rss>\n";

TEST(Robustness, TruncatedFeedAtAnyByteReadsPastTheEnd) {
  // Every prefix in its own exactly sized buffer, so ASan sees any over-read.
  int fullItems = RunPipeline(kSmallFeed).Items;
  EXPECT_EQ(fullItems, 2);
  for (std::size_t length = 0; length <= kSmallFeed.size(); ++length) {
    const std::vector<char> prefix(kSmallFeed.begin(),
                                   kSmallFeed.begin() + static_cast<std::ptrdiff_t>(length));
    const TPipelineResult result = RunPipeline(std::string_view(prefix.data(), prefix.size()));
    EXPECT_LE(result.Items, fullItems) << "prefix of " << length << " bytes";
  }
}

// Malformed UTF-8 is kept as windows-1251 bytes: nothing may read past a
// truncated sequence or drop the item.
struct TBadUtf8 {
  const char* fault;
  std::string_view bytes;
};

const TBadUtf8 kBadUtf8[] = {
    {"LoneContinuationByte", "a\x80z"},
    {"ContinuationBytesOnly", "\xBF\xBF\xBF"},
    {"OverlongTwoByteNul", "a\xC0\x80z"},
    {"OverlongTwoByteSlash", "\xC1\xAF"},
    {"OverlongThreeByte", "\xE0\x80\xAF"},
    {"OverlongFourByte", "\xF0\x80\x80\xAF"},
    {"HighSurrogate", "\xED\xA0\x80"},
    {"LowSurrogate", "\xED\xBF\xBF"},
    {"AboveMaxCodePoint", "\xF4\x90\x80\x80"},
    {"FiveByteForm", "\xF8\x88\x80\x80\x80"},
    {"SixByteForm", "\xFC\x84\x80\x80\x80\x80"},
    {"ByteFE", "\xFE"},
    {"ByteFF", "\xFF"},
    {"LeadByteBeforeAscii", "\xD0z"},
    {"ThreeByteCutAfterTwo", "\xE2\x82z"},
    {"FourByteCutAfterThree", "\xF0\x9F\x98z"},
    {"LeadByteAtTheEnd", "ok\xD0"},
    {"FourByteCutAtTheEnd", "ok\xF0\x9F\x98"},
    {"ValidThenBroken", "Жё\xD0\xD0Ж"},
    {"NonCharacterFFFF", "\xEF\xBF\xBF"},
};

class BadUtf8Text : public testing::TestWithParam<TBadUtf8> {};

TEST_P(BadUtf8Text, ConversionKeepsTheItemAndStaysInBounds) {
  const std::string bad(GetParam().bytes);
  const std::string doc = Feed("<item><title>" + bad + "</title><description>" + bad +
                               "</description><category>" + bad + "</category><link>http://x/" + bad +
                               "</link><enclosure url=\"http://x/" + bad + "\" type=\"image/png\"/></item>");
  // The broken bytes also stand at the very end of their own buffer.
  const std::vector<char> exact(bad.begin(), bad.end());
  static_cast<void>(Utf8ToWin(std::string_view(exact.data(), exact.size())));
  static_cast<void>(Utf8ToWinOrKeep(std::string_view(exact.data(), exact.size())));

  const TPipelineResult result = TimedPipeline(doc, kFileTimeLimit, GetParam().fault);
  EXPECT_EQ(result.Items, 1);
  EXPECT_GT(result.PageBytes, 0u);
}

INSTANTIATE_TEST_SUITE_P(Robustness, BadUtf8Text, testing::ValuesIn(kBadUtf8),
                         [](const testing::TestParamInfo<TBadUtf8>& info) { return info.param.fault; });

}  // namespace
}  // namespace kivo
