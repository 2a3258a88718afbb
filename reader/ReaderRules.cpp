// The reader window's pure rules: links, plain titles, colours, menu items.
#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <string>

#include "base/Text1251.h"
#include "lang/LanguageTexts.h"
#include "reader/ReaderWindow.h"

namespace kivo {

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr std::size_t kMaxShellAddress = 2048;
// Mail programs attach a file named in "attach" and the like; only these go.
constexpr std::string_view kMailFieldsKept[] = {"subject", "body", "cc"};

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

// The handler's command line would take these as its own: a space or a quote
// ends the address there, and the rest becomes arguments. A backslash before
// the closing quote would escape it.
bool BreaksCommandLine(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F || std::string_view(" \"'`<>\\").find(c) != std::string_view::npos;
}

std::string PercentEncoded(std::string_view address) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string out;
  out.reserve(address.size());
  for (const char c : address) {
    if (!BreaksCommandLine(c)) {
      out += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    out += '%';
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  }
  return out;
}

// A field name as the mail program reads it: "%XX" decoded, any letter case.
std::string MailFieldName(std::string_view field) {
  const std::string_view name = field.substr(0, field.find('='));
  std::string decoded;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '%' && i + 2 < name.size()) {
      const int high = DigitValue(name[i + 1], 16);
      const int low = DigitValue(name[i + 2], 16);
      if (high >= 0 && low >= 0) {
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    decoded += name[i];
  }
  return LowerCase1251(decoded);
}

std::string KeptMailFields(std::string_view address) {
  const std::size_t query = address.find('?');
  if (query == std::string_view::npos) return std::string(address);
  std::string kept(address.substr(0, query));
  char separator = '?';
  std::string_view fields = address.substr(query + 1);
  while (!fields.empty()) {
    const std::size_t end = std::min(fields.find('&'), fields.size());
    const std::string_view field = fields.substr(0, end);
    const std::string name = MailFieldName(field);
    if (std::find(std::begin(kMailFieldsKept), std::end(kMailFieldsKept), name) !=
        std::end(kMailFieldsKept)) {
      kept.append(1, separator).append(field);
      separator = '&';
    }
    fields.remove_prefix(std::min(end + 1, fields.size()));
  }
  return kept;
}

// At most the limit, and never a "%XX" cut in two.
std::string CutToLimit(std::string address) {
  if (address.size() <= kMaxShellAddress) return address;
  std::size_t end = kMaxShellAddress;
  if (address[end - 1] == '%') {
    end -= 1;
  } else if (address[end - 2] == '%') {
    end -= 2;
  }
  address.resize(end);
  return address;
}

}  // namespace

bool OpensWithShell(std::string_view target) {
  const std::string scheme = LowerCase1251(SchemeOf(target));
  return scheme == "http" || scheme == "https" || scheme == "mailto";
}

std::optional<std::string> ShellAddress(std::string_view target) {
  if (!OpensWithShell(target)) return std::nullopt;
  const bool mail = LowerCase1251(SchemeOf(target)) == "mailto";
  return CutToLimit(PercentEncoded(mail ? KeptMailFields(target) : std::string(target)));
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

TFeedMenuLook FeedMenuItemLook(int tag, int tabCount, std::string_view caption) {
  TFeedMenuLook look;
  if (tag >= tabCount) return look;
  look.DrawsContent = true;
  if (tag == -2 || tag == -1) {
    look.Picture = TMenuPicture::Window;
    look.Index = tag == -2 ? 6 : 7;
  } else if (tag >= 0) {
    look.Picture = TMenuPicture::SiteIcon;
    look.Index = tag;
  }
  if (caption.starts_with('&')) caption.remove_prefix(1);
  look.Caption = std::string(caption);
  return look;
}

}  // namespace kivo
