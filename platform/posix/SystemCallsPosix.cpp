#include <unistd.h>

#include "platform/SystemCalls.h"

namespace kivo {

bool SyncToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}

long ProcessId() {
  return static_cast<long>(getpid());
}

void SetStdoutBinary() {}

}  // namespace kivo
