// kivorss-cli COMMAND ...: exposes the plugin's core for diagnosis.
// Exit codes: 0 success, 2 usage error or unreadable input.
#include <string>
#include <vector>

#include "platform/FileIo.h"
#include "tools/cli/Commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string out;
  const int rc = kivo::cli::Run(args, out);
  kivo::WriteStdoutBytes(out);
  return rc;
}
