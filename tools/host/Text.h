// Conversions between the host's UTF-16 and the UTF-8 of scripts and reports.
#pragma once

#include <string>
#include <string_view>

namespace kivo::host {

std::string ToUtf8(std::u16string_view text);
std::string ToUtf8(std::wstring_view text);
std::u16string FromUtf8(std::string_view text);
std::wstring WideFromUtf8(std::string_view text);

inline std::wstring_view AsWide(std::u16string_view text) {
  return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}
inline std::u16string_view AsU16(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

}  // namespace kivo::host
