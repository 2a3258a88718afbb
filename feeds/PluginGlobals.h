// The process-wide settings: the switches, proxy, call words, feed list and
// languages that the settings storage fills and every layer above reads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/FilePaths.h"

namespace kivo {

// Two humour feeds for a first run, in the feed-list line form "address|name".
inline constexpr std::string_view kDefaultFeedLines[] = {
    "https://xkcd.com/rss.xml|xkcd.com",
    "https://www.smbc-comics.com/comic/rss|smbc-comics.com",
};
inline constexpr char16_t kDefaultCallString[] = u"rss#";

// Process-wide settings. The values below are what a plugin that never saw a
// settings record runs with.
struct TPluginGlobals {
  bool ShowContact = true;
  bool ShowFeedIcons = true;
  bool ShowTrayIcon = true;
  bool UseProxy = false;
  bool ProxyAuth = false;
  bool CheckForNew = true;
  bool ShowButton = true;
  bool ShowPopup = true;
  bool AccumulateUnread = false;
  int FontSize = 2;  // 1 to 4, the HTML font size of the pages
  int LangIndex = 0;
  std::u16string CallString = kDefaultCallString;
  std::vector<std::string> CallWords;
  std::vector<std::string> FeedLines;  // "address|name"
  std::vector<std::string> LangList;
  TFilePath PluginPath;  // the module's file
  std::string ProxyHost;
  std::string ProxyPort;
  std::string ProxyUser;
  std::string ProxyPassword;
  bool ShowListContacts = false;
  bool ShowContactsIcons = true;
  int TabsPosition = 0;  // 0 tabs at the top, 1 at the bottom
};

// String lists as text: every line followed by CR LF.
std::string LinesToText(const std::vector<std::string>& lines);
// Lines end at CR LF, CR or LF; the text ends at a NUL; a final line break
// adds no empty line.
std::vector<std::string> TextToLines(std::string_view text);

// The parts of a feed-list line: the address before the first "|" (empty when
// there is none) and the name after it (the whole line when there is none).
std::string FeedLineUrl(std::string_view line);
std::string FeedLineTitle(std::string_view line);

// The call words of a comma-separated call string: pieces before a comma are
// trimmed of characters below 33, empty ones skipped; the piece after the last
// comma is kept as it stands when it is not empty.
std::vector<std::string> SplitCallWords(std::string_view callString);
// CallWords from CallString.
void SplitCallWords(TPluginGlobals& globals);

}  // namespace kivo
