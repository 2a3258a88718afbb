#include "tools/host/Text.h"

#include <windows.h>

namespace kivo::host {
namespace {

std::string Narrow(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, result.data(), length, nullptr, nullptr);
  return result;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
  return Narrow(CP_UTF8, text);
}

std::string ToUtf8(std::u16string_view text) {
  return ToUtf8(AsWide(text));
}

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring result(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, result.data(), length);
  return result;
}

std::u16string FromUtf8(std::string_view text) {
  const std::wstring wide = WideFromUtf8(text);
  return std::u16string(AsU16(wide));
}

}  // namespace kivo::host
