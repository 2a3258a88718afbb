#include "base/IniText.h"

#include <climits>
#include <cstdint>

#include "base/Text1251.h"

namespace kivo {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
    return value.substr(1, value.size() - 2);
  return value;
}

// A raw CR or LF would split the entry into lines of its own on the next read.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Sign and decimal digits at the start of `text`; nothing when there are no
// digits or the number leaves the int range.
bool ParseLeadingInt(std::string_view text, int& result) {
  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) pos = 1;
  if (pos >= text.size() || !IsDigit(text[pos])) return false;
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
  std::int64_t value = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > limit) return false;
  }
  result = static_cast<int>(negative ? -value : value);
  return true;
}

}  // namespace

void TIniText::Section::Reindex() {
  keyIndex.clear();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].isValue) keyIndex.emplace(LowerCase1251(entries[i].key), i);
  }
}

void TIniText::Parse(std::string_view text) {
  size_t current = kNone;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ParseLine(text.substr(start, end - start), current);
    start = end + 1;
  }
}

void TIniText::ParseLine(std::string_view rawLine, size_t& current) {
  const std::string_view line = Trim(rawLine);
  if (line.empty()) return;
  if (line.front() == '[') {
    const size_t close = line.find(']');
    const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? close : close - 1));
    current = static_cast<size_t>(&SectionForWrite(name) - sections_.data());
    return;
  }
  const size_t equals = line.find('=');
  const bool isValue = line.front() != ';' && equals != std::string_view::npos;
  if (current == kNone) {
    preamble_.emplace_back(line);
    return;
  }
  Section& section = sections_[current];
  if (!isValue) {
    section.entries.push_back(Entry{std::string(line), std::string(), false});
    return;
  }
  Entry entry{std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1))), true};
  section.keyIndex.emplace(LowerCase1251(entry.key), section.entries.size());
  section.entries.push_back(std::move(entry));
}

const TIniText::Section* TIniText::FindSection(std::string_view name) const {
  const auto found = sectionIndex_.find(LowerCase1251(name));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

TIniText::Section& TIniText::SectionForWrite(std::string_view name) {
  const auto [position, added] = sectionIndex_.emplace(LowerCase1251(name), sections_.size());
  if (added) sections_.push_back(Section{std::string(name), {}, {}});
  return sections_[position->second];
}

void TIniText::RebuildSectionIndex() {
  sectionIndex_.clear();
  for (size_t i = 0; i < sections_.size(); ++i) sectionIndex_.emplace(LowerCase1251(sections_[i].name), i);
}

std::string TIniText::ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return std::string(fallback);
  const auto entry = found->keyIndex.find(LowerCase1251(key));
  if (entry == found->keyIndex.end()) return std::string(fallback);
  return std::string(Unquote(found->entries[entry->second].value));
}

int TIniText::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  int value = 0;
  return ParseLeadingInt(ReadString(section, key, ""), value) ? value : fallback;
}

bool TIniText::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool TIniText::SectionExists(std::string_view section) const {
  const Section* found = FindSection(section);
  return found != nullptr && !found->keyIndex.empty();
}

bool TIniText::ValueExists(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  return found != nullptr && found->keyIndex.count(LowerCase1251(key)) != 0;
}

std::vector<std::string> TIniText::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* found = FindSection(section);
  if (found == nullptr) return keys;
  for (const Entry& entry : found->entries) {
    if (entry.isValue) keys.push_back(entry.key);
  }
  return keys;
}

std::vector<std::string> TIniText::ReadSections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

void TIniText::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section& target = SectionForWrite(OneLine(section));
  const std::string name = OneLine(key);
  const auto [position, added] = target.keyIndex.emplace(LowerCase1251(name), target.entries.size());
  if (added) {
    target.entries.push_back(Entry{name, OneLine(value), true});
  } else {
    target.entries[position->second].value = OneLine(value);
  }
}

void TIniText::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniText::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniText::EraseSection(std::string_view section) {
  const auto found = sectionIndex_.find(LowerCase1251(section));
  if (found == sectionIndex_.end()) return;
  sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(found->second));
  RebuildSectionIndex();
}

void TIniText::RenameSection(std::string_view from, std::string_view to) {
  if (sectionIndex_.count(LowerCase1251(from)) == 0) return;
  if (LowerCase1251(from) != LowerCase1251(to)) EraseSection(to);
  sections_[sectionIndex_.at(LowerCase1251(from))].name = std::string(to);
  RebuildSectionIndex();
}

void TIniText::DeleteKey(std::string_view section, std::string_view key) {
  const auto found = sectionIndex_.find(LowerCase1251(section));
  if (found == sectionIndex_.end()) return;
  Section& target = sections_[found->second];
  const std::string lowered = LowerCase1251(key);
  if (target.keyIndex.count(lowered) == 0) return;
  std::erase_if(target.entries,
                [&](const Entry& entry) { return entry.isValue && LowerCase1251(entry.key) == lowered; });
  target.Reindex();
}

std::string TIniText::Text() const {
  std::string text;
  for (const std::string& line : preamble_) text.append(line).append("\r\n");
  for (const Section& section : sections_) {
    if (!text.empty()) text.append("\r\n");
    text.append("[").append(section.name).append("]\r\n");
    for (const Entry& entry : section.entries) {
      text.append(entry.key);
      if (entry.isValue) text.append("=").append(entry.value);
      text.append("\r\n");
    }
  }
  return text;
}

}  // namespace kivo
