// INI text as the platform's profile functions read and write it: sections
// and keys without regard to letter case, values trimmed of blanks and freed
// of one pair of enclosing quotes, ';' comments, the first of duplicate keys
// wins. Bytes are windows-1251; nothing is converted. Reading and writing the
// file is platform/IniFile's.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kivo {

class TIniText {
 public:
  TIniText() = default;
  explicit TIniText(std::string_view text) { Parse(text); }

  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
  // Decimal integers (a leading sign allowed, trailing text ignored as the
  // platform does); the fallback when the value does not start with a number
  // or does not fit an int.
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  // Any nonzero integer is true.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
  // A section counts as present only when it holds at least one key.
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> ReadSection(std::string_view section) const;  // key names in order
  std::vector<std::string> ReadSections() const;

  // Line breaks in the arguments become blanks: one write is one line.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"
  void EraseSection(std::string_view section);
  // Moves every line of `from` under the name `to`, replacing what `to` held.
  void RenameSection(std::string_view from, std::string_view to);
  void DeleteKey(std::string_view section, std::string_view key);  // every duplicate too

  // The whole text, CR LF lines, as the file is written.
  std::string Text() const;

 protected:
  void Parse(std::string_view text);

 private:
  // A line of a section. Comments and lines without "=" are kept (isValue
  // false, the whole line in `key`) so that writing the file back keeps them.
  struct Entry {
    std::string key;
    std::string value;
    bool isValue = true;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
    std::unordered_map<std::string, size_t> keyIndex;  // lower-case key -> first entry
    void Reindex();
  };
  const Section* FindSection(std::string_view name) const;
  Section& SectionForWrite(std::string_view name);
  void ParseLine(std::string_view line, size_t& current);  // current: section position or npos
  void RebuildSectionIndex();

  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;      // duplicate sections of a file are merged into the first
  std::unordered_map<std::string, size_t> sectionIndex_;  // lower-case name -> position
};

}  // namespace kivo
