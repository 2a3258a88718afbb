// The windows-1251 text routines every layer shares: all plugin text is 8-bit
// windows-1251, and feeds in KOI8, UTF-8 and the Latin code pages are brought
// into it here; letter case, entities, trimming and the UTF-16 of the host.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kivo {

// Replaces every occurrence of `pattern`, case-sensitively, left to right,
// without rescanning inserted text. An empty pattern leaves the text as is.
std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement);

// The eight entity replacements, in their fixed order (the "&amp;" steps first).
std::string DecodeEntities(std::string_view text);
// The same over `text` in place (no replacement is longer than its entity);
// returns the decoded size.
std::size_t DecodeEntitiesInPlace(char* text, std::size_t size);

// KOI8-R letters (0xC0-0xFF) to their windows-1251 bytes; every other byte unchanged.
std::string Koi8ToWin(std::string_view text);

// UTF-8 to windows-1251. nullopt when the input is not well-formed UTF-8.
// A character with no windows-1251 form becomes "&#N;" (decimal).
std::optional<std::string> Utf8ToWin(std::string_view text);
// The same, but malformed input is kept as it is (read as windows-1251 bytes).
std::string Utf8ToWinOrKeep(std::string_view text);

// Single-byte code pages into windows-1251, "&#N;" for what windows-1251 lacks.
std::string Latin1ToWin(std::string_view text);
std::string Cp1252ToWin(std::string_view text);

// The conversions above appending to `out`, for a writer that builds one long
// text. AppendUtf8ToWin leaves `out` as it was and returns false when the
// input is not well-formed UTF-8.
bool AppendUtf8ToWin(std::string_view text, std::string& out);
void AppendKoi8ToWin(std::string_view text, std::string& out);
void AppendLatin1ToWin(std::string_view text, std::string& out);
void AppendCp1252ToWin(std::string_view text, std::string& out);

// windows-1251 <-> UTF-16. Every windows-1251 byte round-trips unchanged.
// A UTF-16 unit with no windows-1251 form becomes '?'.
std::u16string WinToUtf16(std::string_view text);
std::string Utf16ToWin(std::u16string_view text);
// windows-1251 to UTF-8 (for logs, the command line and tests).
std::string WinToUtf8(std::string_view text);
// UTF-8 <-> UTF-16, for file names outside Windows. A malformed byte, or a
// lone surrogate, becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Letter case over the whole windows-1251 alphabet, Cyrillic included.
char LowerChar1251(char c);
char UpperChar1251(char c);
std::string LowerCase1251(std::string_view text);
std::string UpperCase1251(std::string_view text);
bool SameText1251(std::string_view a, std::string_view b);

// Characters with codes 0..32 removed from both ends.
std::string_view Trim(std::string_view text);

template <class T>
T Choice(bool condition, T whenTrue, T whenFalse) {
  return condition ? whenTrue : whenFalse;
}

}  // namespace kivo
