#include <fcntl.h>    // _O_BINARY
#include <io.h>       // _commit, the C runtime's flush to the disk; _setmode
#include <process.h>  // _getpid
#include <windows.h>  // MultiByteToWideChar

#include <string>

#include "platform/FileIo.h"
#include "platform/SystemCalls.h"

namespace kivo {

std::FILE* OpenFile(const std::filesystem::path& path, std::string_view mode) {
  const std::wstring wideMode(mode.begin(), mode.end());
  return _wfopen(path.c_str(), wideMode.c_str());
}

bool SyncToDisk(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}

long ProcessId() {
  return _getpid();
}

void SetStdoutBinary() {
  _setmode(_fileno(stdout), _O_BINARY);
}

std::filesystem::path PathFromArgument(std::string_view argument) {
  if (argument.empty()) return {};
  const int size = static_cast<int>(argument.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, argument.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, argument.data(), size, wide.data(), length);
  return std::filesystem::path(wide);
}

}  // namespace kivo
