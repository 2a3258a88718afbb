// The plugin's failure log: one line per exception that reached the host
// boundary, in a file beside the module. The file never grows without bound.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/DateTime.h"
#include "base/FilePaths.h"

namespace kivo {

constexpr std::size_t kPluginLogLimit = 256 * 1024;

// "01.05.2024 13:45:07 code 7: what" (no line end; line breaks in `what` become spaces).
std::string FormatLogLine(TDateTime when, std::size_t code, std::string_view what);

class TPluginLog {
 public:
  explicit TPluginLog(TFilePath path, std::size_t limit = kPluginLogLimit);
  template <NarrowText T>
  explicit TPluginLog(const T& path, std::size_t limit = kPluginLogLimit) = delete;

  const TFilePath& FileName() const { return path_; }

  // Appends `line` and a CR LF. When the file then exceeds the limit, only its
  // last half is kept, starting at a line. Never throws; false when the file
  // could not be written.
  bool Append(std::string_view line) noexcept;

 private:
  TFilePath path_;
  std::size_t limit_;
};

}  // namespace kivo
