#include "base/FilePaths.h"

#include "base/Text1251.h"

namespace kivo {

namespace fs = std::filesystem;

fs::path PathFrom1251(std::string_view text) {
  return fs::path(WinToUtf16(text));
}

std::string PathTo1251(const fs::path& path) {
  return Utf16ToWin(path.u16string());
}

bool FitsIn1251(const fs::path& name) {
  const std::u16string wide = name.u16string();
  return WinToUtf16(Utf16ToWin(wide)) == wide;
}

fs::path ChangeFileExt(const fs::path& path, std::string_view extension) {
  fs::path::string_type name = path.filename().native();
  const auto dot = name.rfind(static_cast<fs::path::value_type>('.'));
  if (dot != fs::path::string_type::npos) name.erase(dot);
  fs::path changed = path.parent_path() / name;
  changed += PathFrom1251(extension).native();
  return changed;
}

}  // namespace kivo
