// Read marks of the themes: per feed a text of lines "key=mark", where the key
// is the theme's title, a blank and its date (8-bit). The text lives in the
// feed record and in the ".rd" file beside the item cache.
//
// A line belongs to a key when it is exactly that key (letter case and
// control characters aside: each counts as a blank), "=", and a decimal
// number. Titles may hold "=" themselves, so the key of a line is everything
// before its last "=".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/FilePaths.h"
#include "feeds/FeedTable.h"

namespace kivo {

// Title, blank, date, as 8-bit text, control characters made blanks: a line
// break would split the key over two lines of the text, and a NUL would end
// the text for whatever reads it as a C string.
std::string ThemeKey(const tchannelrecord& theme);
std::string ThemeKey(std::string_view title, std::string_view date);

// The read-marks file of a feed: its item cache file with ".rd".
TFilePath ReadMarksFileName(const TFilePath& cacheFile);

// The lines of a read-marks text, looked up by key. Built once per text so
// that a whole feed is marked in one pass.
class TReadMarksIndex {
 public:
  explicit TReadMarksIndex(std::string_view readMarks);

  struct TLine {
    std::size_t Index = 0;  // line number in the text
    int Value = 0;
  };
  // The first line that belongs to the key.
  std::optional<TLine> Find(std::string_view key) const;
  // The highest of the marks 1 to 4 among the key's lines; 0 without one.
  int HighestMark(std::string_view key) const;

 private:
  struct TEntry {
    TLine First;
    int Highest = 0;
  };
  std::unordered_map<std::string, TEntry> entries_;  // by compared key
};

// The mark a freshly composed theme takes from the text: HighestMark.
int MarkOfTheme(std::string_view readMarks, std::string_view key);

// A read-marks text in its stored form: every line ended by CR LF, the last
// one too (lines end at CR LF, CR or LF); an empty text stays empty.
std::string NormalizeReadMarks(std::string_view text);

// Records `mark` for `key` in feed f's text: replaces the value of the key's
// first line, or appends a line. Nothing for an index that names no feed.
std::string SetReadMarkText(std::string_view readMarks, std::string_view key, int mark);
// The same for many keys at once, in one pass.
std::string SetReadMarksText(std::string_view readMarks, const std::vector<std::string>& keys, int mark);
void SetReadMark(TRSS& rss, int f, std::string_view key, int mark);
void SetReadMarks(TRSS& rss, int f, const std::vector<std::string>& keys, int mark);

// Feed f's ".rd" file into its text (empty when the file is missing or cannot
// be read; then ReadMarksUnreadable tells which) and the marks of its themes:
// the value of the key's first line, 0 when there is none.
void LoadReadMarks(TRSS& rss, int f);
// The marks of the feed's themes from its text, as LoadReadMarks sets them.
void SetStoredMarks(tchannels& feed);

// The feed's text into its ".rd" file, replacing it; an empty text gives an
// empty file. True without writing for a record that has no cache file name;
// false, leaving the file alone, when it existed but could not be read.
bool WriteReadMarks(const tchannels& feed);

}  // namespace kivo
