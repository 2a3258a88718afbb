#include "plugin/PluginLog.h"

#include <algorithm>

#include "platform/FileIo.h"

namespace kivo {

namespace {

// Keeps the newest half of `text` (whole lines, each ending in CR LF), and
// always the newest line, even when that alone is longer than the half.
std::string KeepLastHalf(const std::string& text) {
  const std::size_t newestStart = text.rfind('\n', text.size() - 2) + 1;  // npos + 1 == 0
  const std::size_t halfLineStart = text.find('\n', text.size() / 2) + 1;
  return text.substr(std::min(halfLineStart, newestStart));
}

}  // namespace

std::string FormatLogLine(TDateTime when, std::size_t code, std::string_view what) {
  std::string line = DateTimeToText(when) + " code " + std::to_string(code) + ": ";
  for (char c : what) line += (c == '\r' || c == '\n') ? ' ' : c;
  return line;
}

TPluginLog::TPluginLog(TFilePath path, std::size_t limit) : path_(std::move(path)), limit_(limit) {}

bool TPluginLog::Append(std::string_view line) noexcept {
  try {
    std::string text = ReadFileBytes(path_).value_or(std::string());
    text.append(line);
    text.append("\r\n");
    if (text.size() > limit_) text = KeepLastHalf(text);
    return WriteFileAtomic(path_, text);
  } catch (...) {
    return false;
  }
}

}  // namespace kivo
