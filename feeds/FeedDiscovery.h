// The feeds a web page announces, for an address that answered with a page
// where a feed was expected.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

struct TAnnouncedFeed {
  std::string Address;  // absolute
  std::string Title;    // windows-1251, empty when the link has none
  bool operator==(const TAnnouncedFeed&) const = default;
};

// Only the start of a page is read, and only so many links kept: the page is
// whatever the server sent.
inline constexpr std::size_t kDiscoveryScanBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxAnnouncedFeeds = 32;

// Every <link> whose rel holds the word "alternate" (and not "stylesheet") and
// whose type is RSS, Atom or RDF, in page order, each address once. Hrefs
// resolve against the page's <base href> when it has one, else against
// `pageAddress`. Titles are read as UTF-8 when they are well formed, else as
// windows-1251.
std::vector<TAnnouncedFeed> FindAnnouncedFeeds(std::string_view page, std::string_view pageAddress);

// True when the first element of `document` (after a byte order mark,
// declarations, comments and a doctype) is a feed's root: rss, RDF, feed,
// channel or news, with or without a prefix, any case. Anything else is
// looked at as a page.
bool StartsAsFeed(std::string_view document);

}  // namespace kivo
