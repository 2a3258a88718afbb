#include "base/FilePaths.h"

#include <algorithm>

#include "base/Text1251.h"

namespace kivo {

namespace {

using TChar = TFilePath::value_type;
using TString = TFilePath::string_type;
constexpr bool kWindowsRules = TFilePath::kSeparator == TChar('\\');

bool IsSeparator(TChar c) {
  return c == TChar('/') || (kWindowsRules && c == TChar('\\'));
}

bool IsLetter(TChar c) {
  return (c >= TChar('a') && c <= TChar('z')) || (c >= TChar('A') && c <= TChar('Z'));
}

// "C:" and "\\\\server" on Windows; nothing elsewhere.
std::size_t RootNameLength(const TString& path) {
  if (!kWindowsRules) return 0;
  if (path.size() >= 2 && path[1] == TChar(':') && IsLetter(path[0])) return 2;
  if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
    std::size_t end = 2;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    return end;
  }
  return 0;
}

// The root name with the separators after it.
std::size_t RootLength(const TString& path) {
  std::size_t end = RootNameLength(path);
  while (end < path.size() && IsSeparator(path[end])) ++end;
  return end;
}

std::size_t FileNameStart(const TString& path) {
  std::size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1])) --start;
  return std::max(start, RootNameLength(path));
}

// Templates, so that only the system's own branch is compiled.
template <class Char>
std::basic_string<Char> NativeFrom(std::u16string_view text) {
  if constexpr (sizeof(Char) == sizeof(char16_t)) {
    return std::basic_string<Char>(text.begin(), text.end());
  } else {
    return Utf16ToUtf8(text);
  }
}

template <class Char>
std::u16string Utf16From(const std::basic_string<Char>& native) {
  if constexpr (sizeof(Char) == sizeof(char16_t)) {
    return std::u16string(native.begin(), native.end());
  } else {
    return Utf8ToUtf16(native);
  }
}

}  // namespace

std::u16string TFilePath::u16string() const {
  return Utf16From(native_);
}

TFilePath TFilePath::filename() const {
  return native_.substr(FileNameStart(native_));
}

TFilePath TFilePath::parent_path() const {
  const std::size_t root = RootLength(native_);
  std::size_t end = FileNameStart(native_);
  if (end <= root) return native_.substr(0, std::min(root, native_.size()));
  while (end > root && IsSeparator(native_[end - 1])) --end;
  return native_.substr(0, end);
}

TFilePath TFilePath::extension() const {
  const std::size_t start = FileNameStart(native_);
  const std::size_t dot = native_.rfind(value_type('.'));
  if (dot == string_type::npos || dot <= start) return {};
  if (native_.compare(start, string_type::npos, string_type(2, value_type('.'))) == 0) return {};
  return native_.substr(dot);
}

TFilePath& TFilePath::operator/=(const TFilePath& name) {
  // "C:" + "a" is "C:a", relative to that drive's current folder.
  const bool bareDrive = RootNameLength(native_) == 2 && native_.size() == 2;
  const bool separated = (!native_.empty() && IsSeparator(native_.back())) ||
                         (!name.native_.empty() && IsSeparator(name.native_.front()));
  if (!native_.empty() && !separated && !bareDrive) native_ += kSeparator;
  native_ += name.native_;
  return *this;
}

TFilePath& TFilePath::operator/=(std::string_view ascii) {
  return *this /= TFilePath(string_type(ascii.begin(), ascii.end()));
}

TFilePath PathFrom1251(std::string_view text) {
  return NativeFrom<TChar>(WinToUtf16(text));
}

TFilePath PathFromUtf16(std::u16string_view text) {
  return NativeFrom<TChar>(text);
}

std::string PathTo1251(const TFilePath& path) {
  return Utf16ToWin(path.u16string());
}

bool FitsIn1251(const TFilePath& name) {
  const std::u16string wide = name.u16string();
  return WinToUtf16(Utf16ToWin(wide)) == wide;
}

// In place: the folder part keeps its separators as they were written.
TFilePath ChangeFileExt(const TFilePath& path, std::string_view extension) {
  TString changed = path.native();
  const auto dot = changed.rfind(TChar('.'));
  if (dot != TString::npos && dot >= FileNameStart(changed)) changed.erase(dot);
  return changed + PathFrom1251(extension).native();
}

}  // namespace kivo
