// The settings records the host keeps for its plugins, and their file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "plugin/PluginInfo.h"

namespace kivo::host {

// One plugin's record in host memory. The plugin reads and writes it in place
// and reallocates its OLE strings; the record frees whatever strings it holds
// last. It never moves, since the plugin keeps its address.
class SettingsRecord {
 public:
  // Bytes before the first string: stored in the file as they are.
  static constexpr std::size_t kRawSize = settings_offset::kCallString;

  SettingsRecord() = default;
  ~SettingsRecord();
  SettingsRecord(const SettingsRecord&) = delete;
  SettingsRecord& operator=(const SettingsRecord&) = delete;

  void* Address() { return bytes_.data(); }
  std::uint8_t Byte(std::size_t offset) const { return bytes_[offset]; }
  void SetByte(std::size_t offset, std::uint8_t value) { bytes_[offset] = value; }
  std::int32_t Int(std::size_t offset) const;
  void SetInt(std::size_t offset, std::int32_t value);
  std::u16string Wide(std::size_t offset) const;
  void SetWide(std::size_t offset, std::u16string_view text);

  std::string Serialize() const;
  // Reads one serialized record from the front of `input` and consumes it.
  bool Deserialize(std::string_view& input);
  // One line per field: "byte 1 = 1", "int 12 = 2", "wstr 60 = ..." (UTF-8,
  // with CR, LF and backslash written as \r, \n and \\).
  std::string DumpText() const;

 private:
  TPluginWord WordAt(std::size_t offset) const;
  void SetWordAt(std::size_t offset, TPluginWord value);

  alignas(8) std::array<std::uint8_t, settings_offset::kRecordBytes> bytes_{};
};

// Records by plugin (the lower-case file name of its module), persisted in one
// file between runs.
class SettingsStore {
 public:
  explicit SettingsStore(std::wstring file) : file_(std::move(file)) {}

  // Replaces the records by those of the file; a missing file means none.
  bool Load(std::string& error);
  bool Save(std::string& error) const;
  SettingsRecord& RecordFor(const std::wstring& pluginKey);
  const SettingsRecord* Find(const std::wstring& pluginKey) const;
  const std::wstring& File() const { return file_; }

 private:
  std::wstring file_;
  std::map<std::wstring, std::unique_ptr<SettingsRecord>> records_;
};

// The key under which a plugin's record is kept.
std::wstring PluginKeyOf(const std::wstring& modulePath);

}  // namespace kivo::host
