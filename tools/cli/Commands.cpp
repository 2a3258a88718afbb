#include "tools/cli/Commands.h"

#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

#include "feeds/moxXMLParser2.h"
#include "options/URLSubs.h"
#include "tools/cli/Output.h"

namespace kivo::cli {
namespace {

using Handler = std::function<int(const Args&)>;

int XmlRoundtrip(const Args& args) {
  if (args.size() != 1) return Usage("usage: kivorss-cli xml-roundtrip FILE");
  TmoxXMLParser2 document;
  try {
    document.LoadFromFile(args[0]);
  } catch (const std::exception&) {
    return Usage("cannot read " + args[0]);
  }
  WriteBytes(document.XmlText());
  return kExitOk;
}

int UrlCommand(const Args& args) {
  static const std::map<std::string, std::pair<size_t, std::function<std::string(const Args&)>>> kUrlVerbs = {
      {"root", {1, [](const Args& a) { return UrlRoot(a[0]); }}},
      {"join", {2, [](const Args& a) { return UrlJoin(a[0], a[1]); }}},
      {"abs", {1, [](const Args& a) { return std::string(UrlIsAbsolute(a[0]) ? "1" : "0"); }}},
      {"scheme", {1, [](const Args& a) { return UrlScheme(a[0]); }}},
  };
  const auto verb = args.empty() ? kUrlVerbs.end() : kUrlVerbs.find(args[0]);
  if (verb == kUrlVerbs.end() || args.size() != verb->second.first + 1) {
    return Usage("usage: kivorss-cli url root URL | url join BASE REF | url abs REF | url scheme URL");
  }
  WriteBytes(verb->second.second(Args(args.begin() + 1, args.end())) + "\n");
  return kExitOk;
}

const std::map<std::string, Handler>& CommandTable() {
  static const std::map<std::string, Handler> table = {
      {"xml-roundtrip", XmlRoundtrip},
      {"convert", CmdConvert},
      {"page", CmdPage},
      {"fetch", CmdFetch},
      {"url", UrlCommand},
      {"version", [](const Args&) {
         WriteBytes("kivorss-cli 2.7\n");
         return kExitOk;
       }},
  };
  return table;
}

}  // namespace

int Usage(const std::string& message) {
  std::fprintf(stderr, "kivorss-cli: %s\n", message.c_str());
  return kExitUsage;
}

int Run(const Args& args) {
  if (args.empty()) {
    return Usage("usage: kivorss-cli COMMAND [ARGS...] (xml-roundtrip, url, convert, page, fetch, version)");
  }
  const auto& table = CommandTable();
  const auto it = table.find(args[0]);
  if (it == table.end()) return Usage("unknown command: " + args[0]);
  return it->second(Args(args.begin() + 1, args.end()));
}

}  // namespace kivo::cli
