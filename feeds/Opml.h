// Feed lists exchanged with other readers as OPML outlines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

// One feed-list entry, windows-1251 like the feed list.
struct TOpmlFeed {
  std::string Address;
  std::string Name;

  bool operator==(const TOpmlFeed&) const = default;
};

enum class TOpmlFailure { None, NotOpml, UnreadableEncoding, TooLarge, Damaged };

struct TOpmlImport {
  TOpmlFailure Failure = TOpmlFailure::None;
  std::vector<TOpmlFeed> Added;  // in document order, to go after the list's entries
  int Skipped = 0;               // feed outlines refused by the address checks, duplicates included
};

// Reads OPML 1.0 or 2.0 bytes as a feed download is read: the same size limit,
// tree budget and encodings; any other declared encoding is refused. Every
// outline with an "xmlUrl" is a feed, at any depth; the others only group.
// A name is its "title", else its "text", else the address. Characters with
// no windows-1251 form become "?" in names and are percent-encoded as UTF-8
// in addresses. `existing` and `folderLength` as CheckNewFeedAddress takes them.
TOpmlImport ImportOpml(std::string_view bytes, const std::vector<std::string>& existing,
                       std::size_t folderLength);

// An OPML 2.0 document in UTF-8 with every feed, in order.
std::string ExportOpml(const std::vector<TOpmlFeed>& feeds);

}  // namespace kivo
