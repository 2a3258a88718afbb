#include "tools/cli/Commands.h"

namespace kivo::cli {

int CmdPage(const Args&) { return Usage("page: not available in this build"); }

}  // namespace kivo::cli
