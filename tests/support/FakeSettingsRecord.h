// The host's settings record in memory, for tests of the settings load and save.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>

#include "plugin/PluginInfo.h"

namespace kivo::testing {

class FakeRecord : public ISettingsRecord {
 public:
  std::uint8_t Byte(std::size_t offset) const override { return bytes.at(offset); }
  void SetByte(std::size_t offset, std::uint8_t value) override { bytes.at(offset) = value; }
  std::int32_t Int(std::size_t offset) const override {
    std::int32_t value = 0;
    bytes.at(offset + sizeof value - 1);  // range check
    std::memcpy(&value, &bytes[offset], sizeof value);
    return value;
  }
  void SetInt(std::size_t offset, std::int32_t value) override {
    bytes.at(offset + sizeof value - 1);
    std::memcpy(&bytes[offset], &value, sizeof value);
  }
  std::u16string Wide(std::size_t offset) const override {
    const auto found = strings.find(offset);
    return found == strings.end() ? std::u16string() : found->second;
  }
  void SetWide(std::size_t offset, const std::u16string& value) override {
    if (failWrites) throw std::runtime_error("record is read-only");
    strings[offset] = value;
  }

  std::array<std::uint8_t, settings_offset::kRecordSize> bytes{};
  std::map<std::size_t, std::u16string> strings;
  bool failWrites = false;
};

}  // namespace kivo::testing
