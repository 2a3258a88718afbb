// The few system calls that differ between the systems, for the portable half
// of this folder; each system's folder implements them. A path reaches the
// system by its own characters: on Windows through the UTF-16 calls only,
// never the 8-bit ones, which would read it through the system code page.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "base/FilePaths.h"

namespace kivo {

// fopen; `mode` is ASCII ("rb", "wb").
std::FILE* OpenFile(const TFilePath& path, std::string_view mode);
// Down to the disk itself, not only into the system's cache: renamed over the
// old file while still in the cache, a power loss could leave it empty.
bool SyncToDisk(std::FILE* file);
long ProcessId();
// No CR added before each LF written to the standard output.
void SetStdoutBinary();

// kUnknown: something may be there, but the system would not say what (no
// access, a name it refuses).
enum class TPathKind { kNothing, kFile, kFolder, kUnknown };
TPathKind PathKind(const TFilePath& path);
// nullopt for a folder, or when the size cannot be had.
std::optional<std::uintmax_t> SystemFileSize(const TFilePath& path);
// One attempt; a file already at `to` is replaced.
bool MoveReplacing(const TFilePath& from, const TFilePath& to);
// True also when there was no such file.
bool RemoveFile(const TFilePath& path);
// One folder; false when it was not made, for whatever reason.
bool MakeFolder(const TFilePath& path);
// The names of what `folder` holds but folders; empty when it cannot be listed.
std::vector<TFilePath> FileNamesIn(const TFilePath& folder);

}  // namespace kivo
