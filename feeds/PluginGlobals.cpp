#include "feeds/PluginGlobals.h"

#include <algorithm>

#include "base/Text1251.h"

namespace kivo {

std::string LinesToText(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> TextToLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

std::string FeedLineUrl(std::string_view line) {
  const size_t bar = line.find('|');
  return bar == std::string_view::npos ? std::string() : std::string(line.substr(0, bar));
}

std::string FeedLineTitle(std::string_view line) {
  const size_t bar = line.find('|');
  return std::string(bar == std::string_view::npos ? line : line.substr(bar + 1));
}

std::vector<std::string> SplitCallWords(std::string_view callString) {
  std::vector<std::string> words;
  std::string_view rest = callString;
  for (size_t comma = rest.find(','); comma != std::string_view::npos; comma = rest.find(',')) {
    if (!Trim(rest).starts_with(',')) words.emplace_back(Trim(rest.substr(0, comma)));
    rest.remove_prefix(comma + 1);
  }
  if (!rest.empty()) words.emplace_back(rest);
  return words;
}

void SplitCallWords(TPluginGlobals& globals) {
  globals.CallWords = SplitCallWords(Utf16ToWin(globals.CallString));
}

}  // namespace kivo
