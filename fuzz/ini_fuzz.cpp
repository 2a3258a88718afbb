// Arbitrary bytes as an INI file: read, query, modify and write back, then
// read the written text again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/IniFile.h"

namespace {

const std::string& TempPath() {
  static const std::string path = "/tmp/ini_fuzz_" + std::to_string(getpid()) + ".ini";
  return path;
}

void WriteBytes(const uint8_t* data, size_t size) {
  std::ofstream out(TempPath(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteBytes(data, size);
  kivo::TIniFile ini{std::filesystem::path(TempPath())};
  for (const std::string& section : ini.ReadSections()) {
    for (const std::string& key : ini.ReadSection(section)) {
      static_cast<void>(ini.ReadString(section, key, ""));
      static_cast<void>(ini.ReadInteger(section, key, 0));
    }
  }
  ini.WriteString("Fuzz", "key", "value");
  ini.WriteInteger("Fuzz", "n", -7);
  ini.DeleteKey("Fuzz", "key");
  const std::string text = ini.Text();
  WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  kivo::TIniFile again{std::filesystem::path(TempPath())};
  if (again.ReadInteger("Fuzz", "n", 0) != -7) __builtin_trap();
  std::remove(TempPath().c_str());
  return 0;
}
