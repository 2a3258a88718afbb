// INI text files as the platform's profile functions read and write them:
// sections and keys without regard to letter case, values trimmed of blanks
// and freed of one pair of enclosing quotes, ';' comments, the first of
// duplicate keys wins. Bytes are windows-1251; nothing is converted.
// The whole file is read at open and written back atomically by UpdateFile.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kivo {

class TIniFile {
 public:
  // Reads `path` when it exists; a missing file is an empty INI.
  explicit TIniFile(std::string path);

  const std::string& FileName() const { return path_; }

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
  void DeleteKey(std::string_view section, std::string_view key);  // every duplicate too

  // Writes the file (CR LF lines) through a temporary file and a rename.
  // False when it could not be written, or when the file existed but could
  // not be read (writing would drop every key of it); the old file is then
  // untouched.
  bool UpdateFile() const;
  // Text of the whole file as UpdateFile would write it.
  std::string Text() const;

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
  void Parse(std::string_view text);
  void ParseLine(std::string_view line, size_t& current);  // current: section position or npos
  void RebuildSectionIndex();

  std::string path_;
  bool unreadable_ = false;            // the file exists but could not be read: never overwrite it
  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;      // duplicate sections of a file are merged into the first
  std::unordered_map<std::string, size_t> sectionIndex_;  // lower-case name -> position
};

}  // namespace kivo
