#include "feeds/ReadMarks.h"

#include <algorithm>
#include <charconv>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "platform/FileIo.h"

namespace kivo {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr int kHighestMark = 4;

// Lines end at CR LF, CR or LF; a final line break adds no empty line. A NUL
// is a character like any other: files written before keys lost their control
// characters hold some, and every line after one must still be read.
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
  std::size_t index = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    visit(text.substr(pos, end - pos), index++);
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}

struct TParsedLine {
  std::string_view Key;
  int Value = 0;
};

std::optional<int> ParseDecimal(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// nullopt for a line that belongs to no key.
std::optional<TParsedLine> ParseLine(std::string_view line) {
  const std::size_t equals = line.rfind('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const auto value = ParseDecimal(line.substr(equals + 1));
  if (!value) return std::nullopt;
  return TParsedLine{line.substr(0, equals), *value};
}

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == '\x7F';
}

// The form of a key that new lines are written in.
std::string OneLineKey(std::string_view key) {
  std::string line(key);
  std::replace_if(line.begin(), line.end(), IsControl, ' ');
  return line;
}

// What keys are compared by: a line written before keys lost their control
// characters still belongs to its theme.
std::string ComparedKey(std::string_view key) {
  return LowerCase1251(OneLineKey(key));
}

bool IsColourOrRead(int mark) {
  return mark >= 1 && mark <= kHighestMark;
}

}  // namespace

std::string ThemeKey(std::string_view title, std::string_view date) {
  std::string key(title);
  key += ' ';
  key += date;
  return OneLineKey(key);
}

std::string ThemeKey(const tchannelrecord& theme) {
  return ThemeKey(Utf16ToWin(theme.Title), Utf16ToWin(theme.Date));
}

TFilePath ReadMarksFileName(const TFilePath& cacheFile) {
  return ChangeFileExt(cacheFile, ".rd");
}

TReadMarksIndex::TReadMarksIndex(std::string_view readMarks) {
  ForEachLine(readMarks, [this](std::string_view line, std::size_t index) {
    const auto parsed = ParseLine(line);
    if (!parsed) return;
    const auto [entry, isNew] = entries_.try_emplace(ComparedKey(parsed->Key));
    if (isNew) entry->second.First = {index, parsed->Value};
    if (IsColourOrRead(parsed->Value)) entry->second.Highest = std::max(entry->second.Highest, parsed->Value);
  });
}

std::optional<TReadMarksIndex::TLine> TReadMarksIndex::Find(std::string_view key) const {
  const auto found = entries_.find(ComparedKey(key));
  if (found == entries_.end()) return std::nullopt;
  return found->second.First;
}

int TReadMarksIndex::HighestMark(std::string_view key) const {
  const auto found = entries_.find(ComparedKey(key));
  return found == entries_.end() ? 0 : found->second.Highest;
}

int MarkOfTheme(std::string_view readMarks, std::string_view key) {
  return TReadMarksIndex(readMarks).HighestMark(key);
}

std::string NormalizeReadMarks(std::string_view text) {
  std::string normal;
  normal.reserve(text.size() + kLineEnd.size());
  ForEachLine(text, [&normal](std::string_view line, std::size_t) {
    normal += line;
    normal += kLineEnd;
  });
  return normal;
}

std::string SetReadMarkText(std::string_view readMarks, std::string_view key, int mark) {
  return SetReadMarksText(readMarks, {std::string(key)}, mark);
}

// One pass over the text for all keys: marking a whole list one key at a time
// rewrote the text once per theme, quadratic in a long-kept history.
std::string SetReadMarksText(std::string_view readMarks, const std::vector<std::string>& keys, int mark) {
  struct TPending {
    std::string LineKey;
    bool Replaced = false;
  };
  std::vector<TPending> pending;
  std::unordered_map<std::string, std::size_t> byKey;  // compared key -> pending
  for (const std::string& key : keys) {
    if (byKey.try_emplace(ComparedKey(key), pending.size()).second) pending.push_back({OneLineKey(key)});
  }
  const std::string value = std::to_string(mark);
  std::string text;
  text.reserve(readMarks.size() + kLineEnd.size());
  // Each key replaces the first line that has it, as its own "key=value".
  ForEachLine(readMarks, [&](std::string_view line, std::size_t) {
    const auto parsed = ParseLine(line);
    const auto found = parsed ? byKey.find(ComparedKey(parsed->Key)) : byKey.end();
    if (found != byKey.end() && !pending[found->second].Replaced) {
      text.append(parsed->Key).append("=").append(value);
      pending[found->second].Replaced = true;
    } else {
      text += line;
    }
    text += kLineEnd;
  });
  for (const TPending& key : pending) {
    if (!key.Replaced) text.append(key.LineKey).append("=").append(value).append(kLineEnd);
  }
  return text;
}

void SetReadMark(TRSS& rss, int f, std::string_view key, int mark) {
  SetReadMarks(rss, f, {std::string(key)}, mark);
}

void SetReadMarks(TRSS& rss, int f, const std::vector<std::string>& keys, int mark) {
  if (!rss.IsValid(f)) return;
  std::string& readMarks = rss.Channels[static_cast<std::size_t>(f)].ReadMarks;
  readMarks = SetReadMarksText(readMarks, keys, mark);
}

void LoadReadMarks(TRSS& rss, int f) {
  if (!rss.IsValid(f)) return;
  tchannels& feed = rss.Channels[static_cast<std::size_t>(f)];
  feed.ReadMarks.clear();
  feed.ReadMarksUnreadable = false;
  if (!feed.CacheFile.empty()) {
    const TFilePath file = ReadMarksFileName(feed.CacheFile);
    const std::optional<std::string> bytes = ReadFileBytes(file);
    feed.ReadMarksUnreadable = !bytes && PathExists(file);
    feed.ReadMarks = NormalizeReadMarks(bytes.value_or(std::string()));
  }
  SetStoredMarks(feed);
}

void SetStoredMarks(tchannels& feed) {
  const TReadMarksIndex index(feed.ReadMarks);
  for (auto& theme : feed.Items) {
    const auto line = index.Find(ThemeKey(theme));
    theme.Mark = line ? line->Value : 0;
  }
}

bool WriteReadMarks(const tchannels& feed) {
  // A record that was never set up has no files; writing would land in the working folder.
  if (feed.CacheFile.empty()) return true;
  if (feed.ReadMarksUnreadable) return false;
  return WriteFileAtomic(ReadMarksFileName(feed.CacheFile), NormalizeReadMarks(feed.ReadMarks));
}

}  // namespace kivo
