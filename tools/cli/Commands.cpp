#include "tools/cli/Commands.h"

#include <cstdio>
#include <functional>
#include <map>

namespace kivo::cli {
namespace {

using Args = std::vector<std::string>;
using Handler = std::function<int(const Args&)>;

int Usage(const char* message) {
  std::fprintf(stderr, "kivorss-cli: %s\n", message);
  return kExitUsage;
}

const std::map<std::string, Handler>& CommandTable() {
  static const std::map<std::string, Handler> table = {
      {"version", [](const Args&) {
         std::printf("kivorss-cli 2.7\n");
         return kExitOk;
       }},
  };
  return table;
}

}  // namespace

int Run(const Args& args) {
  if (args.empty()) return Usage("usage: kivorss-cli COMMAND [ARGS...]");
  const auto& table = CommandTable();
  const auto it = table.find(args[0]);
  if (it == table.end()) return Usage(("unknown command: " + args[0]).c_str());
  return it->second(Args(args.begin() + 1, args.end()));
}

}  // namespace kivo::cli
