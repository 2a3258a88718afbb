// The settings record in the host's memory. Wide strings there are OLE strings
// (BSTR); we reallocate them in place and never free the record itself.
#pragma once

#include "plugin/PluginInfo.h"

namespace kivo {

class TOleSettingsRecord final : public ISettingsRecord {
 public:
  explicit TOleSettingsRecord(void* hostRecord) : base_(static_cast<unsigned char*>(hostRecord)) {}

  std::uint8_t Byte(std::size_t offset) const override;
  void SetByte(std::size_t offset, std::uint8_t value) override;
  std::int32_t Int(std::size_t offset) const override;
  void SetInt(std::size_t offset, std::int32_t value) override;
  std::u16string Wide(std::size_t offset) const override;
  void SetWide(std::size_t offset, const std::u16string& value) override;

 private:
  unsigned char* base_;
};

}  // namespace kivo
