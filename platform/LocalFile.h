// Reading a file that a page names ("file:///C:/pics/a.png"): the address is
// the page's, not the user's, so only a regular file on a fixed local drive
// is read. A device name opens a device that can block a worker for ever, a
// removable or network drive may raise the system's dialogs or hang, and a
// folder or a pipe is no picture.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "base/FilePaths.h"

namespace kivo {

// The whole file, as ReadFileBytes reads it, when `path` names a regular
// file on a fixed drive and holds at most `maxBytes`; nullopt otherwise, without waiting on whatever else the
// path names.
std::optional<std::string> ReadLocalFileBytes(const TFilePath& path, std::size_t maxBytes);

}  // namespace kivo
