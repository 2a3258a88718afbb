// The viewer on hostile pages: what a page holds must cost time and memory
// in proportion to the page, on the UI thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/FakeCanvas.h"
#include "viewer/HtmlDocument.h"
#include "viewer/HtmlTokenizer.h"
#include "viewer/HtmlView.h"

namespace kivo {
namespace {

// The check for a repeated name compared each attribute with all before it:
// a tag with 300 000 attributes kept the UI thread busy for minutes.
TEST(HtmlTokenizer, TagKeepsItsFirst64Attributes) {
  for (const int names : {63, 300000}) {  // before src; a repeat and a handler do not count
    std::string html = "<img alt=first alt=again onclick=x";
    for (int i = 1; i < names; ++i) html.append(" a").append(std::to_string(i));
    const std::u16string page = std::u16string(html.begin(), html.end()) + u" src=s>after";
    THtmlTokenizer tokenizer(page);
    THtmlToken token;
    tokenizer.Next(token);
    EXPECT_EQ(token.Attributes.size(), std::min(names + 1, 64)) << names;
    EXPECT_TRUE(*token.Attribute(u"alt") == u"first" && (token.Attribute(u"src") != nullptr) == (names < 64));
    tokenizer.Next(token);
    EXPECT_EQ(token.Text, u"after") << "the tag ends where it did";
  }
}

// 22 tables of 1000 columns 100 000 px wide side by side overflowed the int
// sums of column widths, and 280 000 pictures 8000 px high the page's height.
TEST(HtmlLayout, HugeWidthsAndHeightsAreSummedIn64BitsAndClamped) {
  std::string wide = "<table><tr>", tables = "<table><tr>", tall;
  for (int i = 0; i < 1000; ++i) wide += "<td width=100000>x";
  wide += "</table>";
  for (int i = 0; i < 22; ++i) tables.append("<td>").append(wide);
  for (int i = 0; i < 140000; ++i) tall += "<img height=8000><br>";
  for (const std::string& html : {tables, "<table width=100%><tr><td width=100%>" + wide + wide,
                                  "<table><tr><td>" + tall + "<tr><td>" + tall}) {
    testing::FixedMetrics metrics;
    THtmlView view(metrics);
    view.SetViewport(800, 600);
    view.LoadHtml(html);
    EXPECT_TRUE(view.DocumentHeight() > 0 && view.DocumentHeight() <= kMaxLayoutExtent);
    for (const TDisplayItem& item : view.Document().Display().Items)
      ASSERT_TRUE(item.Rect.Left <= item.Rect.Right && item.Rect.Right <= 2 * kMaxLayoutExtent &&
                  item.Rect.Top <= item.Rect.Bottom);
  }
}

}  // namespace
}  // namespace kivo
