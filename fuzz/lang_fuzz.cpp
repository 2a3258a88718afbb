// Arbitrary bytes as a language file: read over the built-in texts and read
// its self-description.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "lang/LanguageTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/lang_fuzz_" + std::to_string(getpid()) + ".lng";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  kivo::set_lang_russian();
  static_cast<void>(kivo::load_lang_file(std::filesystem::path(path), ','));
  static_cast<void>(kivo::ReadLangFileInfo(std::filesystem::path(path)));
  static_cast<void>(kivo::lang_version_ok(kivo::Lang.lang_opt_label_versionval, ','));
  std::remove(path.c_str());
  return 0;
}
