// An owned OLE string (length-prefixed UTF-16 from the system allocator): the
// form in which the host hands wide strings to plugins.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace kivo::host {

class OleString {
 public:
  OleString() = default;
  explicit OleString(std::u16string_view text)
      : text_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()))) {}
  ~OleString() { SysFreeString(text_); }
  OleString(OleString&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  OleString& operator=(OleString&& other) noexcept {
    if (this != &other) {
      SysFreeString(text_);
      text_ = std::exchange(other.text_, nullptr);
    }
    return *this;
  }
  OleString(const OleString&) = delete;
  OleString& operator=(const OleString&) = delete;

  BSTR Get() const { return text_; }
  // Hands the string over to whoever frees it from now on.
  BSTR Release() { return std::exchange(text_, nullptr); }
  std::u16string Text() const { return TextOfBstr(text_); }

  static std::u16string TextOfBstr(BSTR text) {
    if (text == nullptr) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
  }
  // The text of a zero-terminated UTF-16 string given by address (0: empty).
  static std::u16string TextAt(const void* address) {
    return address == nullptr ? std::u16string() : std::u16string(static_cast<const char16_t*>(address));
  }

 private:
  BSTR text_ = nullptr;
};

}  // namespace kivo::host
