// File paths in the platform's manner, as 8-bit text: both separators, and
// the drive colon, end a folder.
#pragma once

#include <string>
#include <string_view>

namespace kivo {

bool IsPathSeparator(char c);  // '/' or '\\'

std::string ExtractFileName(std::string_view path);
std::string ExtractFilePath(std::string_view path);  // with the trailing separator
// Replaces the extension of the file name (from its last dot), or appends one.
std::string ChangeFileExt(std::string_view path, std::string_view extension);

}  // namespace kivo
