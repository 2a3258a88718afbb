// Whole-file reads and crash-safe replacement of user files. Paths are 8-bit
// strings in the system code page, as everywhere in the plugin.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace kivo {

// The separator the system writes between folders.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The whole file as bytes; nullopt when it cannot be opened or read, or when
// it holds more than `maxBytes` (then no more than that is read).
std::optional<std::string> ReadFileBytes(const std::string& path,
                                         std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk, then
// renames it over `path`: a crash or a power loss leaves either the old or the
// new file, never a torn or empty one.
// Returns false (and leaves the old file alone) when any step fails.
bool WriteFileAtomic(const std::string& path, std::string_view bytes);

bool FileExists(const std::string& path);
// Anything at the path: a file, a folder, or what cannot be told apart.
bool PathExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool DeleteFileIfExists(const std::string& path);

// Bytes to the standard output as they are: no CR added before LF on Windows.
void WriteStdoutBytes(std::string_view bytes);

}  // namespace kivo
