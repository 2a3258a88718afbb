#include "tools/host/SettingsStore.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <filesystem>

#include "platform/FileIo.h"
#include "tools/host/OleString.h"
#include "tools/host/Text.h"

namespace kivo::host {
namespace {

constexpr std::string_view kFileMagic = "KivoHostSettings1\n";

void AppendU32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void AppendText(std::string& out, std::u16string_view text) {
  AppendU32(out, static_cast<std::uint32_t>(text.size()));
  for (char16_t unit : text) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
}

bool TakeU32(std::string_view& in, std::uint32_t& value) {
  if (in.size() < 4) return false;
  value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(in[static_cast<size_t>(i)]);
  in.remove_prefix(4);
  return true;
}

bool TakeText(std::string_view& in, std::u16string& text) {
  std::uint32_t length = 0;
  if (!TakeU32(in, length) || in.size() / 2 < length) return false;
  text.resize(length);
  for (std::uint32_t i = 0; i < length; ++i) {
    text[i] = static_cast<char16_t>(static_cast<std::uint8_t>(in[2 * i]) |
                                    (static_cast<std::uint8_t>(in[2 * i + 1]) << 8));
  }
  in.remove_prefix(2 * static_cast<size_t>(length));
  return true;
}

constexpr std::size_t kStringCount = settings_offset::kStringCount;

std::size_t StringOffset(std::size_t index) {
  return SettingsRecord::kRawSize + index * settings_offset::kStringSlot;
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\\')
      out += "\\\\";
    else
      out.push_back(c);
  }
  return out;
}

}  // namespace

SettingsRecord::~SettingsRecord() {
  for (std::size_t i = 0; i < kStringCount; ++i)
    SysFreeString(reinterpret_cast<BSTR>(WordAt(StringOffset(i))));
}

TPluginWord SettingsRecord::WordAt(std::size_t offset) const {
  TPluginWord value = 0;
  std::memcpy(&value, bytes_.data() + settings_offset::InMemory(offset), sizeof value);
  return value;
}

void SettingsRecord::SetWordAt(std::size_t offset, TPluginWord value) {
  std::memcpy(bytes_.data() + settings_offset::InMemory(offset), &value, sizeof value);
}

std::int32_t SettingsRecord::Int(std::size_t offset) const {
  std::int32_t value = 0;
  std::memcpy(&value, bytes_.data() + offset, sizeof value);
  return value;
}

void SettingsRecord::SetInt(std::size_t offset, std::int32_t value) {
  std::memcpy(bytes_.data() + offset, &value, sizeof value);
}

std::u16string SettingsRecord::Wide(std::size_t offset) const {
  return OleString::TextOfBstr(reinterpret_cast<BSTR>(WordAt(offset)));
}

void SettingsRecord::SetWide(std::size_t offset, std::u16string_view text) {
  SysFreeString(reinterpret_cast<BSTR>(WordAt(offset)));
  // An empty wide string is a null pointer, as the plugin's own runtime makes it.
  SetWordAt(offset, text.empty() ? 0 : reinterpret_cast<TPluginWord>(OleString(text).Release()));
}

std::string SettingsRecord::Serialize() const {
  std::string out(reinterpret_cast<const char*>(bytes_.data()), kRawSize);
  for (std::size_t i = 0; i < kStringCount; ++i) AppendText(out, Wide(StringOffset(i)));
  return out;
}

bool SettingsRecord::Deserialize(std::string_view& input) {
  if (input.size() < kRawSize) return false;
  std::memcpy(bytes_.data(), input.data(), kRawSize);
  input.remove_prefix(kRawSize);
  for (std::size_t i = 0; i < kStringCount; ++i) {
    std::u16string text;
    if (!TakeText(input, text)) return false;
    SetWide(StringOffset(i), text);
  }
  return true;
}

std::string SettingsRecord::DumpText() const {
  std::string out;
  for (std::size_t offset = 0; offset < settings_offset::kFontSize; ++offset) {
    out += "byte " + std::to_string(offset) + " = " + std::to_string(Byte(offset)) + "\n";
  }
  for (std::size_t offset = settings_offset::kFontSize; offset < kRawSize; offset += 4) {
    out += "int " + std::to_string(offset) + " = " + std::to_string(Int(offset)) + "\n";
  }
  for (std::size_t i = 0; i < kStringCount; ++i) {
    const std::size_t offset = StringOffset(i);
    out += "wstr " + std::to_string(offset) + " = " + Escaped(ToUtf8(Wide(offset))) + "\n";
  }
  return out;
}

bool SettingsStore::Load(std::string& error) {
  records_.clear();
  const auto bytes = ReadFileBytes(std::filesystem::path(file_));
  if (!bytes) return true;
  std::string_view in(*bytes);
  std::uint32_t count = 0;
  bool ok = in.starts_with(kFileMagic);
  if (ok) in.remove_prefix(kFileMagic.size());
  ok = ok && TakeU32(in, count);
  for (std::uint32_t i = 0; ok && i < count; ++i) {
    std::u16string key;
    ok = TakeText(in, key) && RecordFor(std::wstring(AsWide(key))).Deserialize(in);
  }
  if (!ok) error = "settings file " + ToUtf8(file_) + " is damaged";
  return ok;
}

bool SettingsStore::Save(std::string& error) const {
  std::string out(kFileMagic);
  AppendU32(out, static_cast<std::uint32_t>(records_.size()));
  for (const auto& [key, record] : records_) {
    AppendText(out, AsU16(key));
    out += record->Serialize();
  }
  if (WriteFileAtomic(std::filesystem::path(file_), out)) return true;
  error = "cannot write settings file " + ToUtf8(file_);
  return false;
}

SettingsRecord& SettingsStore::RecordFor(const std::wstring& pluginKey) {
  auto& slot = records_[pluginKey];
  if (!slot) slot = std::make_unique<SettingsRecord>();
  return *slot;
}

const SettingsRecord* SettingsStore::Find(const std::wstring& pluginKey) const {
  const auto found = records_.find(pluginKey);
  return found == records_.end() ? nullptr : found->second.get();
}

std::wstring PluginKeyOf(const std::wstring& modulePath) {
  std::wstring name = std::filesystem::path(modulePath).filename().wstring();
  std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towlower(c); });
  return name;
}

}  // namespace kivo::host
