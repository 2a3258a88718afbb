// File paths are std::filesystem::path from the module's own name onwards:
// UTF-16 underneath on Windows, so a folder name outside the system code page
// works. Plugin text is windows-1251; a file name made from it is converted
// explicitly where it joins a path, never read through the system code page.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <type_traits>

namespace kivo {

// 8-bit text, which is no path. The file functions delete their overloads for
// it, so such a call fails to compile instead of going through the code page.
template <class T>
concept NarrowText = std::is_convertible_v<const T&, std::string_view>;

std::filesystem::path PathFrom1251(std::string_view text);
// A character that windows-1251 lacks becomes '?'.
std::string PathTo1251(const std::filesystem::path& path);
// The name says the same in windows-1251: PathTo1251 loses nothing.
bool FitsIn1251(const std::filesystem::path& name);

// Replaces the extension of the file name (from its last dot, a leading one
// included), or appends one.
std::filesystem::path ChangeFileExt(const std::filesystem::path& path, std::string_view extension);

}  // namespace kivo
