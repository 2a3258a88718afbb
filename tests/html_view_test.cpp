#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/support/FakeCanvas.h"
#include "viewer/HtmlAttributes.h"
#include "viewer/HtmlDocument.h"
#include "viewer/HtmlTokenizer.h"
#include "viewer/HtmlView.h"

namespace kivo {
namespace {

constexpr int kMargin = 8;  // the body's

struct TDrawn {
  std::string What;  // "text", "fill", "frame", "image"
  TRect Rect;
  TColor Color = 0;
  std::u16string Text;
};

class RecordingCanvas : public ICanvas {
 public:
  void FillRect(const TRect& rect, TColor color) override { drawn.push_back({"fill", rect, color, {}}); }
  void FrameRect(const TRect& rect, TColor color) override { drawn.push_back({"frame", rect, color, {}}); }
  void DrawText(int x, int y, const TFontSpec&, TColor color, std::u16string_view text) override {
    drawn.push_back(
        {"text",
         {x, y, x + testing::kCharWidth * static_cast<int>(text.size()), y + testing::kLineHeight},
         color,
         std::u16string(text)});
  }
  void DrawImage(const TRect& rect, const TBitmap32&, std::uint64_t) override {
    drawn.push_back({"image", rect, 0, {}});
  }
  std::vector<TDrawn> Texts() const {
    std::vector<TDrawn> texts;
    for (const TDrawn& d : drawn)
      if (d.What == "text") texts.push_back(d);
    return texts;
  }
  TColor ColorOf(std::u16string_view text) const {
    for (const TDrawn& d : drawn)
      if (d.What == "text" && d.Text == text) return d.Color;
    ADD_FAILURE() << "the text was not drawn";
    return 0;
  }
  std::vector<TDrawn> drawn;
};

// A view `chars` characters wide inside the body margins.
struct TFixture {
  explicit TFixture(const std::string& html, int chars = 40, int height = 400) {
    view.SetViewport(2 * kMargin + chars * testing::kCharWidth, height);
    view.LoadHtml(html);
  }
  const THtmlLayout& Layout() const { return view.Document().Display(); }
  std::vector<TDisplayItem> Items(TDisplayKind kind) const {
    std::vector<TDisplayItem> items;
    for (const TDisplayItem& item : Layout().Items)
      if (item.Kind == kind) items.push_back(item);
    return items;
  }
  // The page text from the first to the last run of each line, lines top to bottom.
  std::vector<std::u16string> Lines() const {
    std::vector<std::u16string> lines;
    int top = -1;
    std::uint32_t start = 0;
    for (const TDisplayItem& item : Items(TDisplayKind::Text)) {
      if (item.Rect.Top != top) lines.emplace_back(), start = item.Start;
      top = item.Rect.Top;
      lines.back() = view.Document().Text().substr(start, item.End - start);
    }
    return lines;
  }
  const TDisplayItem& TextItem(std::u16string_view text) const {
    for (const TDisplayItem& item : Layout().Items) {
      const std::u16string_view shown = view.Document().Text().substr(item.Start, item.End - item.Start);
      if (item.Kind == TDisplayKind::Text && shown.find(text) != std::u16string_view::npos) return item;
    }
    ADD_FAILURE() << "no text item holds the text";
    return Layout().Items.front();
  }
  testing::FixedMetrics metrics;
  THtmlView view{metrics};
};

TBitmap32 Picture(int width, int height) {
  return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))};
}

using Lines = std::vector<std::u16string>;

TEST(HtmlLayout, LinesBreakAtBlanksHyphensAndInsideOverlongWords) {
  const std::tuple<const char*, std::string, int, Lines> cases[] = {
      {"wraps at the last blank that fits", "aaaa bbbb cccc", 10, {u"aaaa bbbb", u"cccc"}},
      {"collapses white space", "  aa \r\n\t bb  ", 10, {u"aa bb"}},
      {"splits an overlong word", "abcdefghijklmnopqrstuvw", 10, {u"abcdefghij", u"klmnopqrst", u"uvw"}},
      {"breaks after a hyphen", "aaaa-bbbb-cccc", 10, {u"aaaa-bbbb-", u"cccc"}},
      {"no break at a no-break blank", "a aa&nbsp;bb", 6, {u"a", u"aa\u00A0bb"}},
      {"breaks a line at br", "aa<br>bb<br><br>cc", 10, {u"aa", u"bb", u"cc"}},
      {"starts a line for every block", "aa<div>bb</div>cc<p>dd</p>", 10, {u"aa", u"bb", u"cc", u"dd"}},
      {"glues words across tags", "aaaa <b>bb</b>bb cc", 8, {u"aaaa", u"bbbb cc"}},
      {"keeps blanks and lines in pre", "<pre>\n a  b\n\tc   d</pre>", 5, {u" a  b", u"        c   d"}},
  };
  for (const auto& [name, html, chars, lines] : cases)
    EXPECT_EQ(TFixture(html, chars).Lines(), lines) << name;
}

TEST(HtmlLayout, EmptyLineBetweenTwoBreaksTakesALineHeight) {
  TFixture page("aa<br><br>cc");
  EXPECT_EQ(page.TextItem(u"cc").Rect.Top - page.TextItem(u"aa").Rect.Top, 2 * testing::kLineHeight);
}

TEST(HtmlLayout, AlignCentersAndRightAlignsLines) {
  TFixture page("<p align=center>abcd</p><div align=right>ab</div><center>ab</center>", 10);
  EXPECT_EQ(page.TextItem(u"abcd").Rect.Left, kMargin + 3 * testing::kCharWidth);
  const std::vector<TDisplayItem> items = page.Items(TDisplayKind::Text);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].Rect.Left, kMargin + 8 * testing::kCharWidth);
  EXPECT_EQ(items[2].Rect.Left, kMargin + 4 * testing::kCharWidth);
}

TEST(HtmlLayout, RulesSpanTheLineUnlessSizedAndKeepTheirMargins) {
  TFixture page("a<hr>b<hr width=50% size=4 noshade align=left>");
  const std::vector<TDisplayItem> frames = page.Items(TDisplayKind::Frame);
  const std::vector<TDisplayItem> fills = page.Items(TDisplayKind::Fill);
  ASSERT_EQ(frames.size(), 1u);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(frames[0].Rect, (TRect{kMargin, kMargin + testing::kLineHeight + 6,
                                   kMargin + 40 * testing::kCharWidth, kMargin + testing::kLineHeight + 8}));
  EXPECT_EQ(page.TextItem(u"b").Rect.Top, frames[0].Rect.Bottom + 6);
  EXPECT_EQ(fills[0].Rect.Width(), 20 * testing::kCharWidth);
  EXPECT_EQ(fills[0].Rect.Height(), 4);
  EXPECT_EQ(fills[0].Rect.Left, kMargin);
}

TEST(HtmlText, ReferencesDroppedContentAndBrokenStructureGiveTheRightText) {
  const std::tuple<const char*, std::string, std::u16string> cases[] = {
      {"named", "&lt;a&gt; &amp; &quot;&apos;&copy;&euro;&mdash;&hellip;&laquo;&raquo;",
       u"<a> & \"'\u00A9\u20AC\u2014\u2026\u00AB\u00BB"},
      {"Latin-1 set", "&eacute;&Uuml;&szlig;&yuml;&nbsp;x", u"\u00E9\u00DC\u00DF\u00FF\u00A0x"},
      {"decimal and hex", "&#1046;&#x416;&#X436;&#65", u"\u0416\u0416\u0436A"},
      {"beyond the BMP", "&#128512;", u"\U0001F600"},
      {"no character", "&#0;&#xD800;&#99999999;", u"\uFFFD\uFFFD\uFFFD"},
      {"C1 read as windows-1252", "&#150;&#133;", u"\u2013\u2026"},
      {"unknown kept", "&bogus; &amp x &ampx; &#; &#x; & a", u"&bogus; & x &ampx; &#; &#x; & a"},
      {"soft hyphen dropped", "a&shy;b", u"ab"},
      {"legacy without semicolon", "&copy 2020 &nbspx", u"\u00A9 2020 &nbspx"},
      {"windows-1251 bytes", "\xC6\xE8\xE7\xED\xFC \xA8\xB8 \x96",
       u"\u0416\u0438\u0437\u043D\u044C \u0401\u0451 \u2013"},
      {"stray less-than", "a < b <3 </ >c", u"a < b <3 c"},
      {"comments and declarations", "<!DOCTYPE html>a<!-- <b>x</b> -->b<?xml x?>c<!x>", u"abc"},
      {"script and style dropped", "a<script>if (a<b) x='</p>';</script>b<style>p{}</style>c", u"abc"},
      {"embedding dropped",
       "a<iframe src=x>f</iframe>b<object><param>o</object>c<noscript>n</noscript>d<embed src=e>", u"abcd"},
      {"head and title ignored", "<html><head><title>T</title><meta x></head><body>b</body></html>", u"b"},
      {"unknown tags keep text", "<blink>a</blink><custom x=1>b</custom>", u"ab"},
      {"case-insensitive names", "<B>a</b><DIV>b</DiV>", u"a\nb"},
      // Malformed structure keeps every text.
      {"unclosed cells and rows", "<table><tr><td>a<td>b<tr><td>c</table>d", u"a\tb\nc\nd"},
      {"cells without a row", "<table><td>a</td><td>b</table>", u"a\tb"},
      {"text straight inside a table", "<table>x<tr><td>y</table>", u"x\ny"},
      {"a cell outside any table", "<td>x</td>y", u"xy"},
      {"stray end tags", "a</div></table></td></li></b>b", u"ab"},
      {"a stray paragraph end breaks the line", "a</p>b", u"a\nb"},
      {"list items closed by the next", "<ul><li>a<li>b<ul><li>c</ul><li>d</ul>", u"a\nb\nc\nd"},
      {"a block inside a paragraph closes it", "<p>a<div>b</div>c", u"a\nb\nc"},
      {"a block inside a link", "<a href=x>a<div>b</div></a>", u"a\nb"},
      {"a tag cut off by the end", "a<b", u"a"},
      {"an unterminated comment", "a<!-- b", u"a"},
      {"an unclosed quote", "a<img alt='x>b", u"a"},
  };
  for (const auto& [name, html, text] : cases) EXPECT_EQ(TFixture(html).view.Document().Text(), text) << name;
}

TEST(HtmlTokenizer, AttributesQuotedUnquotedAndHandlersDropped) {
  THtmlTokenizer tokenizer(
      u"<A HREF=a.html?x=1&amp;y=2&sect=3 Title='it''s' onclick=\"evil()\" OnMouseOver=x alt=\"q>r&copy\" "
      u"checked>");
  THtmlToken token;
  tokenizer.Next(token);
  ASSERT_EQ(token.Kind, THtmlTokenKind::StartTag);
  EXPECT_EQ(token.Name, u"a");
  std::vector<std::pair<std::u16string, std::u16string>> attributes;
  for (const THtmlAttribute& a : token.Attributes) attributes.emplace_back(a.Name, a.Value);
  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      // "&sect=" in an address used to become a section sign
      {u"href", u"a.html?x=1&y=2&sect=3"},
      {u"title", u"it"},
      {u"'s'", u""},
      {u"alt", u"q>r\u00A9"},
      {u"checked", u""}};
  EXPECT_EQ(attributes, expected);
}

TEST(HtmlText, MisnestedFormattingEndsWhereItsEndTagIs) {
  TFixture page("<b><i>x</b>y</i>z <p><b>a<p>b</b>");
  const std::vector<TTextStyle>& styles = page.view.Document().Content().Styles;
  const auto font = [&](std::u16string_view text) {
    return styles[static_cast<std::size_t>(page.TextItem(text).Style)].Font;
  };
  EXPECT_TRUE(font(u"x").Bold && font(u"x").Italic);
  EXPECT_TRUE(!font(u"y").Bold && font(u"y").Italic);
  EXPECT_FALSE(font(u"z").Bold || font(u"z").Italic);
  EXPECT_TRUE(font(u"b").Bold) << "bold goes on in the next paragraph";
}

TEST(HtmlText, FontSizesFacesAndColours) {
  TFixture page(
      "<font size=1>a</font><font size=+2>b</font><font size=-5>c</font><h1>d</h1><font face='Arial, "
      "Helvetica' "
      "color=#f00>e</font><tt>f</tt><body text=green link=red><a href=x>g</a>");
  const THtmlContent& content = page.view.Document().Content();
  const auto style = [&](std::u16string_view text) {
    return content.Styles[static_cast<std::size_t>(page.TextItem(text).Style)];
  };
  EXPECT_EQ(style(u"a").Font.SizePx, 10);
  EXPECT_EQ(style(u"b").Font.SizePx, 20);
  EXPECT_EQ(style(u"c").Font.SizePx, 10);
  EXPECT_EQ(style(u"d").Font.SizePx, 26);
  EXPECT_TRUE(style(u"d").Font.Bold);
  EXPECT_EQ(style(u"e").Font.Face, u"Arial");
  EXPECT_EQ(style(u"e").Color, 0xFF0000u);
  EXPECT_EQ(style(u"f").Font.Face, u"Courier New");
  EXPECT_TRUE(style(u"g").Font.Underline);
  RecordingCanvas canvas;
  page.view.Paint(canvas, {0, 0, 300, 400});
  EXPECT_EQ(canvas.ColorOf(u"a"), 0x008000u) << "body text colour";
  EXPECT_EQ(canvas.ColorOf(u"g"), 0xFF0000u) << "body link colour";
}

TEST(HtmlColor, ParsesHexShortHexBareHexAndTheSixteenNames) {
  const std::pair<std::u16string_view, std::optional<TColor>> cases[] = {
      {u"#1a2B3c", 0x1A2B3C}, {u"#abc", 0xAABBCC},     {u"1a2b3c", 0x1A2B3C},
      {u" Navy ", 0x000080},  {u"silver", 0xC0C0C0},   {u"#12", std::nullopt},
      {u"abc", std::nullopt}, {u"#ggg", std::nullopt}, {u"", std::nullopt}};
  for (const auto& [text, color] : cases)
    EXPECT_EQ(ParseHtmlColor(text), color) << std::string(text.begin(), text.end());
}

TEST(HtmlTable, ColumnWidthsFollowContentAndWidthAttributes) {
  const std::string t = "<table cellspacing=0 cellpadding=0";
  // The left edges of the texts, in page order, inside the margins.
  const std::tuple<const char*, std::string, int, std::vector<int>> cases[] = {
      {"the widest cell sets the column", t + "><tr><td>aaaa<td>b<tr><td>c<td>d</table>", 40, {0, 28, 0, 28}},
      {"spacing and padding", "<table cellspacing=3 cellpadding=2><tr><td>aa<td>b</table>", 40, {5, 26}},
      {"a border adds a frame line per cell", t + " border=2><tr><td>aa<td>b</table>", 40, {3, 19}},
      {"percent of the table", t + " width=100%><tr><td width=25%>a<td>b</table>", 40, {0, 70}},
      {"pixel width", t + "><tr><td width=50>a<td>b</table>", 40, {0, 50}},
      {"extra to the wider column",
       t + " width=280><tr><td>aaaaaaaaaaaaaaaaaaaaa<td>bbbbbbb</table>",
       40,
       {0, 210}},
      {"narrow table squeezes the longer text", t + "><tr><td>aaa aaa aaa aaa<td>bb</table>", 10, {0, 0, 56}},
      {"colspan spans columns", t + "><tr><td colspan=2>aaaaaa<tr><td>b<td>c</table>", 40, {0, 0, 21}},
      {"centered table", t + " align=center><tr><td>aa</table>", 10, {28}},
  };
  for (const auto& [name, html, chars, expected] : cases) {
    TFixture page(html, chars);
    std::vector<int> lefts;
    for (const TDisplayItem& item : page.Items(TDisplayKind::Text)) lefts.push_back(item.Rect.Left - kMargin);
    EXPECT_EQ(lefts, expected) << name;
  }
}

TEST(HtmlTable, RowsStackAndCellsCenterVertically) {
  TFixture page("<table cellspacing=2 cellpadding=0><tr><td>a<br>a<td>b<td valign=top>c<tr><td>d</table>");
  const int top = page.TextItem(u"a").Rect.Top;
  EXPECT_EQ(page.TextItem(u"b").Rect.Top, top + testing::kLineHeight / 2);
  EXPECT_EQ(page.TextItem(u"c").Rect.Top, top);
  EXPECT_EQ(page.TextItem(u"d").Rect.Top, top + 2 * testing::kLineHeight + 2);
}

TEST(HtmlTable, CellBackgroundFillsTheWholeRowHeight) {
  TFixture page("<table cellspacing=0 cellpadding=0><tr bgcolor=#00ff00><td>a<br>a<td bgcolor=red>b</table>");
  std::vector<TDisplayItem> fills = page.Items(TDisplayKind::Fill);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].Color, 0x00FF00u);
  EXPECT_EQ(fills[1].Color, 0xFF0000u);
  EXPECT_EQ(fills[1].Rect.Height(), 2 * testing::kLineHeight);
}

TEST(HtmlList, OrderedListsNumberTheirItems) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"<ol><li>a<li>b<li>c</ol>", u"1.2.3."},
      {"<ol start=4><li>a<li value=10>b<li>c</ol>", u"4.10.11."},
      {"<ol type=a><li>a<li>b</ol><ol type=I start=4><li>c</ol>", u"a.b.IV."},
      {"<ol><li>a<ol><li>b</ol><li>c</ol>", u"1.1.2."},
  };
  for (const auto& [html, markers] : cases) EXPECT_EQ(TFixture(html).Layout().MarkerText, markers) << html;
}

TEST(HtmlList, BulletsStandLeftOfTheIndentedItems) {
  TFixture page("<ul><li>a<li>b</ul>");
  const std::vector<TDisplayItem> bullets = page.Items(TDisplayKind::Fill);
  ASSERT_EQ(bullets.size(), 2u);
  const TDisplayItem& a = page.TextItem(u"a");
  EXPECT_EQ(a.Rect.Left, kMargin + 40);
  EXPECT_LT(bullets[0].Rect.Right, a.Rect.Left);
  EXPECT_GE(bullets[0].Rect.Top, a.Rect.Top);
  EXPECT_LE(bullets[0].Rect.Bottom, a.Rect.Bottom);
}

TEST(HtmlLinks, LinkAtAndHoverCoverTheWholeLink) {
  TFixture page("xx <a href=\"http://a/?b=1&amp;c\">one two three</a> yy", 10);
  ASSERT_EQ(page.Lines(), (Lines{u"xx one two", u"three yy"}));
  const TDisplayItem& second = page.TextItem(u"three");
  EXPECT_EQ(page.view.LinkAt(second.Rect.Left + 1, second.Rect.Top + 1), "http://a/?b=1&c");
  EXPECT_EQ(page.view.LinkAt(kMargin + 1, second.Rect.Top - 1), std::nullopt) << "over xx";
  EXPECT_EQ(page.view.LinkAt(second.Rect.Right + 1, second.Rect.Top + 1), std::nullopt) << "over yy";

  EXPECT_TRUE(page.view.SetHover(second.Rect.Left + 1, second.Rect.Top + 1));
  EXPECT_FALSE(page.view.SetHover(second.Rect.Left + 2, second.Rect.Top + 1));
  RecordingCanvas canvas;
  page.view.Paint(canvas, {0, 0, 200, 200});
  for (const TDrawn& d : canvas.Texts()) {
    const bool linked = d.Text != u"xx" && d.Text != u"yy";
    EXPECT_EQ(d.Color, linked ? page.view.Options().HotLink : 0u)
        << std::string(d.Text.begin(), d.Text.end());
  }
  EXPECT_TRUE(page.view.SetHover(1, 1));
}

TEST(HtmlLinks, ScrollToAnchorFindsNamesAndIds) {
  std::string paragraphs;
  for (int i = 0; i < 50; ++i) paragraphs += "<p>para</p>";
  TFixture page("<a name=top></a>" + paragraphs + "<a name=\"mid\">x</a><div id=div>y</div>" + paragraphs, 40,
                100);
  EXPECT_TRUE(page.view.ScrollToAnchor("mid"));
  EXPECT_EQ(page.view.ScrollPos(), page.TextItem(u"x").Rect.Top);
  EXPECT_TRUE(page.view.ScrollToAnchor("div"));
  EXPECT_EQ(page.view.ScrollPos(), page.TextItem(u"y").Rect.Top);
  EXPECT_TRUE(page.view.ScrollToAnchor("top"));
  EXPECT_EQ(page.view.ScrollPos(), kMargin);
  EXPECT_FALSE(page.view.ScrollToAnchor("none"));
}

TEST(HtmlSelection, SelectAllCopiesBlocksAsLinesAndCellsWithTabs) {
  TFixture page(
      "<p>one</p><p>two <b>three</b> <img src=x> four</p><table><tr><td>a<td>b<tr><td>c</table>end");
  page.view.SelectAll();
  ASSERT_TRUE(page.view.HasSelection());
  EXPECT_EQ(page.view.SelectedText(), u"one\ntwo three  four\na\tb\nc\nend");
  page.view.ClearSelection();
  EXPECT_FALSE(page.view.HasSelection());
  EXPECT_EQ(page.view.SelectedText(), u"");
}

TEST(HtmlSelection, MouseSelectsWholeCharactersAndDraws) {
  TFixture page("abcdef ghij");
  const int top = page.TextItem(u"abc").Rect.Top + 2;
  page.view.BeginSelection(kMargin + 2 * testing::kCharWidth + 2, top);   // left half of 'c'
  page.view.ExtendSelection(kMargin + 8 * testing::kCharWidth + 5, top);  // right half of 'h'
  EXPECT_EQ(page.view.SelectedText(), u"cdef gh");
  page.view.ExtendSelection(0, 0);  // above the text: backwards to its start
  EXPECT_EQ(page.view.SelectedText(), u"ab");
  page.view.ExtendSelection(kMargin + 4 * testing::kCharWidth, top);
  RecordingCanvas canvas;
  page.view.Paint(canvas, {0, 0, 200, 100});
  std::vector<std::u16string> texts;
  for (const TDrawn& d : canvas.Texts()) texts.push_back(d.Text);
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"ab", u"cd", u"ef ghij"}));
  EXPECT_EQ(canvas.Texts()[1].Color, page.view.Options().SelectionText);
}

TEST(HtmlFind, FindsOnwardFromTheSelectionAndScrollsToTheHit) {
  std::string html;
  for (int i = 0; i < 60; ++i) html += "<p>line " + std::to_string(i) + "</p>";
  html += "<p>Needle here and needle there</p>";
  TFixture page(html, 40, 100);
  EXPECT_TRUE(page.view.Find(u"eedle"));
  EXPECT_EQ(page.view.SelectedText(), u"eedle");
  const TDisplayItem& hit = page.TextItem(u"Needle");
  EXPECT_LE(page.view.ScrollPos(), hit.Rect.Top);
  EXPECT_GE(page.view.ScrollPos() + 100, hit.Rect.Bottom);
  EXPECT_TRUE(page.view.Find(u"eedle")) << "the second hit";
  EXPECT_FALSE(page.view.Find(u"eedle")) << "no wrap-around";
  EXPECT_EQ(page.view.SelectedText(), u"eedle") << "a miss keeps the selection";
  EXPECT_FALSE(page.view.Find(u"NEEDLE")) << "case matters";
  page.view.ClearSelection();
  page.view.ScrollTo(0);
  EXPECT_TRUE(page.view.Find(u"line 1"));
  EXPECT_EQ(page.view.ScrollPos(), 0) << "a visible hit does not scroll";
  page.view.ClearSelection();
  page.view.ScrollTo(page.TextItem(u"line 30").Rect.Top);
  EXPECT_TRUE(page.view.Find(u"line"));
  EXPECT_EQ(page.view.SelectedText(), u"line");
  EXPECT_EQ(page.view.Document().CharBounds(page.view.Document().Text().find(u"line 30"))->Top,
            page.view.ScrollPos())
      << "starts at the top of the visible part";
}

TEST(HtmlImages, RequestsEachSourceOnceInPageOrder) {
  TFixture page("<img src=b.png><img src=\"a.png\"><img src=b.png><img><img src=''>");
  EXPECT_EQ(page.view.TakeImageRequests(), (std::vector<std::string>{"b.png", "a.png"}));
  EXPECT_TRUE(page.view.TakeImageRequests().empty());
  page.view.LoadHtml("<img src=c.gif>");
  EXPECT_EQ(page.view.TakeImageRequests(), (std::vector<std::string>{"c.gif"}));
}

struct TImageCase {
  const char* name;
  std::string attributes;
  std::optional<TBitmap32> picture;
  int waitingWidth, waitingHeight, width, height;
};

TEST(HtmlImages, PlaceholderThenPictureSizes) {
  const TImageCase cases[] = {
      {"no size given", "", Picture(40, 20), 16, 16, 40, 20},
      {"both sides given", " width=30 height=10", Picture(40, 20), 30, 10, 30, 10},
      {"only the width scales the height", " width=80", Picture(40, 20), 80, 16, 80, 40},
      {"only the height scales the width", " height=10", Picture(40, 20), 16, 10, 20, 10},
      {"no picture shows nothing", " width=30", std::nullopt, 30, 16, 0, 0},
      {"an empty picture shows nothing", "", TBitmap32{}, 16, 16, 0, 0},
  };
  for (const TImageCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFixture page("<img src=p.png" + c.attributes + ">x");
    const auto size = [&page] {
      const std::vector<TDisplayItem> images = page.Items(TDisplayKind::Image);
      return images.size() == 1 ? std::pair(images[0].Rect.Width(), images[0].Rect.Height())
                                : std::pair(-1, -1);
    };
    EXPECT_EQ(size(), std::pair(c.waitingWidth, c.waitingHeight));
    page.view.InsertImage("p.png", c.picture);
    page.view.LayOutPictures();
    EXPECT_EQ(size(), std::pair(c.width, c.height));
    EXPECT_EQ(page.TextItem(u"x").Rect.Left, kMargin + c.width) << "the text moves";
  }
}

TEST(HtmlImages, InsertedPictureIsDrawnInsteadOfThePlaceholder) {
  TFixture page("<img src=p.png><br>x");
  RecordingCanvas before;
  page.view.Paint(before, {0, 0, 300, 300});
  EXPECT_EQ(before.drawn[1].What, "frame");
  const int textTop = page.TextItem(u"x").Rect.Top;
  page.view.InsertImage("p.png", Picture(10, 50));
  page.view.LayOutPictures();
  EXPECT_EQ(page.TextItem(u"x").Rect.Top, textTop + 50 - 16);
  RecordingCanvas after;
  page.view.Paint(after, {0, 0, 300, 300});
  EXPECT_EQ(after.drawn[1].What, "image");
  EXPECT_EQ(after.drawn[1].Rect, (TRect{kMargin, kMargin, kMargin + 10, kMargin + 50}));
}

TEST(HtmlPaint, OnlyItemsInsideTheClipAreDrawn) {
  std::string html;
  for (int i = 0; i < 1000; ++i) html += "<div>line " + std::to_string(i) + "</div>";
  TFixture page(html, 40, 160);
  page.view.ScrollTo(16 * 500);
  RecordingCanvas canvas;
  const TRect clip{0, 40, 300, 80};
  page.view.Paint(canvas, clip);
  const std::vector<TDrawn> texts = canvas.Texts();
  ASSERT_EQ(texts.size(), 3u);
  for (const TDrawn& d : texts) EXPECT_TRUE(d.Rect.Intersects(clip));
  EXPECT_EQ(texts[0].Text, u"line 502");
  EXPECT_EQ(canvas.drawn[0].What, "fill") << "the background first";
  EXPECT_EQ(canvas.drawn[0].Rect, clip);
}

TEST(HtmlView, ScrollIsClampedAndResetByLoad) {
  TFixture page("<div>a</div><div>b</div><div>c</div>", 40, 20);
  EXPECT_EQ(page.view.DocumentHeight(), 2 * kMargin + 3 * testing::kLineHeight);
  page.view.ScrollTo(1000);
  EXPECT_EQ(page.view.ScrollPos(), page.view.DocumentHeight() - 20);
  page.view.ScrollTo(-5);
  EXPECT_EQ(page.view.ScrollPos(), 0);
  page.view.ScrollTo(10);
  page.view.LoadHtml("x");
  EXPECT_EQ(page.view.ScrollPos(), 0);
  page.view.Clear();
  EXPECT_EQ(page.view.Document().Text(), u"");
}

}  // namespace
}  // namespace kivo
