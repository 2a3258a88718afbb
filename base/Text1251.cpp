#include "base/Text1251.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kivo {

namespace {

using Byte = unsigned char;

// windows-1251 0x80..0xFF. 0x98 is unassigned; it maps to U+0098 (as the
// platform does) so that every byte survives the trip through UTF-16.
// clang-format off
constexpr std::array<char16_t, 128> kWinHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// windows-1252 0x80..0x9F; the five unassigned bytes keep their own value
// as code point, which windows-1251 lacks, so they come out as "&#N;".
constexpr std::array<char16_t, 32> kCp1252C1 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

constexpr std::array<char16_t, 256> MakeWinToUnicode() {
  std::array<char16_t, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = i < 0x80 ? static_cast<char16_t>(i) : kWinHigh[i - 0x80];
  return table;
}

constexpr std::array<char16_t, 256> kWinToUnicode = MakeWinToUnicode();

// Unicode to windows-1251 for code points >= 0x80: the high byte of the code
// point picks one of a few 256-entry pages (page 0 is all "no form").
// A zero entry means "no form"; no code point >= 0x80 maps to byte 0.
struct ReverseTable {
  std::array<Byte, 256> pageOf{};
  std::array<std::array<Byte, 256>, 5> pages{};
};

constexpr ReverseTable MakeReverseTable() {
  ReverseTable table;
  int used = 1;
  for (int i = 0; i < 128; ++i) {
    const unsigned cp = kWinHigh[i];
    const unsigned hi = cp >> 8;
    if (table.pageOf[hi] == 0) table.pageOf[hi] = static_cast<Byte>(used++);
    table.pages[table.pageOf[hi]][cp & 0xFF] = static_cast<Byte>(0x80 + i);
  }
  return table;
}

constexpr ReverseTable kReverse = MakeReverseTable();

// 0 when windows-1251 has no form for the code point.
constexpr Byte WinByteFor(char32_t cp) {
  if (cp < 0x80) return static_cast<Byte>(cp);
  if (cp > 0xFFFF) return 0;
  return kReverse.pages[kReverse.pageOf[cp >> 8]][cp & 0xFF];
}

// The windows-1251 bytes of the two-byte UTF-8 forms, by code point (below
// 0x800); 0 where windows-1251 has none. Cyrillic text is almost all of these.
constexpr std::array<Byte, 0x800> MakeTwoByteTable() {
  std::array<Byte, 0x800> table{};
  for (char32_t cp = 0x80; cp < 0x800; ++cp) table[cp] = WinByteFor(cp);
  return table;
}

constexpr std::array<Byte, 0x800> kTwoByteWin = MakeTwoByteTable();

constexpr bool HasWinForm(char32_t cp) {
  return cp == 0 || WinByteFor(cp) != 0;
}

constexpr size_t kMaxCharacterRef = 10;  // "&#1114111;"

// Writes "&#N;" (decimal) and returns its length.
constexpr size_t FormatCharacterRef(char32_t cp, char* out) {
  char reversed[8] = {};
  size_t digits = 0;
  do {
    reversed[digits++] = static_cast<char>('0' + cp % 10);
    cp /= 10;
  } while (cp != 0);
  size_t length = 0;
  out[length++] = '&';
  out[length++] = '#';
  while (digits > 0) out[length++] = reversed[--digits];
  out[length++] = ';';
  return length;
}

// What one input byte becomes in a byte-to-text conversion.
struct ByteForm {
  std::array<char, 8> text{};
  Byte size = 0;
};
using ByteForms = std::array<ByteForm, 256>;

// `toUnicode` gives the code point of a byte; bytes whose character windows-1251
// lacks become "&#N;" (at most "&#65535;" here).
template <class ToUnicode>
constexpr ByteForms MakeWinForms(ToUnicode toUnicode) {
  ByteForms forms{};
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = toUnicode(b);
    if (HasWinForm(cp)) {
      forms[b].text[0] = static_cast<char>(WinByteFor(cp));
      forms[b].size = 1;
    } else {
      forms[b].size = static_cast<Byte>(FormatCharacterRef(cp, forms[b].text.data()));
    }
  }
  return forms;
}

constexpr ByteForms kLatin1Forms = MakeWinForms([](int b) { return static_cast<char32_t>(b); });
constexpr ByteForms kCp1252Forms = MakeWinForms(
    [](int b) { return static_cast<char32_t>(b >= 0x80 && b < 0xA0 ? kCp1252C1[b - 0x80] : b); });

constexpr ByteForms MakeUtf8Forms() {
  ByteForms forms{};
  for (int b = 0; b < 256; ++b) {
    const unsigned cp = kWinToUnicode[b];
    auto& form = forms[b];
    if (cp < 0x80) {
      form.text[form.size++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
      form.text[form.size++] = static_cast<char>(0xC0 | (cp >> 6));
      form.text[form.size++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      form.text[form.size++] = static_cast<char>(0xE0 | (cp >> 12));
      form.text[form.size++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      form.text[form.size++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return forms;
}

constexpr ByteForms kUtf8Forms = MakeUtf8Forms();

// Upper/lower pairs of windows-1251 letters outside A-Z and the 0xC0-0xFF block.
constexpr std::array<std::array<Byte, 2>, 15> kExtraLetterPairs = {{
    {0x80, 0x90},
    {0x81, 0x83},
    {0x8A, 0x9A},
    {0x8C, 0x9C},
    {0x8D, 0x9D},
    {0x8E, 0x9E},
    {0x8F, 0x9F},
    {0xA1, 0xA2},
    {0xA3, 0xBC},
    {0xA5, 0xB4},
    {0xA8, 0xB8},
    {0xAA, 0xBA},
    {0xAF, 0xBF},
    {0xB2, 0xB3},
    {0xBD, 0xBE},
}};

constexpr std::array<Byte, 256> MakeCaseTable(bool toLower) {
  std::array<Byte, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<Byte>(i);
  const auto map = [&](int upper, int lower) {
    if (toLower) {
      table[upper] = static_cast<Byte>(lower);
    } else {
      table[lower] = static_cast<Byte>(upper);
    }
  };
  for (int i = 0; i < 26; ++i) map('A' + i, 'a' + i);
  for (int i = 0; i < 32; ++i) map(0xC0 + i, 0xE0 + i);
  for (const auto& pair : kExtraLetterPairs) map(pair[0], pair[1]);
  return table;
}

constexpr std::array<Byte, 256> kLower = MakeCaseTable(true);
constexpr std::array<Byte, 256> kUpper = MakeCaseTable(false);

// Position in the Russian alphabet (0 = first letter) of the letters that
// KOI8-R places at 0xC0..0xDF (lower case) and 0xE0..0xFF (upper case).
constexpr std::array<Byte, 32> kKoiAlphabetIndex = {
    30, 0,  1,  22, 4,  5,  20, 3, 21, 8,  9, 10, 11, 12, 13, 14,
    15, 31, 16, 17, 18, 19, 6,  2, 28, 27, 7, 24, 29, 25, 23, 26,
};

constexpr std::array<Byte, 256> MakeKoiTable() {
  std::array<Byte, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<Byte>(i);
  for (int i = 0; i < 32; ++i) {
    table[0xC0 + i] = static_cast<Byte>(0xE0 + kKoiAlphabetIndex[i]);
    table[0xE0 + i] = static_cast<Byte>(0xC0 + kKoiAlphabetIndex[i]);
  }
  return table;
}

constexpr std::array<Byte, 256> kKoiToWin = MakeKoiTable();

inline Byte At(std::string_view text, size_t i) {
  return static_cast<Byte>(text[i]);
}

void AppendMappedBytes(std::string_view text, const std::array<Byte, 256>& table, std::string& out) {
  const size_t start = out.size();
  out.resize(start + text.size());
  char* dst = out.data() + start;
  for (size_t i = 0; i < text.size(); ++i) dst[i] = static_cast<char>(table[At(text, i)]);
}

std::string MapBytes(std::string_view text, const std::array<Byte, 256>& table) {
  std::string out;
  AppendMappedBytes(text, table, out);
  return out;
}

// Two passes: the exact size first, then the bytes.
void AppendConvertedBytes(std::string_view text, const ByteForms& forms, std::string& out) {
  size_t size = 0;
  for (const char c : text) size += forms[static_cast<Byte>(c)].size;
  const size_t start = out.size();
  out.resize(start + size);
  char* dst = out.data() + start;
  for (const char c : text) {
    const ByteForm& form = forms[static_cast<Byte>(c)];
    for (size_t i = 0; i < form.size; ++i) *dst++ = form.text[i];
  }
}

std::string ConvertBytes(std::string_view text, const ByteForms& forms) {
  std::string out;
  AppendConvertedBytes(text, forms, out);
  return out;
}

// Copies the ASCII run at `p` to `dst`, eight bytes at a time where it can.
// Returns the end of the run.
inline const Byte* CopyAscii(const Byte* p, const Byte* end, char*& dst) {
  while (end - p >= 8) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if (word & 0x8080808080808080ULL) break;
    std::memcpy(dst, &word, sizeof word);
    dst += 8;
    p += 8;
  }
  while (p < end && *p < 0x80) *dst++ = static_cast<char>(*p++);
  return p;
}

// Decodes one multi-byte form at `p` (whose lead byte is >= 0x80) into `cp`.
// Returns its length, or 0 when it is malformed: stray continuation byte,
// overlong form, surrogate, beyond U+10FFFF, bad lead byte or cut short.
inline size_t DecodeMultiByte(const Byte* p, const Byte* end, char32_t& cp) {
  const Byte lead = *p;
  size_t trail;
  char32_t minimum;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) {
    trail = 1;
    minimum = 0x80;
    cp = lead & 0x1F;
  } else if (lead < 0xF0) {
    trail = 2;
    minimum = 0x800;
    cp = lead & 0x0F;
  } else if (lead < 0xF5) {
    trail = 3;
    minimum = 0x10000;
    cp = lead & 0x07;
  } else {
    return 0;
  }
  if (static_cast<size_t>(end - p) <= trail) return 0;
  for (size_t i = 1; i <= trail; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return trail + 1;
}

// First `pattern` in text[from, size), found by memchr for its first byte.
size_t FindIn(const char* text, size_t size, std::string_view pattern, size_t from) {
  while (from + pattern.size() <= size) {
    const void* hit = std::memchr(text + from, pattern.front(), size - from - pattern.size() + 1);
    if (hit == nullptr) return std::string_view::npos;
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - text);
    if (std::equal(pattern.begin() + 1, pattern.end(), text + at + 1)) return at;
    from = at + 1;
  }
  return std::string_view::npos;
}

// ReplaceAll in place, for a replacement no longer than the pattern: writing
// never overtakes reading, and the search only looks at unread text.
size_t ShrinkAll(char* text, size_t size, std::string_view pattern, std::string_view replacement) {
  size_t found = FindIn(text, size, pattern, 0);
  if (found == std::string_view::npos) return size;
  size_t write = found;
  size_t read = found;
  while (found != std::string_view::npos) {
    std::memmove(text + write, text + read, found - read);
    write += found - read;
    std::memcpy(text + write, replacement.data(), replacement.size());
    write += replacement.size();
    read = found + pattern.size();
    found = FindIn(text, size, pattern, read);
  }
  std::memmove(text + write, text + read, size - read);
  return write + size - read;
}

constexpr uint32_t LetterBit(char c) {
  return c >= 'a' && c <= 'z' ? uint32_t{1} << (c - 'a') : 0;
}

uint32_t LettersAfterAmpersands(const char* text, size_t size) {
  uint32_t letters = 0;
  const char* const end = text + size;
  for (const char* at = text; at < end; ++at) {
    at = static_cast<const char*>(std::memchr(at, '&', static_cast<size_t>(end - at)));
    if (at == nullptr) break;
    if (at + 1 < end) letters |= LetterBit(at[1]);
  }
  return letters;
}

// The order matters: "&amp;lt;" becomes "&lt;" and then "<".
constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
    {"&amp;", "&"},    {"&amp", "&"},     {"&quot;", "\""}, {"&quot", "\""},
    {"&ldquo;", "\""}, {"&rdquo;", "\""}, {"&lt;", "<"},    {"&gt;", ">"},
};

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement) {
  size_t found = pattern.empty() ? std::string_view::npos : text.find(pattern);
  if (found == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  while (found != std::string_view::npos) {
    out.append(text, from, found - from);
    out.append(replacement);
    from = found + pattern.size();
    found = text.find(pattern, from);
  }
  out.append(text, from);
  return out;
}

std::string DecodeEntities(std::string_view text) {
  std::string out(text);
  out.resize(DecodeEntitiesInPlace(out.data(), out.size()));
  return out;
}

// Every entity starts with '&': the text before the first one stays as it is.
// A step runs only when a '&' is followed by its entity's letter; only the
// "&amp" steps leave a '&' before another letter.
size_t DecodeEntitiesInPlace(char* text, size_t size) {
  void* amp = size == 0 ? nullptr : std::memchr(text, '&', size);
  if (amp == nullptr) return size;
  char* tail = static_cast<char*>(amp);
  const size_t kept = static_cast<size_t>(tail - text);
  size_t tailSize = size - kept;
  uint32_t letters = LettersAfterAmpersands(tail, tailSize);
  for (const auto& [entity, replacement] : kEntities) {
    if ((letters & LetterBit(entity[1])) == 0) continue;
    tailSize = ShrinkAll(tail, tailSize, entity, replacement);
    if (entity[1] == 'a') letters |= LettersAfterAmpersands(tail, tailSize);
  }
  return kept + tailSize;
}

std::string Koi8ToWin(std::string_view text) {
  return MapBytes(text, kKoiToWin);
}

bool AppendUtf8ToWin(std::string_view text, std::string& out) {
  // Room for the rest of the input is kept at all times; only "&#N;" can
  // write more than it reads.
  const size_t start = out.size();
  out.resize(start + text.size());
  char* dst = out.data() + start;
  const Byte* p = reinterpret_cast<const Byte*>(text.data());
  const Byte* const end = p + text.size();
  while (p < end) {
    if (*p < 0x80) {
      p = CopyAscii(p, end, dst);
      continue;
    }
    if (end - p >= 2 && static_cast<Byte>(p[0] - 0xC2) < 0x1E && (p[1] & 0xC0) == 0x80) {
      const Byte b = kTwoByteWin[((p[0] & 0x1F) << 6) | (p[1] & 0x3F)];
      if (b != 0) {
        *dst++ = static_cast<char>(b);
        p += 2;
        continue;
      }
    }
    char32_t cp;
    const size_t length = DecodeMultiByte(p, end, cp);
    if (length == 0) {
      out.resize(start);
      return false;
    }
    p += length;
    if (const Byte b = WinByteFor(cp); b != 0) {
      *dst++ = static_cast<char>(b);
      continue;
    }
    size_t used = static_cast<size_t>(dst - out.data());
    const size_t needed = used + kMaxCharacterRef + static_cast<size_t>(end - p);
    if (out.size() < needed) out.resize(std::max(needed, out.size() * 2));
    used += FormatCharacterRef(cp, out.data() + used);
    dst = out.data() + used;
  }
  out.resize(static_cast<size_t>(dst - out.data()));
  return true;
}

std::optional<std::string> Utf8ToWin(std::string_view text) {
  std::string out;
  if (!AppendUtf8ToWin(text, out)) return std::nullopt;
  return out;
}

std::string Utf8ToWinOrKeep(std::string_view text) {
  auto converted = Utf8ToWin(text);
  return converted ? std::move(*converted) : std::string(text);
}

std::string Latin1ToWin(std::string_view text) {
  return ConvertBytes(text, kLatin1Forms);
}

void AppendKoi8ToWin(std::string_view text, std::string& out) {
  AppendMappedBytes(text, kKoiToWin, out);
}

void AppendLatin1ToWin(std::string_view text, std::string& out) {
  AppendConvertedBytes(text, kLatin1Forms, out);
}

void AppendCp1252ToWin(std::string_view text, std::string& out) {
  AppendConvertedBytes(text, kCp1252Forms, out);
}

std::string Cp1252ToWin(std::string_view text) {
  return ConvertBytes(text, kCp1252Forms);
}

std::u16string WinToUtf16(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = kWinToUnicode[At(text, i)];
  return out;
}

std::string Utf16ToWin(std::u16string_view text) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    out[i] = HasWinForm(unit) ? static_cast<char>(WinByteFor(unit)) : '?';
  }
  return out;
}

std::string WinToUtf8(std::string_view text) {
  return ConvertBytes(text, kUtf8Forms);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const Byte* p = reinterpret_cast<const Byte*>(text.data());
  const Byte* const end = p + text.size();
  while (p < end) {
    char32_t cp = *p;
    std::size_t length = 1;
    if (cp >= 0x80) {
      length = DecodeMultiByte(p, end, cp);
      if (length == 0) {
        length = 1;
        cp = 0xFFFD;
      }
    }
    p += length;
    if (cp < 0x10000) {
      out += static_cast<char16_t>(cp);
    } else {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      const bool paired =
          cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      cp = paired ? 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00) : 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

char LowerChar1251(char c) {
  return static_cast<char>(kLower[static_cast<Byte>(c)]);
}

char UpperChar1251(char c) {
  return static_cast<char>(kUpper[static_cast<Byte>(c)]);
}

std::string LowerCase1251(std::string_view text) {
  return MapBytes(text, kLower);
}

std::string UpperCase1251(std::string_view text) {
  return MapBytes(text, kUpper);
}

bool SameText1251(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (kLower[At(a, i)] != kLower[At(b, i)]) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && At(text, first) <= ' ') ++first;
  while (last > first && At(text, last - 1) <= ' ') --last;
  return text.substr(first, last - first);
}

}  // namespace kivo
