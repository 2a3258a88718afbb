#pragma once

#include <string>
#include <vector>

namespace kivo::cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;

// Runs one command line (without the program name) and returns the exit code.
int Run(const Args& args);

// Prints "kivorss-cli: MESSAGE" to stderr and returns kExitUsage.
int Usage(const std::string& message);

// One file per command; each receives the arguments after its name.
int CmdConvert(const Args& args);  // convert FILE [options]: item cache bytes
int CmdPage(const Args& args);     // page CACHE [options]: feed page bytes
int CmdFetch(const Args& args);    // fetch URL [--proxy HOST:PORT]: diagnosis

}  // namespace kivo::cli
