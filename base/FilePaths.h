// File paths are TFilePath from the module's own name onwards: the system's
// own characters underneath, UTF-16 on Windows, so a folder name outside the
// system code page works. Plugin text is windows-1251; a file name made from it
// is converted explicitly where it joins a path, never read through the system
// code page.
//
// TFilePath, not std::filesystem::path: any out-of-line member of the latter
// links the standard library's whole locale and stream machinery into the DLL,
// about a megabyte. <filesystem> is included only for its character type and
// separator; the DLL calls none of its functions. Tests and tools convert at
// the boundary with the constructor from std::filesystem::path and Std().
#pragma once

#include <concepts>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <type_traits>

namespace kivo {

class TFilePath {
 public:
  using value_type = std::filesystem::path::value_type;
  using string_type = std::basic_string<value_type>;
  // '\\' on Windows, where '/' separates too; '/' elsewhere.
  static constexpr value_type kSeparator = std::filesystem::path::preferred_separator;

  TFilePath() = default;
  TFilePath(string_type native) : native_(std::move(native)) {}
  TFilePath(const value_type* native) : native_(native) {}
  // For tests and tools; a template, so that only they emit it.
  template <std::same_as<std::filesystem::path> StdPath>
  TFilePath(const StdPath& path) : native_(path.native()) {}
  std::filesystem::path Std() const { return std::filesystem::path(native_); }

  const string_type& native() const { return native_; }
  const value_type* c_str() const { return native_.c_str(); }
  bool empty() const { return native_.empty(); }
  std::u16string u16string() const;

  // As std::filesystem::path has them: the name after the last separator
  // (empty when the path ends in one); the path without it and the
  // separators before it, the root kept ("/a" -> "/", "C:\\a" -> "C:\\");
  // the name's last dot on, unless the dot leads the name.
  TFilePath filename() const;
  TFilePath parent_path() const;
  TFilePath extension() const;

  // Puts a separator between unless one is there, or nothing to separate
  // from. Unlike std::filesystem::path, an absolute right side is appended as
  // well: a name made from feed text never replaces the folder it joins.
  TFilePath& operator/=(const TFilePath& name);
  TFilePath& operator/=(std::string_view ascii);
  template <std::size_t N>
  TFilePath& operator/=(const char (&ascii)[N]) {
    return *this /= std::string_view(ascii);
  }

  friend TFilePath operator/(TFilePath path, const TFilePath& name) { return path /= name; }
  friend TFilePath operator/(TFilePath path, std::string_view ascii) { return path /= ascii; }
  template <std::size_t N>
  friend TFilePath operator/(TFilePath path, const char (&ascii)[N]) {
    return path /= std::string_view(ascii);
  }
  // By the characters: "a/b" and "a\\b" differ, as do "a" and "a/".
  friend bool operator==(const TFilePath&, const TFilePath&) = default;

 private:
  string_type native_;
};

// 8-bit text, which is no path. The file functions delete their overloads for
// it, so such a call fails to compile instead of going through the code page.
template <class T>
concept NarrowText = std::is_convertible_v<const T&, std::string_view>;

TFilePath PathFrom1251(std::string_view text);
TFilePath PathFromUtf16(std::u16string_view text);
// A character that windows-1251 lacks becomes '?'.
std::string PathTo1251(const TFilePath& path);
// The name says the same in windows-1251: PathTo1251 loses nothing.
bool FitsIn1251(const TFilePath& name);

// Replaces the extension of the file name (from its last dot, a leading one
// included), or appends one.
TFilePath ChangeFileExt(const TFilePath& path, std::string_view extension);

}  // namespace kivo
