#include "plugin/win32/OleSettingsRecord.h"

#include <windows.h>  // with oleauto.h: the OLE string functions

#include <cstring>
#include <new>

namespace kivo {

namespace {

BSTR ReadBstr(const unsigned char* at) {
  BSTR value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void WriteBstr(unsigned char* at, BSTR value) {
  std::memcpy(at, &value, sizeof value);
}

}  // namespace

std::uint8_t TOleSettingsRecord::Byte(std::size_t offset) const {
  return base_[offset];
}

void TOleSettingsRecord::SetByte(std::size_t offset, std::uint8_t value) {
  base_[offset] = value;
}

std::int32_t TOleSettingsRecord::Int(std::size_t offset) const {
  std::int32_t value;
  std::memcpy(&value, base_ + offset, sizeof value);
  return value;
}

void TOleSettingsRecord::SetInt(std::size_t offset, std::int32_t value) {
  std::memcpy(base_ + offset, &value, sizeof value);
}

std::u16string TOleSettingsRecord::Wide(std::size_t offset) const {
  const BSTR text = ReadBstr(base_ + settings_offset::InMemory(offset));
  if (text == nullptr) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// The length-taking variants keep a text with embedded zeros whole.
void TOleSettingsRecord::SetWide(std::size_t offset, const std::u16string& value) {
  const auto* source = reinterpret_cast<const OLECHAR*>(value.c_str());
  const auto length = static_cast<UINT>(value.size());
  unsigned char* slot = base_ + settings_offset::InMemory(offset);
  BSTR text = ReadBstr(slot);
  if (text != nullptr) {
    if (!SysReAllocStringLen(&text, source, length)) throw std::bad_alloc();
  } else {
    text = SysAllocStringLen(source, length);
    if (text == nullptr) throw std::bad_alloc();
  }
  WriteBstr(slot, text);
}

}  // namespace kivo
