// kivorss-cli COMMAND ...: exposes the plugin's core for diagnosis.
// Exit codes: 0 success, 2 usage error or unreadable input.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/cli/Commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kivo::cli::Run(args);
}
