// Whole-file reads and crash-safe replacement of user files. Every call takes
// a TFilePath and reaches the system by it: on Windows through the UTF-16 file
// functions only, so any folder name works (see base/FilePaths.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FilePaths.h"

namespace kivo {

// The whole file as bytes; nullopt when it cannot be opened or read, or when
// it holds more than `maxBytes` (then no more than that is read).
std::optional<std::string> ReadFileBytes(const TFilePath& path,
                                         std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk, then
// renames it over `path`: a crash or a power loss leaves either the old or the
// new file, never a torn or empty one. The temporary's name is short whatever
// the file's, so a path that fits the system's limit can be replaced.
// Returns false (and leaves the old file alone) when any step fails.
bool WriteFileAtomic(const TFilePath& path, std::string_view bytes);

bool FileExists(const TFilePath& path);
// nullopt when the file's size cannot be had.
std::optional<std::uintmax_t> FileSize(const TFilePath& path);
// Anything at the path: a file, a folder, or what cannot be told apart.
bool PathExists(const TFilePath& path);
bool DirectoryExists(const TFilePath& path);
bool DeleteFileIfExists(const TFilePath& path);
// Replaces a file already at `to`. One attempt, no temporary: for files the
// user does not write, such as the feeds' caches on a change of address.
bool RenameFile(const TFilePath& from, const TFilePath& to);
// One folder, its parent must exist. True when the folder is there afterwards.
bool CreateFolder(const TFilePath& path);
// The names of the files (not folders) in `folder`; empty when it cannot be
// listed.
std::vector<TFilePath> ListFiles(const TFilePath& folder);

template <NarrowText T>
std::optional<std::string> ReadFileBytes(const T& path, std::size_t maxBytes = 0) = delete;
template <NarrowText T>
bool WriteFileAtomic(const T& path, std::string_view bytes) = delete;
template <NarrowText T>
bool FileExists(const T& path) = delete;
template <NarrowText T>
std::optional<std::uintmax_t> FileSize(const T& path) = delete;
template <NarrowText T>
bool PathExists(const T& path) = delete;
template <NarrowText T>
bool DirectoryExists(const T& path) = delete;
template <NarrowText T>
bool DeleteFileIfExists(const T& path) = delete;
template <NarrowText T>
bool RenameFile(const T& from, const TFilePath& to) = delete;
template <NarrowText T>
bool CreateFolder(const T& path) = delete;
template <NarrowText T>
std::vector<TFilePath> ListFiles(const T& folder) = delete;

// A command-line argument as a path: on Windows the arguments of main are in
// the system code page, the one place where that code page is right.
TFilePath PathFromArgument(std::string_view argument);

// Bytes to the standard output as they are: no CR added before LF on Windows.
void WriteStdoutBytes(std::string_view bytes);

}  // namespace kivo
