// The reader window's pure rules: links, plain titles, colours.
#include <cctype>

#include "base/Text1251.h"
#include "lang/LanguageTexts.h"
#include "reader/ReaderWindow.h"

namespace kivo {

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsSchemeChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}

// The characters before the first ":" when they form a scheme; empty else.
std::string_view SchemeOf(std::string_view target) {
  const std::size_t colon = target.find(':');
  if (colon == std::string_view::npos || colon == 0) return {};
  const std::string_view scheme = target.substr(0, colon);
  if (std::isalpha(static_cast<unsigned char>(scheme.front())) == 0) return {};
  for (const char c : scheme) {
    if (!IsSchemeChar(c)) return {};
  }
  return scheme;
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// "&#NNN;" or "&#xHH;" at `at`: its windows-1251 character and length.
std::optional<std::pair<char, std::size_t>> CharacterReference(std::string_view text, std::size_t at) {
  std::size_t i = at + 2;
  if (!text.substr(at).starts_with("&#") || i >= text.size()) return std::nullopt;
  int base = 10;
  if (text[i] == 'x' || text[i] == 'X') {
    base = 16;
    ++i;
  }
  const std::size_t digitsStart = i;
  char32_t code = 0;
  for (int digit = 0; i < text.size() && (digit = DigitValue(text[i], base)) >= 0; ++i) {
    code = code * static_cast<char32_t>(base) + static_cast<char32_t>(digit);
    if (code > kMaxCodePoint) return std::nullopt;
  }
  if (i == digitsStart || i >= text.size() || text[i] != ';') return std::nullopt;
  // Control characters would break the one-line cell; characters outside the code page stay written out.
  if (code < 0x20 || code > 0xFFFF) return std::nullopt;
  const std::string narrow = Utf16ToWin(std::u16string(1, static_cast<char16_t>(code)));
  if (narrow.size() != 1 || (narrow[0] == '?' && code != U'?')) return std::nullopt;
  return std::pair{narrow[0], i + 1 - at};
}

}  // namespace

bool OpensWithShell(std::string_view target) {
  const std::string scheme = LowerCase1251(SchemeOf(target));
  return scheme == "http" || scheme == "https" || scheme == "mailto";
}

std::string PlainTitle(std::string_view title) {
  std::string plain;
  plain.reserve(title.size());
  for (std::size_t i = 0; i < title.size();) {
    if (const auto reference = title[i] == '&' ? CharacterReference(title, i) : std::nullopt) {
      plain += reference->first;
      i += reference->second;
    } else {
      plain += title[i++];
    }
  }
  return plain;
}

TColor OddRowColor(TColor window) {
  const long red = (window >> 16) & 0xFF;
  const long green = (window >> 8) & 0xFF;
  const long blue = window & 0xFF;
  long shaded = 65536 * blue + 256 * green + red - 0x070702;
  if (shaded < 0) shaded = 0;
  const auto value = static_cast<TColor>(shaded);
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

std::string LoadFailureText(const TLoadFailure& failure) {
  switch (failure.Kind) {
    case TLoadFailure::TKind::HttpStatus:
      return Lang.lang_err_http + " " + std::to_string(failure.Status);
    case TLoadFailure::TKind::NotAFeed:
      return Lang.lang_err_not_feed;
    case TLoadFailure::TKind::TimedOut:
      return Lang.lang_err_timed_out;
    case TLoadFailure::TKind::None:
    case TLoadFailure::TKind::NoResponse:
      break;
  }
  return {};
}

}  // namespace kivo
