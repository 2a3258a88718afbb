#include "tools/cli/Commands.h"

namespace kivo::cli {

int CmdFetch(const Args&) { return Usage("fetch: not available in this build"); }

}  // namespace kivo::cli
