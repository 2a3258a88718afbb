#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feeds/FeedAddress.h"

namespace kivo {
namespace {

using namespace std::string_literals;

// Before these checks any text reached the feed list: an empty line, a "|" that
// split the line in two, a javascript: address the viewer later opened.
TEST(CheckNewFeedAddress, BadTypedAddressesAreRefusedAndGoodOnesStoredAsMeant) {
  struct Case {
    std::string typed;
    TAddressProblem problem;
    std::string address;  // checked only when there is no problem
  };
  const Case cases[] = {
      {"  http://a.com/rss \t\r\n", TAddressProblem::None, "http://a.com/rss"},
      {"", TAddressProblem::Empty, ""},
      {" \t\r\n ", TAddressProblem::Empty, ""},
      {"a.com/rss", TAddressProblem::None, "http://a.com/rss"},
      {"a.com:8080/rss", TAddressProblem::None, "http://a.com:8080/rss"},
      {"localhost:81", TAddressProblem::None, "http://localhost:81"},
      {"HTTP://A.com/", TAddressProblem::None, "HTTP://A.com/"},
      {"HtTpS://a.com/", TAddressProblem::None, "HtTpS://a.com/"},
      {"https://a.com:8443/x?q=1", TAddressProblem::None, "https://a.com:8443/x?q=1"},
      {"ftp://a.com/rss", TAddressProblem::Scheme, ""},
      {"javascript:alert(1)", TAddressProblem::Scheme, ""},
      {"JavaScript://%0aalert(1)", TAddressProblem::Scheme, ""},
      {"file:///c:/feed.xml", TAddressProblem::Scheme, ""},
      {"http://a.com/x|News", TAddressProblem::Character, ""},
      {"http://a.com/\tx", TAddressProblem::Character, ""},
      {"http://a.com/"s + '\0' + "x", TAddressProblem::Character, ""},
      {"http://a.com/\x7Fx", TAddressProblem::Character, ""},
      {"http://a.com/\xC0\xE1\xE2", TAddressProblem::None, "http://a.com/\xC0\xE1\xE2"},
  };
  for (const auto& c : cases) {
    const TAddressCheck check = CheckNewFeedAddress(c.typed, {}, 40);
    EXPECT_EQ(static_cast<int>(check.Problem), static_cast<int>(c.problem)) << '"' << c.typed << '"';
    if (c.problem == TAddressProblem::None) {
      EXPECT_EQ(check.Address, c.address) << '"' << c.typed << '"';
    }
  }
}

// Two entries with one cache name share an item cache, read marks and an INI
// section, so the second silently took over the first one's settings.
TEST(CheckNewFeedAddress, AnAddressSharingACacheNameNamesTheFeedItClashesWith) {
  // Stored entries are never judged themselves: bad ones are no reason to refuse.
  const std::vector<std::string> existing = {"http://one.com/rss",
                                             "http://two.com:80/rss",
                                             "http://Three.com/RSS",
                                             "http://four.com/a.b",
                                             "",
                                             "ftp://x",
                                             "a|b"};
  struct Case {
    std::string typed;
    bool duplicate;
    std::size_t clash;
  };
  const Case cases[] = {
      {"http://one.com/rss", true, 0},       {"one.com/rss", true, 0},
      {"http://one.com/rss2", false, 0},     {"http://two.com/80/rss", true, 1},
      {"http://two.com:8080/rss", false, 0}, {"http://two.com/rss", false, 0},
      {"http://three.com/rss", true, 2},     {"HTTP://THREE.COM/RSS", true, 2},
      {"http://four.com/a_b", true, 3},      {"https://four.com/a.b", false, 0},
  };
  for (const auto& c : cases) {
    const TAddressCheck check = CheckNewFeedAddress(c.typed, existing, 40);
    EXPECT_EQ(check.Problem == TAddressProblem::Duplicate, c.duplicate) << c.typed;
    if (c.duplicate) {
      EXPECT_EQ(check.Clash, c.clash) << c.typed;
    }
  }
}

TEST(CleanFeedName, LineBreaksAndBarsWouldSplitTheFeedListLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"News|Today", "News Today"},
      {"a\r\nb\nc\rd", "a  b c d"},
      {"\xCD\xEE\xE2\xEE\xF1\xF2\xE8 \t<&>", "\xCD\xEE\xE2\xEE\xF1\xF2\xE8 \t<&>"},
  };
  for (const auto& [typed, name] : cases) EXPECT_EQ(CleanFeedName(typed), name) << typed;
}

}  // namespace
}  // namespace kivo
