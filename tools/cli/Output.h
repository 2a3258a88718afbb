#pragma once

#include <string_view>

namespace kivo::cli {

// Writes bytes to stdout unchanged (no CR added before LF on Windows).
void WriteBytes(std::string_view bytes);

}  // namespace kivo::cli
