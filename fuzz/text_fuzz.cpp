// Exercises every text routine on arbitrary bytes and checks cheap invariants.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "base/Text1251.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

void CheckCodePages(std::string_view text) {
  Check(kivo::Utf16ToWin(kivo::WinToUtf16(text)) == text);
  Check(kivo::Utf8ToWin(kivo::WinToUtf8(text)) == text);
  const auto utf8 = kivo::Utf8ToWin(text);
  const std::string kept = kivo::Utf8ToWinOrKeep(text);
  Check(utf8 ? kept == *utf8 : kept == text);
  if (IsAscii(text)) {
    Check(utf8 == text);
    Check(kivo::Latin1ToWin(text) == text);
    Check(kivo::Cp1252ToWin(text) == text);
  }
  const std::string koi = kivo::Koi8ToWin(text);
  Check(koi.size() == text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0xC0) Check(koi[i] == text[i]);
  }
  // Any UTF-16 units, paired up from the bytes, convert one byte per unit.
  std::u16string units;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(text[i]) |
                                   static_cast<unsigned char>(text[i + 1]) << 8);
  }
  Check(kivo::Utf16ToWin(units).size() == units.size());
}

void CheckLetterCase(std::string_view text) {
  const std::string lower = kivo::LowerCase1251(text);
  const std::string upper = kivo::UpperCase1251(text);
  Check(lower.size() == text.size() && upper.size() == text.size());
  Check(kivo::SameText1251(text, lower) && kivo::SameText1251(upper, lower));
  Check(kivo::LowerCase1251(upper) == lower);
  for (size_t i = 0; i < text.size(); ++i) Check(kivo::LowerChar1251(text[i]) == lower[i]);
}

constexpr std::pair<std::string_view, std::string_view> kEntitySteps[] = {
    {"&amp;", "&"},    {"&amp", "&"},     {"&quot;", "\""}, {"&quot", "\""},
    {"&ldquo;", "\""}, {"&rdquo;", "\""}, {"&lt;", "<"},    {"&gt;", ">"},
};

void CheckStrings(std::string_view text) {
  const std::string decoded = kivo::DecodeEntities(text);
  std::string stepwise(text);
  for (const auto& [entity, plain] : kEntitySteps) stepwise = kivo::ReplaceAll(stepwise, entity, plain);
  Check(decoded == stepwise);
  Check(decoded.size() <= text.size());
  if (text.find('&') == std::string_view::npos) Check(decoded == text);

  const size_t split = text.find('\0');
  if (split != std::string_view::npos) {
    const std::string_view pattern = text.substr(split + 1, 4);
    Check(kivo::ReplaceAll(text, pattern, pattern) == text);
    const std::string removed = kivo::ReplaceAll(text, pattern, "");
    Check(removed.size() <= text.size());
  }
  const std::string_view trimmed = kivo::Trim(text);
  Check(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > ' ' &&
                            static_cast<unsigned char>(trimmed.back()) > ' '));
  Check(trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckCodePages(text);
  CheckLetterCase(text);
  CheckStrings(text);
  return 0;
}
