#include <unistd.h>

#include <string>

#include "platform/FileIo.h"
#include "platform/SystemCalls.h"

namespace kivo {

std::FILE* OpenFile(const std::filesystem::path& path, std::string_view mode) {
  return std::fopen(path.c_str(), std::string(mode).c_str());
}

bool SyncToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}

long ProcessId() {
  return static_cast<long>(getpid());
}

void SetStdoutBinary() {}

std::filesystem::path PathFromArgument(std::string_view argument) {
  return std::filesystem::path(argument);
}

}  // namespace kivo
