// The few C-runtime calls that differ between the systems, for the portable
// half of this folder; each system's folder implements them.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace kivo {

// fopen by the path's own characters: on Windows the UTF-16 _wfopen, never
// the 8-bit call, which would read the name through the system code page.
// `mode` is ASCII ("rb", "wb").
std::FILE* OpenFile(const std::filesystem::path& path, std::string_view mode);
// Down to the disk itself, not only into the system's cache: renamed over the
// old file while still in the cache, a power loss could leave it empty.
bool SyncToDisk(std::FILE* file);
long ProcessId();
// No CR added before each LF written to the standard output.
void SetStdoutBinary();

}  // namespace kivo
