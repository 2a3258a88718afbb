#include "base/FilePaths.h"

namespace kivo {

namespace {

bool IsPathDelimiter(char c) {
  return c == '\\' || c == '/' || c == ':';
}

size_t FileNameStart(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathDelimiter(path[i - 1])) return i;
  }
  return 0;
}

}  // namespace

bool IsPathSeparator(char c) {
  return c == '/' || c == '\\';
}

std::string ExtractFileName(std::string_view path) {
  return std::string(path.substr(FileNameStart(path)));
}

std::string ExtractFilePath(std::string_view path) {
  return std::string(path.substr(0, FileNameStart(path)));
}

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
  const size_t nameStart = FileNameStart(path);
  const size_t dot = path.rfind('.');
  const size_t end = dot != std::string_view::npos && dot >= nameStart ? dot : path.size();
  std::string result(path.substr(0, end));
  result += extension;
  return result;
}

}  // namespace kivo
