// The viewer on hostile pages: what a page holds must cost time and memory
// in proportion to the page, on the UI thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "viewer/HtmlTokenizer.h"

namespace kivo {
namespace {

// The check for a repeated name compared each attribute with all before it:
// a tag with 300 000 attributes kept the UI thread busy for minutes.
TEST(HtmlTokenizer, TagKeepsItsFirst64Attributes) {
  for (const int names : {63, 64, 300000}) {  // before src; a repeat and a handler do not count
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

}  // namespace
}  // namespace kivo
