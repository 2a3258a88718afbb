#include <fcntl.h>    // _O_BINARY
#include <io.h>       // _commit, the C runtime's flush to the disk; _setmode
#include <process.h>  // _getpid

#include "platform/SystemCalls.h"

namespace kivo {

bool SyncToDisk(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}

long ProcessId() {
  return _getpid();
}

void SetStdoutBinary() {
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace kivo
