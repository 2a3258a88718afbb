#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/UrlFunctions.h"

namespace kivo {
namespace {

struct RootCase {
  std::string address;
  std::string root;
};

TEST(UrlRoot, CutsPathAndQueryAndEndsWithSlash) {
  const std::vector<RootCase> cases = {
      {"http://site.com/feed/rss.xml?id=1/2", "http://site.com/"},
      {" \thttp://site.com/a/b \r\n", "http://site.com/"},
      {"http://site.com", "http://site.com/"},            // no slash after the host
      {"http://site.com?path=/a/b", "http://site.com/"},  // the query never supplies the slash
      {"site.com/feed/rss", "site.com/"},                 // no "//"
      {"/feed/rss", "/feed/"},                            // first "/" after the first character
      {"", "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlRoot(c.address), c.root) << c.address;
}

struct JoinCase {
  std::string base;
  std::string reference;
  std::string joined;
};

TEST(UrlJoin, CoversEveryBranch) {
  const std::vector<JoinCase> cases = {
      // file:/// bases: the root ends at the first "/" after "file:///".
      {"file:///C:/feeds/", "img/a.png", "file:///C:/feeds/img/a.png"},
      {"file:///C:/feeds/x.xml", "/a.png", "file:///C:/a.png"},
      // "//" references take the base's scheme.
      {"file:///C:/x/", "//server/share/a.png", "file://///server/share/a.png"},
      {"http://site.com/", "//cdn.net/a.png", "http://cdn.net/a.png"},
      {"HTTPS://site.com/a/", "//cdn.net/a.png", "https://cdn.net/a.png"},
      // "/" replaces everything after the root; relative keeps the whole base.
      {"http://site.com/news/item.html", "/img/a.png", "http://site.com/img/a.png"},
      {"http://site.com/", "img/a.png", "http://site.com/img/a.png"},
      {"http://site.com/news/item.html", "a.png", "http://site.com/news/item.html/a.png"},
      {"site.com/news/", "/a.png", "site.com/a.png"},
      {"site.com", "a.png", "site.com/a.png"},
      // No "/" after the host: the host stays.
      {"http://h.com", "/x.png", "http://h.com/x.png"},
      {"http://h.com", "x.png", "http://h.com/x.png"},
      {"http://h.com", "/../x.png", "http://h.com/x.png"},
      // "/../" takes the segment before it along; above the root it is dropped.
      {"http://site.com/", "a/b/../c.png", "http://site.com/a/c.png"},
      {"http://site.com/", "a/b/c/../../d.png", "http://site.com/a/d.png"},
      {"http://site.com/", "../../c.png", "http://site.com/c.png"},
      {"http://site.com/x/", "/../c.png", "http://site.com/c.png"},
      {"http://site.com/", "a//../c.png", "http://site.com/a/c.png"},
      // "/./" steps vanish, also when they follow each other.
      {"http://site.com/", "./a/./b.png", "http://site.com/a/b.png"},
      {"http://site.com/", "a/././b.png", "http://site.com/a/b.png"},
      // Both inputs are trimmed.
      {"  http://site.com/ \t", "\r\n img/a.png \n", "http://site.com/img/a.png"},
      {"http://site.com/", "", "http://site.com/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UrlJoin(c.base, c.reference), c.joined) << c.base << " + " << c.reference;
  }
}

TEST(UrlJoin, EndsOnLongRunsOfDotSteps) {
  std::string steps;
  for (int i = 0; i < 2000; ++i) steps += i % 3 == 0 ? "./" : i % 3 == 1 ? "s/../" : "../";
  EXPECT_EQ(UrlJoin("http://site.com/", steps + "x"), "http://site.com/x");
  EXPECT_NO_THROW(UrlJoin(steps, steps));
  EXPECT_NO_THROW(UrlJoin("", "../"));
}

struct AbsoluteCase {
  std::string reference;
  bool absolute;
};

TEST(UrlIsAbsolute, NeedsSchemeBeforeFirstSlashOrMailto) {
  const std::vector<AbsoluteCase> cases = {
      {"http://site.com/a", true},
      {"FTP://site.com", true},
      {"img/a.png", false},
      {"go/http://site.com", false},           // "://" only after a "/"
      {"redirect?to=http://site.com", false},  // only inside the query
      {"mailto:me@site.com", true},
      {"Write to MailTo:me@site.com", true},
      {"\xCF\xC8\xD8\xC8\xD2\xC5 MAILTO:me", true},  // Cyrillic upper case around it
      {"mailto", false},
      {"page?mailto:me", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlIsAbsolute(c.reference), c.absolute) << c.reference;
}

TEST(UrlScheme, RecognisesAndLowerCasesSchemes) {
  const std::vector<RootCase> cases = {
      {"/news/1.html", "http"},
      {"HTTP:site.com", "http"},
      {"http:", "http"},
      {"MAILTO:me@site.com", "mailto"},
      {"mailto", ""},
      {"HTTPS://SITE.COM/", "https"},
      {"\xC0\xC1://x", "\xE0\xE1"},
      {"site.com/a?next=http://x", ""},
      {"?a=http://x", ""},
      {"site.com", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlScheme(c.address), c.root) << c.address;
}

}  // namespace
}  // namespace kivo
