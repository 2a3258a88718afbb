#include "feeds/FeedDiscovery.h"

#include <algorithm>
#include <map>

#include "base/Text1251.h"
#include "base/UrlFunctions.h"

namespace kivo {

namespace {

constexpr auto npos = std::string_view::npos;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The start of the next "<name" tag from `from`, any case, skipping comments.
std::size_t FindTag(std::string_view text, std::string_view name, std::size_t from) {
  for (std::size_t lt = text.find('<', from); lt != npos; lt = text.find('<', lt + 1)) {
    if (text.substr(lt).starts_with("<!--")) {
      const std::size_t end = text.find("-->", lt + 4);
      if (end == npos) return npos;
      lt = end + 2;
      continue;
    }
    const std::size_t after = lt + 1 + name.size();
    if (after < text.size() && SameText1251(text.substr(lt + 1, name.size()), name) &&
        (IsSpace(text[after]) || text[after] == '/' || text[after] == '>')) {
      return lt;
    }
  }
  return npos;
}

// Attribute names in lower case; the tag ends at the first '>' outside quotes.
std::map<std::string, std::string> ReadAttributes(std::string_view text, std::size_t& at) {
  std::map<std::string, std::string> attributes;
  while (at < text.size() && text[at] != '>') {
    if (IsSpace(text[at]) || text[at] == '/') {
      ++at;
      continue;
    }
    const std::size_t nameStart = at;
    while (at < text.size() && !IsSpace(text[at]) && text[at] != '=' && text[at] != '>' && text[at] != '/')
      ++at;
    std::string name = LowerCase1251(text.substr(nameStart, at - nameStart));
    while (at < text.size() && IsSpace(text[at])) ++at;
    std::string value;
    if (at < text.size() && text[at] == '=') {
      ++at;
      while (at < text.size() && IsSpace(text[at])) ++at;
      if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
        const std::size_t close = text.find(text[at], at + 1);
        const std::size_t end = close == npos ? text.size() : close;
        value = text.substr(at + 1, end - at - 1);
        at = std::min(end + 1, text.size());
      } else {
        const std::size_t valueStart = at;
        while (at < text.size() && !IsSpace(text[at]) && text[at] != '>') ++at;
        value = text.substr(valueStart, at - valueStart);
      }
    }
    if (!name.empty()) attributes.emplace(std::move(name), DecodeEntities(value));
  }
  return attributes;
}

bool HasWord(std::string_view words, std::string_view word) {
  const std::string lower = LowerCase1251(words);
  std::size_t at = 0;
  while (at < lower.size()) {
    while (at < lower.size() && IsSpace(lower[at])) ++at;
    std::size_t end = at;
    while (end < lower.size() && !IsSpace(lower[end])) ++end;
    if (std::string_view(lower).substr(at, end - at) == word) return true;
    at = end;
  }
  return false;
}

bool IsFeedType(std::string_view type) {
  const std::string mime = LowerCase1251(Trim(type.substr(0, type.find(';'))));
  return mime == "application/rss+xml" || mime == "application/atom+xml" || mime == "application/rdf+xml";
}

std::string_view CutQueryAndFragment(std::string_view address) {
  return address.substr(0, std::min(address.find('?'), address.find('#')));
}

// What a relative reference continues: the page's folder, ending in "/".
std::string FolderOf(std::string_view address) {
  const std::string_view page = CutQueryAndFragment(Trim(address));
  const std::size_t scheme = page.find("://");
  const std::size_t hostStart = scheme == npos ? 0 : scheme + 3;
  const std::size_t lastSlash = page.rfind('/');
  if (lastSlash == npos || lastSlash < hostStart) return std::string(page) + "/";
  return std::string(page.substr(0, lastSlash + 1));
}

std::string Resolve(std::string_view href, std::string_view base) {
  const std::string_view ref = Trim(href);
  if (UrlIsAbsolute(ref)) return std::string(ref);
  if (ref.starts_with('?')) return std::string(CutQueryAndFragment(Trim(base))) + std::string(ref);
  return UrlJoin(FolderOf(base), ref);
}

}  // namespace

std::vector<TAnnouncedFeed> FindAnnouncedFeeds(std::string_view page, std::string_view pageAddress) {
  page = page.substr(0, std::min(page.size(), kDiscoveryScanBytes));
  std::string base(pageAddress);
  if (const std::size_t tag = FindTag(page, "base", 0); tag != npos) {
    std::size_t at = tag + 5;
    const auto attributes = ReadAttributes(page, at);
    if (const auto href = attributes.find("href"); href != attributes.end() && !Trim(href->second).empty()) {
      base = Resolve(href->second, pageAddress);
    }
  }
  std::vector<TAnnouncedFeed> feeds;
  for (std::size_t tag = FindTag(page, "link", 0); tag != npos && feeds.size() < kMaxAnnouncedFeeds;
       tag = FindTag(page, "link", tag + 1)) {
    std::size_t at = tag + 5;
    auto attributes = ReadAttributes(page, at);
    const std::string& rel = attributes["rel"];
    if (!HasWord(rel, "alternate") || HasWord(rel, "stylesheet") || !IsFeedType(attributes["type"])) continue;
    if (Trim(attributes["href"]).empty()) continue;
    TAnnouncedFeed feed{Resolve(attributes["href"], base), Utf8ToWinOrKeep(Trim(attributes["title"]))};
    if (std::none_of(feeds.begin(), feeds.end(), [&](const auto& f) { return f.Address == feed.Address; })) {
      feeds.push_back(std::move(feed));
    }
  }
  return feeds;
}

bool StartsAsFeed(std::string_view document) {
  document = document.substr(0, std::min(document.size(), kDiscoveryScanBytes));
  std::size_t at = document.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  for (;;) {
    at = document.find('<', at);
    if (at == npos || at + 1 >= document.size()) return false;
    const std::string_view rest = document.substr(at);
    std::string_view close;
    if (rest.starts_with("<!--"))
      close = "-->";
    else if (rest[1] == '?')
      close = "?>";
    else if (rest[1] == '!')
      close = ">";
    if (close.empty()) break;
    const std::size_t end = document.find(close, at + 2);
    if (end == npos) return false;
    at = end + close.size();
  }
  std::size_t end = at + 1;
  while (end < document.size() && !IsSpace(document[end]) && document[end] != '>' && document[end] != '/')
    ++end;
  std::string_view name = document.substr(at + 1, end - at - 1);
  if (const std::size_t colon = name.rfind(':'); colon != npos) name = name.substr(colon + 1);
  const std::string lower = LowerCase1251(name);
  return lower == "rss" || lower == "rdf" || lower == "feed" || lower == "channel" || lower == "news";
}

}  // namespace kivo
