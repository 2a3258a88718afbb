// Checks of a feed address as the user types it or an import brings it, before
// it joins the feed list. Entries already stored are never checked again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

enum class TAddressProblem { None, Empty, Scheme, Character, Duplicate };

struct TAddressCheck {
  TAddressProblem Problem = TAddressProblem::None;
  std::string Address;    // what to store: trimmed; "http://" put before an address typed without a scheme
  std::size_t Clash = 0;  // for Duplicate: index in `existing` of the feed whose cache name is the same
};

// `typed` and `existing` (the addresses of the list's entries, in order) are
// windows-1251 text, like the feed list; `folderLength` as MakeCacheName
// (feeds/FeedTable.h) takes it. Cache names that differ only in letter case
// clash too: they name the same files and INI section on Windows.
TAddressCheck CheckNewFeedAddress(std::string_view typed, const std::vector<std::string>& existing,
                                  std::size_t folderLength);

// A name as typed or imported: line breaks and "|" become a space.
std::string CleanFeedName(std::string_view typed);

}  // namespace kivo
