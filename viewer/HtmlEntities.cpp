#include "viewer/HtmlEntities.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace kivo {
namespace {

struct TEntity {
  std::string_view Name;
  char16_t Code;
};

// U+00A0 .. U+00FF in code order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

constexpr TEntity kOtherEntities[] = {
    {"quot", 34},     {"amp", 38},      {"apos", 39},     {"lt", 60},       {"gt", 62},
    {"OElig", 338},   {"oelig", 339},   {"Scaron", 352},  {"scaron", 353},  {"Yuml", 376},
    {"fnof", 402},    {"circ", 710},    {"tilde", 732},   {"ensp", 8194},   {"emsp", 8195},
    {"thinsp", 8201}, {"zwnj", 8204},   {"zwj", 8205},    {"lrm", 8206},    {"rlm", 8207},
    {"ndash", 8211},  {"mdash", 8212},  {"lsquo", 8216},  {"rsquo", 8217},  {"sbquo", 8218},
    {"ldquo", 8220},  {"rdquo", 8221},  {"bdquo", 8222},  {"dagger", 8224}, {"Dagger", 8225},
    {"bull", 8226},   {"hellip", 8230}, {"permil", 8240}, {"prime", 8242},  {"Prime", 8243},
    {"lsaquo", 8249}, {"rsaquo", 8250}, {"oline", 8254},  {"frasl", 8260},  {"euro", 8364},
    {"numero", 8470}, {"trade", 8482},  {"larr", 8592},   {"uarr", 8593},   {"rarr", 8594},
    {"darr", 8595},   {"harr", 8596},   {"sum", 8721},    {"minus", 8722},  {"radic", 8730},
    {"infin", 8734},  {"asymp", 8776},  {"ne", 8800},     {"le", 8804},     {"ge", 8805},
    {"loz", 9674},    {"spades", 9824}, {"clubs", 9827},  {"hearts", 9829}, {"diams", 9830},
    {"Alpha", 913},   {"Beta", 914},    {"Gamma", 915},   {"Delta", 916},   {"Epsilon", 917},
    {"Zeta", 918},    {"Eta", 919},     {"Theta", 920},   {"Iota", 921},    {"Kappa", 922},
    {"Lambda", 923},  {"Mu", 924},      {"Nu", 925},      {"Xi", 926},      {"Omicron", 927},
    {"Pi", 928},      {"Rho", 929},     {"Sigma", 931},   {"Tau", 932},     {"Upsilon", 933},
    {"Phi", 934},     {"Chi", 935},     {"Psi", 936},     {"Omega", 937},   {"alpha", 945},
    {"beta", 946},    {"gamma", 947},   {"delta", 948},   {"epsilon", 949}, {"zeta", 950},
    {"eta", 951},     {"theta", 952},   {"iota", 953},    {"kappa", 954},   {"lambda", 955},
    {"mu", 956},      {"nu", 957},      {"xi", 958},      {"omicron", 959}, {"pi", 960},
    {"rho", 961},     {"sigmaf", 962},  {"sigma", 963},   {"tau", 964},     {"upsilon", 965},
    {"phi", 966},     {"chi", 967},     {"psi", 968},     {"omega", 969}};

// Browsers read these code points as windows-1252 characters.
constexpr std::array<char16_t, 32> kC1AsCp1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::size_t kMaxNameLength = 8;
constexpr char16_t kReplacement = 0xFFFD;

const std::vector<TEntity>& SortedEntities() {
  static const std::vector<TEntity> entities = [] {
    std::vector<TEntity> all(std::begin(kOtherEntities), std::end(kOtherEntities));
    for (std::size_t i = 0; i < kLatin1Names.size(); ++i)
      all.push_back({kLatin1Names[i], static_cast<char16_t>(0xA0 + i)});
    std::sort(all.begin(), all.end(), [](const TEntity& a, const TEntity& b) { return a.Name < b.Name; });
    return all;
  }();
  return entities;
}

bool IsAsciiAlnum(char16_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexValue(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendCodePoint(std::uint32_t code, std::u16string& out) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    out += kReplacement;
  } else if (code >= 0x80 && code <= 0x9F) {
    out += kC1AsCp1252[code - 0x80];
  } else if (code > 0xFFFF) {
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<char16_t>(code);
  }
}

// `text` starts after "&#"; returns the characters consumed, 0 when no digit follows.
std::size_t DecodeNumeric(std::u16string_view text, std::u16string& out) {
  const bool hex = !text.empty() && (text[0] == 'x' || text[0] == 'X');
  const int base = hex ? 16 : 10;
  std::size_t i = hex ? 1 : 0;
  const std::size_t firstDigit = i;
  std::uint32_t code = 0;
  for (; i < text.size(); ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0 || digit >= base) break;
    code = std::min<std::uint32_t>(
        code * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit), 0x110000);
  }
  if (i == firstDigit) return 0;
  AppendCodePoint(code, out);
  return i < text.size() && text[i] == ';' ? i + 1 : i;
}

// A name without its ';' is taken only for the Latin-1 set and the markup
// characters, and only when no letter or digit follows.
bool AllowedWithoutSemicolon(std::u16string_view name, char16_t code) {
  return (code >= 0xA0 && code <= 0xFF) || name == u"amp" || name == u"lt" || name == u"gt" ||
         name == u"quot";
}

// `text` starts after "&"; returns the characters consumed, 0 when it is no reference.
std::size_t DecodeNamed(std::u16string_view text, TReferencePlace place, std::u16string& out) {
  std::size_t length = 0;
  while (length < text.size() && length <= kMaxNameLength && IsAsciiAlnum(text[length])) ++length;
  if (length == 0 || length > kMaxNameLength) return 0;
  const std::u16string_view name = text.substr(0, length);
  const std::optional<char16_t> code = NamedCharacter(name);
  if (!code) return 0;
  const bool semicolon = length < text.size() && text[length] == ';';
  if (!semicolon && !AllowedWithoutSemicolon(name, *code)) return 0;
  if (!semicolon && place == TReferencePlace::Attribute && length < text.size() && text[length] == '=')
    return 0;
  out += *code;
  return semicolon ? length + 1 : length;
}

}  // namespace

std::optional<char16_t> NamedCharacter(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return std::nullopt;
  char ascii[kMaxNameLength];
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] > 0x7F) return std::nullopt;
    ascii[i] = static_cast<char>(name[i]);
  }
  const std::string_view key(ascii, name.size());
  const std::vector<TEntity>& entities = SortedEntities();
  const auto it = std::lower_bound(entities.begin(), entities.end(), key,
                                   [](const TEntity& e, std::string_view k) { return e.Name < k; });
  if (it == entities.end() || it->Name != key) return std::nullopt;
  return it->Code;
}

std::u16string DecodeCharacterReferences(std::u16string_view text, TReferencePlace place) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find(u'&', i);
    if (amp == std::u16string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, amp - i));
    const std::u16string_view rest = text.substr(amp + 1);
    std::size_t used = 0;
    if (!rest.empty() && rest[0] == '#') {
      used = DecodeNumeric(rest.substr(1), out);
      if (used > 0) ++used;
    } else {
      used = DecodeNamed(rest, place, out);
    }
    if (used == 0) out += u'&';
    i = amp + 1 + used;
  }
  return out;
}

}  // namespace kivo
