#pragma once

#include <string>
#include <vector>

namespace kivo::cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

// Runs one command line (without the program name) and returns the exit code.
int Run(const std::vector<std::string>& args);

}  // namespace kivo::cli
