#pragma once

#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace kivo::cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;

// Runs one command line (without the program name): what it prints goes to
// `out`, its messages to stderr; returns the exit code.
int Run(const Args& args, std::string& out);

// Prints "kivorss-cli: MESSAGE" to stderr and returns kExitUsage.
int Usage(const std::string& message);

// An option of a command: a flag ("--no-horlines") or one that takes the next
// argument as its value, which it may refuse.
struct TOption {
  std::string Name;
  std::variant<std::function<void()>, std::function<bool(const std::string& value)>> Apply;
};

// The options and the one positional argument of a command line. False on a
// usage error: an unknown option, one without its value, a refused value, no
// positional argument or a second one.
bool ParseArgs(const Args& args, const std::vector<TOption>& options, std::string& positional);
// Value takers for ParseArgs.
bool Assign(std::string& field, const std::string& value);
bool ParseInt(const std::string& text, int& value);  // the whole text, decimal

// One file per command; each receives the arguments after its name.
int CmdConvert(const Args& args, std::string& out);  // convert FILE [options]: item cache bytes
int CmdPage(const Args& args, std::string& out);     // page CACHE [options]: feed page bytes
int CmdFetch(const Args& args, std::string& out);    // fetch URL [--proxy HOST:PORT]: diagnosis
int CmdLang(const Args& args, std::string& out);     // lang export ru|uk|en: a language file template
int CmdOpml(const Args& args, std::string& out);     // opml import FILE [--list FILE] | opml export

}  // namespace kivo::cli
