#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/Text1251.h"
#include "feeds/PageComposition.h"

namespace kivo {
namespace {

const std::string kHead =
    "<html><head><META http-equiv=\"content-type\" content=\"text/html; charset=windows-1251\"></head><body>";
const std::string kZeroDateLine =
    "<div align=right><font size=1 color=blue> 30.12.1899 00:00:00</font></div>";
const std::string kEnd = "</font></body></html>";

// Shows which value each format was given, so a mix-up of the two shows.
class MarkingLocale : public ILocaleFormats {
 public:
  std::string FormatShortDate(TDateTime value) const override { return "D" + DateTimeToText(value); }
  std::string FormatLongTime(TDateTime value) const override { return "T" + DateTimeToText(value); }
  char DecimalSeparator() const override { return ','; }
};

TComposedFeed Compose(const std::string& cache, const std::string& marks = "", bool horlines = true,
                      int fontSize = 2) {
  return ComposeFeedPage(cache, marks, 0, horlines, fontSize, TFixedLocaleFormats());
}

// The part of the feed page between the font tag and the closing fragment.
std::string Body(const TComposedFeed& composed, int fontSize = 2) {
  const std::string start = kHead + kZeroDateLine + "<font size=" + std::to_string(fontSize) + ">";
  const std::string& page = composed.PageHtml;
  EXPECT_TRUE(page.starts_with(start)) << page;
  EXPECT_TRUE(page.ends_with(kEnd)) << page;
  if (page.size() < start.size() + kEnd.size()) return {};
  return page.substr(start.size(), page.size() - start.size() - kEnd.size());
}

std::string Items(const std::string& items) {
  return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<myrssnodes>" + items + "</myrssnodes>";
}

TEST(ComposeFeedPage, DateLineGivesEachLocaleFormatTheSameValue) {
  const TDateTime updated = EncodeDateTime(2024, 2, 29, 23, 5, 7);
  const TComposedFeed composed = ComposeFeedPage("", "", updated, true, 3, MarkingLocale());
  EXPECT_EQ(composed.PageHtml, kHead +
                                   "<div align=right><font size=1 color=blue> D29.02.2024 23:05:07 "
                                   "T29.02.2024 23:05:07</font></div><font size=3>" +
                                   kEnd);
}

// The system's formats differ from machine to machine; the fields must not.
TEST(SystemLocale, FormatsTheFieldsOfTheGivenValue) {
  const TDateTime value = EncodeDateTime(2024, 2, 29, 13, 5, 7);
  const std::string date = SystemLocale().FormatShortDate(value);
  const std::string time = SystemLocale().FormatLongTime(value);
  EXPECT_NE(date.find("29"), std::string::npos) << date;
  EXPECT_EQ(date.find("05"), std::string::npos) << date;
  EXPECT_NE(time.find("05"), std::string::npos) << time;
  EXPECT_NE(time.find("07"), std::string::npos) << time;
  EXPECT_EQ(time.find("29"), std::string::npos) << time;
  const char separator = SystemLocale().DecimalSeparator();
  EXPECT_TRUE(separator == '.' || separator == ',') << separator;
}

struct TPageCase {
  const char* what;
  std::string cache;
  std::string body;
  std::u16string titles;  // each after a "|"
  bool horlines = true;
};

TEST(ComposeFeedPage, BodyAndThemeListFollowTheCache) {
  const std::string cyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2 \xB9\x31";  // "Привет №1"
  const std::string twoThemes = Items("<item><title>A</title></item><item><title>B</title></item>");
  const TPageCase cases[] = {
      {"never converted feed", "", "", u""},
      {"not xml", "not xml at all", "", u""},
      {"only markup", "<<<>>>", "", u""},
      {"no themes", Items(""), "", u""},
      {"themes without children", Items("<item></item><item/>"), "", u""},
      {"root cut off", "<myrssnodes>", "", u""},
      {"root without children is no theme", "<title>lonely</title>", "", u""},
      {"empty title still adds the bold div", Items("<item><title></title><date>D</date></item>"),
       "<div><b></b></div><div>D</div><hr>", u"|"},
      {"theme without known fields keeps its place and adds only the divider",
       Items("<item><foo>x</foo></item><item><title>B</title></item>"), "<br><div><b>B</b></div><br>", u"||B",
       false},
      {"childless element before a theme keeps its place",
       Items("<note>x</note><item><title>B</title></item><tail/>"), "<div><b>B</b></div><hr>", u"||B"},
      {"rule after every theme", twoThemes, "<div><b>A</b></div><hr><div><b>B</b></div><hr>", u"|A|B"},
      {"break after every theme", twoThemes, "<div><b>A</b></div><br><div><b>B</b></div><br>", u"|A|B",
       false},
      {"another root is the only theme", "<item><title>A</title><item><title>inner</title></item></item>",
       "<div><b>A</b></div><hr>", u"|A"},
      {"markup in a title is shown as text, not run",
       Items("<item><title><![CDATA[<script> & co]]></title></item>"),
       "<div><b>&lt;script&gt; & co</b></div><hr>", u"|<script> & co"},
      {"windows-1251 bytes pass through, fields are wide",
       Items("<item><title>" + cyrillic + "</title></item>"), "<div><b>" + cyrillic + "</b></div><hr>",
       u"|\u041F\u0440\u0438\u0432\u0435\u0442 \u21161"},
  };
  for (const TPageCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TComposedFeed composed = Compose(c.cache, "", c.horlines);
    EXPECT_EQ(Body(composed), c.body);
    std::u16string titles;
    for (const tchannelrecord& theme : composed.Items) titles += u"|" + theme.Title;
    EXPECT_EQ(titles, c.titles);
  }
}

TEST(ComposeFeedPage, FragmentsFollowTheCacheOrderAndNameMatchIsExact) {
  const TComposedFeed composed = Compose(Items(
      "<item><link>L</link><Title>no</Title><title>T</title><text><![CDATA[a<br>&amp;]]></text><date>D</date>"
      "<category>C1</category><category>C2</category><image>I</image>"
      "<title>again</title><titles>no</titles></item>"));
  EXPECT_EQ(
      Body(composed),
      "<div>L</div><div><b>T</b></div><div>a<br>&amp;</div><div>D</div><div>C1</div><div>C2</div><div>I</div>"
      "<div><b>again</b></div><hr>");
  ASSERT_EQ(composed.Items.size(), 1u);
  const tchannelrecord& theme = composed.Items[0];
  EXPECT_EQ(theme.Title, u"again") << "a repeated child replaces the field";
  EXPECT_EQ(theme.Category, u"C2");
  EXPECT_EQ(theme.Link, u"L");
  EXPECT_EQ(theme.Image, u"I");
}

TEST(ComposeFeedPage, ThemeTakesTheHighestMatchingMark) {
  const std::tuple<std::string, int, const char*> cases[] = {
      {"", 0, "no marks"},
      {"T D=2\r\nT D=4\r\n", 4, "highest wins"},
      {"T D=4\r\nT D=2\r\n", 4, "highest wins whatever the order"},
      {"t d=3\r\n", 3, "letter case aside"},
      {"xT D=2\r\n", 0, "a key that merely ends with the theme's key"},
      {"T D=2x\r\n", 0, "value not a number"},
      {"T D=7\r\nT D=0\r\n", 0, "only marks 1 to 4 count"},
      {"T D=1\nT D=7", 1, "LF lines, no final break"},
      {"T D =2\r\n", 0, "blank before the equals sign"},
  };
  for (const auto& [marks, mark, why] : cases) {
    const TComposedFeed composed = Compose(Items("<item><title>T</title><date>D</date></item>"), marks);
    ASSERT_EQ(composed.Items.size(), 1u);
    EXPECT_EQ(composed.Items[0].Mark, mark) << why;
  }
  const TComposedFeed equals = Compose(
      Items("<item><title>a=b</title><date>1=2</date></item><item><title>b</title><date>1=2</date></item>"),
      "a=b 1=2=3\r\n");
  ASSERT_EQ(equals.Items.size(), 2u);
  EXPECT_EQ(equals.Items[0].Mark, 3) << "a title with an equals sign keeps its mark";
  EXPECT_EQ(equals.Items[1].Mark, 0) << "\"b 1=2\" is only a suffix of the marked key";
}

TEST(MakeFeedPage, ReplacesPageAndThemesOfThatFeedOnly) {
  TRSS rss;
  rss.SetCount(2);
  tchannels& feed = rss.Channels[1];
  feed.ItemCacheText = Items("<item><title>A</title><date>D</date></item>");
  feed.ReadMarks = "A D=2\r\n";
  feed.NeedHorlines = false;
  feed.Items.resize(5);
  MakeFeedPage(rss, 1, 1, TFixedLocaleFormats());
  EXPECT_EQ(feed.PageHtml, kHead + kZeroDateLine + "<font size=1><div><b>A</b></div><div>D</div><br>" + kEnd);
  ASSERT_EQ(feed.Items.size(), 1u);
  EXPECT_EQ(feed.Items[0].Mark, 2);
  EXPECT_TRUE(rss.Channels[0].PageHtml.empty());

  MakeFeedPage(rss, 2, 1, TFixedLocaleFormats());  // no such feed
  MakeFeedPage(rss, -1, 1, TFixedLocaleFormats());
  EXPECT_EQ(rss.Channels.size(), 2u);
}

// A start reads only the theme lists; they must be the lists composing gives,
// empty places, marks and all, or the first showing would change them.
TEST(ReadThemes, GivesTheThemeListComposingGivesWithoutAPage) {
  const std::pair<std::string, std::string> cases[] = {
      {Items("<item><title>A</title><date>D</date></item><empty/><item><title>B</title></item>"), "B=3\r\n"},
      {"<item><title>Alone</title><text>&lt;b&gt;x&lt;/b&gt;</text></item>",
       ""},  // a single theme as the root
      {Items(""), ""},
      {"not a cache", ""},
  };
  for (const auto& [cache, marks] : cases) {
    const TComposedFeed composed = Compose(cache, marks);
    const std::vector<tchannelrecord> read = ReadThemes(cache, marks);
    ASSERT_EQ(read.size(), composed.Items.size()) << cache;
    for (std::size_t i = 0; i < read.size(); ++i) {
      EXPECT_EQ(read[i].Title, composed.Items[i].Title) << cache;
      EXPECT_EQ(read[i].Text, composed.Items[i].Text) << cache;
      EXPECT_EQ(read[i].Mark, composed.Items[i].Mark) << cache;
    }
  }
  TRSS rss;
  rss.SetCount(1);
  rss.Channels[0].ItemCacheText = cases[0].first;
  rss.Channels[0].PageHtml = "old page";
  rss.Channels[0].PageComposed = true;
  MakeFeedThemes(rss, 0);
  EXPECT_EQ(rss.Channels[0].Items.size(), 3u);
  EXPECT_TRUE(rss.Channels[0].PageHtml.empty()) << "the old page would show themes that are gone";
  EXPECT_FALSE(rss.Channels[0].PageComposed);
}

TEST(AdoptComposedFeed, MarkSetWhileComposingIsKept) {
  tchannels feed;
  TComposedFeed composed = Compose(Items("<item><title>A</title><date>D</date></item>"), "A D=1\r\n");
  feed.ReadMarks = "A D=1\r\nA D=4\r\n";  // the user marked it meanwhile
  AdoptComposedFeed(feed, std::move(composed));
  ASSERT_EQ(feed.Items.size(), 1u);
  EXPECT_EQ(feed.Items[0].Mark, 4);
  EXPECT_TRUE(feed.PageHtml.starts_with(kHead));
}

// Title, date and category are text. Escaping "&" too turned "Caf&#233;" into
// the literal "Caf&#233;"; date and category were not escaped at all, so a
// "<script>" in a category hid the rest of the page.
TEST(PageText, TextFieldsShowMarkupAsTextAndLetCharacterReferencesThrough) {
  struct {
    std::string name;
    std::u16string tchannelrecord::*member;
    std::string open, close;
  } const fields[] = {{"title", &tchannelrecord::Title, "<div><b>", "</b></div>"},
                      {"date", &tchannelrecord::Date, "<div>", "</div>"},
                      {"category", &tchannelrecord::Category, "<div>", "</div>"}};
  const std::string kept = "Caf&#233; AT&T \xCA\xEE\xF2";
  const std::pair<std::string, std::string> values[] = {{"<script>x", "&lt;script&gt;x"}, {kept, kept}};
  for (const auto& field : fields) {
    for (const auto& [value, shown] : values) {
      SCOPED_TRACE(field.name + ": " + value);
      const std::string cache =
          Items("<item><" + field.name + "><![CDATA[" + value + "]]></" + field.name + "></item>");
      EXPECT_EQ(Body(Compose(cache, "")), field.open + shown + field.close + "<hr>");
      tchannelrecord theme;
      theme.*field.member = WinToUtf16(value);
      EXPECT_NE(MakeThemePage(theme, 2).find(field.open + shown + field.close), std::string::npos);
    }
  }
  // The other side: text, link and picture are HTML by design and go in as they are.
  EXPECT_EQ(Body(Compose(Items("<item><text><![CDATA[<b>x</b> &amp;]]></text></item>"), "")),
            "<div><b>x</b> &amp;</div><hr>");
}

TEST(MakeThemePage, FixedOrderAndEmptyFieldsLeftOut) {
  const tchannelrecord theme{u"<T>", u"X<br>", u"D", u"C", u"L", u"I", 0};
  EXPECT_EQ(MakeThemePage(theme, 3),
            "<html><body><font "
            "size=3><div><b>&lt;T&gt;</b></div><div>D</div><div>X<br></div><div>L</div><div>C</div>"
            "<div>I</div></body></html>");
  EXPECT_EQ(MakeThemePage(tchannelrecord{}, 2), "<html><body><font size=2></body></html>");
  const tchannelrecord cyrillic{u"", u"", u"", u"\u041A", u"", u"", 0};  // one windows-1251 byte
  EXPECT_EQ(MakeThemePage(cyrillic, 1), "<html><body><font size=1><div>\xCA</div></body></html>");
}

}  // namespace
}  // namespace kivo
