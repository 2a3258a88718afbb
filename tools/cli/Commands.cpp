#include "tools/cli/Commands.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

#include "base/UrlFunctions.h"
#include "feeds/XmlParser.h"
#include "platform/FileIo.h"

namespace kivo::cli {
namespace {

using Handler = std::function<int(const Args&, std::string& out)>;

int XmlRoundtrip(const Args& args, std::string& out) {
  if (args.size() != 1) return Usage("usage: kivorss-cli xml-roundtrip FILE");
  TmoxXMLParser2 document;
  try {
    document.LoadFromFile(PathFromArgument(args[0]));
  } catch (const std::exception&) {
    return Usage("cannot read " + args[0]);
  }
  out.append(document.XmlText());
  return kExitOk;
}

int UrlCommand(const Args& args, std::string& out) {
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
  out.append(verb->second.second(Args(args.begin() + 1, args.end())) + "\n");
  return kExitOk;
}

const std::map<std::string, Handler>& CommandTable() {
  static const std::map<std::string, Handler> table = {
      {"xml-roundtrip", XmlRoundtrip},
      {"convert", CmdConvert},
      {"page", CmdPage},
      {"fetch", CmdFetch},
      {"opml", CmdOpml},
      {"lang", CmdLang},
      {"url", UrlCommand},
      {"version",
       [](const Args&, std::string& out) {
         out.append("kivorss-cli 2.7\n");
         return kExitOk;
       }},
  };
  return table;
}

}  // namespace

bool ParseArgs(const Args& args, const std::vector<TOption>& options, std::string& positional) {
  positional.clear();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto option =
        std::find_if(options.begin(), options.end(), [&arg](const TOption& o) { return o.Name == arg; });
    if (option == options.end()) {
      if (arg.starts_with("--") || !positional.empty()) return false;
      positional = arg;
    } else if (const auto* flag = std::get_if<std::function<void()>>(&option->Apply)) {
      (*flag)();
    } else if (i + 1 >= args.size() ||
               !std::get<std::function<bool(const std::string&)>>(option->Apply)(args[++i])) {
      return false;
    }
  }
  return !positional.empty();
}

bool Assign(std::string& field, const std::string& value) {
  field = value;
  return true;
}

bool ParseInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && error == std::errc() && ptr == end;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "kivorss-cli: %s\n", message.c_str());
  return kExitUsage;
}

int Run(const Args& args, std::string& out) {
  if (args.empty()) {
    return Usage(
        "usage: kivorss-cli COMMAND [ARGS...] (xml-roundtrip, url, convert, page, fetch, opml, lang, "
        "version)");
  }
  const auto& table = CommandTable();
  const auto it = table.find(args[0]);
  if (it == table.end()) return Usage("unknown command: " + args[0]);
  return it->second(Args(args.begin() + 1, args.end()), out);
}

}  // namespace kivo::cli
