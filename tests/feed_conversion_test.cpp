#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/Text1251.h"
#include "feeds/FeedConversion.h"
#include "platform/FileIo.h"

namespace kivo {
namespace {

TConvertedFeed Convert(const std::string& xml, TConversionSettings settings = {},
                       const std::vector<tchannelrecord>& previous = {}) {
  TmoxXMLParser2 source;
  source.LoadFromString(xml);
  settings.DeclaredEncoding = DeclaredEncoding(source);
  return ConvertFeed(source, settings, previous);
}

// "name=text|name=text" per item of the item cache as it reads back, one line
// per item, texts shown as UTF-8.
std::string Describe(const TConvertedFeed& feed) {
  TmoxXMLParser2 cache;
  cache.LoadFromString(feed.Text());
  std::string out;
  for (const TmoxXMLNode2* item = cache.FirstChild(); item; item = item->NextSibling()) {
    if (!out.empty()) out += "\n";
    for (const TmoxXMLNode2* field = item->FirstChild(); field; field = field->NextSibling()) {
      if (field != item->FirstChild()) out += "|";
      out.append(field->Name()).append("=").append(WinToUtf8(field->Text()));
    }
  }
  return out;
}

std::string Rss(const std::string& items, const std::string& declaration = R"(<?xml version="1.0"?>)") {
  return declaration + "<rss><channel><title>Feed</title><link>http://f/</link>" + items + "</channel></rss>";
}

struct Case {
  const char* fault;
  std::string xml;
  std::string expected;
};

TEST(FeedConversion, FieldsAndItemsAsTheFeedsOfTheWildWriteThem) {
  const std::vector<Case> cases = {
      {"channel's own title and link taken for an item",
       Rss("<item><title>a</title><link>http://f/a</link></item>"),
       "title=a|link=<a href=\"http://f/a\" TARGET=_blank>http://f/a</a>"},
      {"upper- or mixed-case names not recognised",
       R"(<RSS><Channel><Title>Feed</Title><ITEM><Title>a</Title><PubDate>d</PubDate></ITEM></Channel></RSS>)",
       "title=a|date=d"},
      {"RSS 1.0 items beside the channel lost",
       R"(<rdf:RDF><channel><title>Feed</title><items><rdf:Seq/></items></channel>)"
       R"(<item><title>a</title></item><item><title>b</title></item></rdf:RDF>)",
       "title=a\ntitle=b"},
      {"Atom entries merged into one item, feed title taken, href links lost",
       R"(<feed><title>Feed</title><link href="http://f/"/><Entry><title>a</title><link rel="alternate" href="http://f/a"/>)"
       R"(</Entry><entry><title>b</title><link>http://f/b</link></entry></feed>)",
       "title=a|link=<a href=\"http://f/a\" TARGET=_blank>http://f/a</a>\n"
       "title=b|link=<a href=\"http://f/b\" TARGET=_blank>http://f/b</a>"},
      {"item without any known field written", Rss("<item><foo>x</foo></item><item><title>t</title></item>"),
       "title=t"},
      {"second category dropped", Rss("<item><category>a</category><category>b</category></item>"),
       "category=a|category=b"},
      {"fields not in document order",
       Rss("<item><pubDate>d</pubDate><title>t</title><description>x</description></item>"),
       "date=d|title=t|text=x"},
      {"CR LF of a description not two line breaks", Rss("<item><description>a\r\nb</description></item>"),
       "text=a<br><br>b"},
      {"CR or LF left in another field", Rss("<item><title>a\r\nb</title><category>c\rd</category></item>"),
       "title=a  b|category=c d"},
      {"field nested below an item not found", Rss("<item><group><title>deep</title></group></item>"),
       "title=deep"},
      {"children of a field element taken as fields",
       Rss("<item><link>http://f/a<title>inner</title></link></item>"),
       "link=<a href=\"http://f/a\" TARGET=_blank>http://f/a</a>"},
      {"image without title made wrongly", Rss("<item><image><url>http://f/i.png</url></image></item>"),
       "image=<img src=\"http://f/i.png\"  >"},
      {"image title not an alt text",
       Rss("<item><image><url>http://f/i.png</url><title>pic</title></image></item>"),
       "image=<img src=\"http://f/i.png\"  alt=\"pic\"  >"},
      {"image without url made a field",
       Rss("<item><title>t</title><image><title>pic</title></image></item>"), "title=t"},
      {"fields before the first item lost",
       R"(<root><title>early</title><item><title>a</title></item></root>)", "title=early\ntitle=a"},
      {"channel element after the items not added to the last item",
       Rss("<item><title>a</title></item><image><url>u</url></image>"), "title=a|image=<img src=\"u\"  >"},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(Convert(c.xml)), c.expected) << c.fault;
}

TEST(FeedConversion, EncodingOfTheDeclarationDecidesTheDecoding) {
  // fault, declared encoding (none: no declaration), title bytes, title shown
  const std::tuple<const char*, const char*, std::string, std::string> cases[] = {
      {"UTF-8 Cyrillic not brought into windows-1251", "utf-8", "Кот", "Кот"},
      {"missing declaration not read as UTF-8", nullptr, "Кот", "Кот"},
      {"windows-1251 bytes under a UTF-8 declaration emptied", "utf-8", "\xCA\xEE\xF2", "Кот"},
      {"windows-1251 converted again", "Windows-1251", "\xCA\xEE\xF2", "Кот"},
      {"KOI8-R not converted", "koi8-r", "\xEB\xCF\xD4", "Кот"},
      {"ISO-8859-1 read as UTF-8", "ISO-8859-1", "caf\xE9 \xA9", "caf&#233; ©"},
      {"windows-1252 quotes lost", "windows-1252", "\x93q\x94", "“q”"},
      {"unknown encoding not treated as UTF-8", "x-mac-cyrillic", "Кот", "Кот"},
  };
  for (const auto& [fault, encoding, title, shown] : cases) {
    const std::string declaration =
        encoding ? "<?xml version=\"1.0\" encoding=\"" + std::string(encoding) + "\"?>" : "";
    EXPECT_EQ(Describe(Convert(Rss("<item><title>" + title + "</title></item>", declaration))),
              "title=" + shown)
        << fault;
  }
}

TEST(FeedConversion, DeclaredNamesAndAliasesChooseTheDecoding) {
  using enum EncodingMode;
  const std::pair<std::string, EncodingMode> cases[] = {
      {"UTF-8", Utf8},     {"windows1251", Win1251}, {"win-1251", Win1251}, {"X-CP1251", Win1251},
      {"CP1251", Win1251}, {"KOI8-U", Koi8},         {"Latin-1", Latin1},   {"latin1", Latin1},
      {"CP1252", Cp1252},  {"US-ASCII", Cp1252},     {"ascii", Cp1252},     {"iso-8859-5", Utf8},
      {"", Utf8}};
  for (const auto& [name, mode] : cases) EXPECT_EQ(EncodingModeFor(name), mode) << name;
}

TEST(FeedConversion, TagNamesComeFromTheFeedSettings) {
  TConversionSettings settings;
  settings.Tags.Description = "Title";  // tested before the title tag
  EXPECT_EQ(Describe(Convert(Rss("<item><title>t</title></item>"), settings)), "text=t");

  settings = {};
  settings.Tags.PubDate = "dc:date";
  settings.Tags.Link = "guid";
  EXPECT_EQ(Describe(Convert(Rss("<item><DC:DATE>d</DC:DATE><guid>g</guid><link>l</link></item>"), settings)),
            "date=d|link=<a href=\"g\" TARGET=_blank>g</a>");
}

TEST(FeedConversion, EntitiesDecodedInTitlesAlwaysInOtherFieldsOnlyWithDoubleTags) {
  const std::string xml =
      Rss("<item><title>a &amp;lt;b&amp;gt;</title><description>&lt;p&gt;x</description></item>");
  TConversionSettings settings;
  settings.CheckDoubleTags = false;
  EXPECT_EQ(Describe(Convert(xml, settings)), "title=a <b>|text=&lt;p&gt;x");
  settings.CheckDoubleTags = true;
  EXPECT_EQ(Describe(Convert(xml, settings)), "title=a <b>|text=<p>x");
}

TEST(FeedConversion, ItemCacheIsLaidOutWithCdataForMarkupAndEmptyWithoutItems) {
  const std::string head = "<?xml version=\"1.0\" encoding=\"windows-1251\" ?>\r\n";
  EXPECT_EQ(Convert(Rss("<item><title>t</title><description>a\nb</description></item>")).Text(),
            head +
                "<myrssnodes>\r\n"
                "  <item>\r\n"
                "    <title>t</title>\r\n"
                "    <text><![CDATA[a<br>b]]></text>\r\n"
                "  </item>\r\n"
                "</myrssnodes>");
  EXPECT_EQ(Convert(Rss("<item><title>a ]]&gt; &lt;b</title><category></category></item>")).Text(),
            head +
                "<myrssnodes>\r\n"
                "  <item>\r\n"
                "    <title><![CDATA[a ]]&gt; <b]]></title>\r\n"
                "    <category/>\r\n"
                "  </item>\r\n"
                "</myrssnodes>");
  EXPECT_EQ(Convert(Rss("")).Text(), head + "<myrssnodes/>");
  EXPECT_EQ(Convert("not xml at all").ItemCount(), 0);
}

TEST(FeedConversion, LogoAddressFromTheChannelImageElseTheOldOne) {
  TConversionSettings settings;
  settings.LogoUrl = "http://old/logo.png";
  EXPECT_EQ(
      Convert(Rss("<IMAGE><url>http://f/l.png</url></IMAGE><item><title>a</title></item>"), settings).LogoUrl,
      "http://f/l.png");
  EXPECT_EQ(Convert(Rss("<item><title>a</title></item>"), settings).LogoUrl, "http://old/logo.png");
  EXPECT_EQ(Convert(Rss("<image><title>no url</title></image>"), settings).LogoUrl, "");
}

tchannelrecord Theme(std::u16string title, std::u16string date, int mark, std::u16string text = u"") {
  return {std::move(title), std::move(text), std::move(date), u"", u"", u"", mark};
}

TEST(FeedConversion, UnreadThemesThatLeftTheFeedAreKeptOnceAndReadOnesDropped) {
  const std::vector<tchannelrecord> previous = {
      Theme(u"gone", u"d1", 0, u"<b>kept as is</b>"),
      Theme(u"read", u"d2", 1),
      Theme(u"STILL", u"D3", 0),  // still in the feed, letter case aside
      Theme(u"НОВОСТЬ", u"", 0),  // Cyrillic letter case aside
      Theme(u"marked", u"", 4),
      Theme(u"", u"", 0),  // no field: never written
  };
  const std::string xml =
      Rss("<item><title>still</title><pubDate>d3</pubDate></item><item><title>новость</title></item>");
  TConversionSettings settings;
  settings.AccumulateUnread = true;
  const TConvertedFeed feed = Convert(xml, settings, previous);
  EXPECT_EQ(Describe(feed),
            "title=still|date=d3\ntitle=новость\ntitle=gone|text=<b>kept as is</b>|date=d1\ntitle=marked");
  EXPECT_EQ(feed.NewItemCount, 2);
  EXPECT_EQ(feed.CarriedItemCount, 2);
  settings.AccumulateUnread = false;
  EXPECT_EQ(Describe(Convert(xml, settings, previous)), "title=still|date=d3\ntitle=новость");
}

TEST(FeedConversion, HundredThousandLevelsDeepWalkWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::string xml;
  for (int i = 0; i < kDepth; ++i) xml += "<a>";
  xml += "<item><title>bottom</title></item>";
  for (int i = 0; i < kDepth; ++i) xml += "</a>";
  EXPECT_EQ(Describe(Convert(xml)), "title=bottom");
}

TEST(FeedConversion, FeedKeepsItsFirstTenThousandItems) {
  // in the feed, unread gone: kept, carried
  const std::tuple<std::size_t, std::size_t, int, int> cases[] = {
      {10001, 0, 10000, 0}, {9998, 5, 9998, 2}, {0, 3, 0, 3}};
  for (const auto& [inFeed, unreadGone, kept, carried] : cases) {
    std::string items;
    for (std::size_t i = 0; i < inFeed; ++i)
      items.append("<item><title>").append(std::to_string(i)).append("</title></item>");
    TConversionSettings settings;
    settings.AccumulateUnread = true;
    const TConvertedFeed feed =
        Convert(Rss(items), settings, std::vector(unreadGone, Theme(u"gone", u"d", 0)));
    EXPECT_EQ(std::pair(feed.NewItemCount, feed.CarriedItemCount), std::pair(kept, carried)) << inFeed;
    TmoxXMLParser2 cache;
    cache.LoadFromString(feed.Text());
    EXPECT_EQ(cache.Child(feed.ItemCount() - 1)->ChildText("title"),
              carried ? "gone" : std::to_string(kept - 1));
  }
}

// Each output item had an arena of its own, 2 KB at least, and the source
// tree no limit: an 8 MB feed of tiny items took 666 MB, a 32 MiB one the
// whole address space of the 32-bit messenger.
TEST(FeedConversion, TinyItemFeedConvertsWithinFourTimesItsSizePlus16MB) {
  std::string xml = "<rss><channel>";
  while (xml.size() < (std::size_t{2} << 20)) xml += "<item><title>t</title><link/></item>";
  TmoxXMLParser2 source;
  SetFeedTreeBudget(source);
  source.LoadFromString(xml);
  const TConvertedFeed feed = ConvertFeed(source, {}, {});
  EXPECT_EQ(feed.ItemCount(), 10000);
  EXPECT_LE(xml.size() + source.TreeBytes() + feed.Text().capacity(), 4 * xml.size() + (16u << 20));
}

// Whatever a feed holds, the item cache must read back as the same items.
TEST(FeedConversion, EveryCorpusFeedGivesAnItemCacheThatReadsBack) {
  const std::filesystem::path corpus = KIVO_SOURCE_DIR "/../shared/corpus";
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "feed corpus not found at " << corpus.string();
  int withItems = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    const auto bytes = ReadFileBytes(entry.path());
    ASSERT_TRUE(bytes) << entry.path();
    const TConvertedFeed feed = Convert(*bytes);
    TmoxXMLParser2 cache;
    cache.LoadFromString(feed.Text());
    ASSERT_EQ(cache.ErrorText(), "") << entry.path();
    ASSERT_EQ(static_cast<int>(cache.ChildCount()), feed.ItemCount()) << entry.path();
    for (const TmoxXMLNode2* item = cache.FirstChild(); item; item = item->NextSibling()) {
      ASSERT_GT(item->ChildCount(), 0u) << entry.path();
    }
    withItems += feed.ItemCount() > 0 ? 1 : 0;
  }
  EXPECT_GT(withItems, 0);
}

}  // namespace
}  // namespace kivo
