#include "tools/cli/Commands.h"

namespace kivo::cli {

int CmdConvert(const Args&) { return Usage("convert: not available in this build"); }

}  // namespace kivo::cli
