#include "viewer/HtmlAttributes.h"

#include <algorithm>

namespace kivo {
namespace {

char16_t AsciiLower(char16_t c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c;
}

std::optional<TColor> HexColor(std::u16string_view hex) {
  TColor color = 0;
  for (const char16_t c : hex) {
    const char16_t l = AsciiLower(c);
    const int digit = l >= '0' && l <= '9' ? l - '0' : l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    color = color * 16 + static_cast<TColor>(digit);
  }
  if (hex.size() == 3) {
    const TColor r = color >> 8, g = (color >> 4) & 0xF, b = color & 0xF;
    return (r * 17) << 16 | (g * 17) << 8 | b * 17;
  }
  return color;
}

struct TNamedColor {
  std::u16string_view Name;
  TColor Color;
};
constexpr TNamedColor kNamedColors[] = {
    {u"aqua", 0x00FFFF},   {u"black", 0x000000}, {u"blue", 0x0000FF},   {u"fuchsia", 0xFF00FF},
    {u"gray", 0x808080},   {u"green", 0x008000}, {u"lime", 0x00FF00},   {u"maroon", 0x800000},
    {u"navy", 0x000080},   {u"olive", 0x808000}, {u"purple", 0x800080}, {u"red", 0xFF0000},
    {u"silver", 0xC0C0C0}, {u"teal", 0x008080},  {u"white", 0xFFFFFF},  {u"yellow", 0xFFFF00}};

}  // namespace

bool IsHtmlSpace(char16_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
std::u16string LowerTrimmedAscii(std::u16string_view text) {
  while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiLower(c);
  return out;
}

std::optional<int> ParseHtmlInt(std::u16string_view text, bool* percent, int limit) {
  std::size_t i = 0;
  while (i < text.size() && IsHtmlSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t first = i;
  int value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = std::min(value * 10 + (text[i] - '0'), limit);
  if (i == first) return std::nullopt;
  if (percent != nullptr) *percent = i < text.size() && text[i] == '%';
  return negative ? -value : value;
}

TLength ParseHtmlLength(const std::u16string* text) {
  TLength length;
  if (text == nullptr) return length;
  bool percent = false;
  const std::optional<int> value = ParseHtmlInt(*text, &percent);
  if (!value || *value < 0) return length;
  length.Set = true;
  length.Percent = percent;
  length.Value = percent ? std::min(*value, 100) : *value;
  return length;
}

int ClampedHtmlInt(const std::u16string* text, int fallback, int low, int high) {
  const std::optional<int> value = text == nullptr ? std::nullopt : ParseHtmlInt(*text);
  return std::clamp(value.value_or(fallback), low, high);
}

std::optional<TAlign> ParseHtmlAlign(const std::u16string* text) {
  if (text == nullptr) return std::nullopt;
  const std::u16string value = LowerTrimmedAscii(*text);
  if (value == u"center" || value == u"middle") return TAlign::Center;
  if (value == u"right") return TAlign::Right;
  if (value == u"left" || value == u"justify") return TAlign::Left;
  return std::nullopt;
}

std::optional<TVAlign> ParseHtmlVAlign(const std::u16string* text) {
  if (text == nullptr) return std::nullopt;
  const std::u16string value = LowerTrimmedAscii(*text);
  if (value == u"top") return TVAlign::Top;
  if (value == u"bottom" || value == u"baseline") return TVAlign::Bottom;
  if (value == u"middle" || value == u"center") return TVAlign::Middle;
  return std::nullopt;
}

std::u16string FirstFontFace(std::u16string_view faces) {
  const std::size_t comma = faces.find(u',');
  std::u16string_view face = faces.substr(0, comma);
  while (!face.empty() && (IsHtmlSpace(face.front()) || face.front() == '\'' || face.front() == '"'))
    face.remove_prefix(1);
  while (!face.empty() && (IsHtmlSpace(face.back()) || face.back() == '\'' || face.back() == '"'))
    face.remove_suffix(1);
  return std::u16string(face);
}

std::optional<TColor> ParseHtmlColor(std::u16string_view text) {
  const std::u16string value = LowerTrimmedAscii(text);
  std::u16string_view hex = value;
  if (hex.starts_with(u"#")) hex.remove_prefix(1);
  if (hex.size() == 6 || (hex.size() == 3 && value.starts_with(u"#"))) {
    if (const std::optional<TColor> color = HexColor(hex)) return color;
  }
  for (const TNamedColor& named : kNamedColors) {
    if (named.Name == value) return named.Color;
  }
  return std::nullopt;
}

}  // namespace kivo
