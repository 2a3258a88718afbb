// opml import FILE [--list FILE]: the feed-list lines an import would add, then
// "added N, skipped M"; a refused file prints "refused: REASON" and exits 1.
// opml export: the OPML of the feed-list lines read from stdin.
#include <cstdio>

#include "base/Text1251.h"
#include "feeds/HttpDownload.h"
#include "feeds/Opml.h"
#include "platform/FileIo.h"
#include "tools/cli/Commands.h"

namespace kivo::cli {
namespace {

constexpr const char* kOpmlUsage = "usage: kivorss-cli opml import FILE [--list FILE] | opml export";
// No cache folder here: only addresses too long for any folder are cut.
constexpr std::size_t kFolderLength = 0;

std::vector<TOpmlFeed> ParseFeedList(std::string_view text) {
  std::vector<TOpmlFeed> feeds;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty()) continue;
    const std::size_t bar = line.find('|');
    feeds.push_back({std::string(line.substr(0, bar)),
                     bar == std::string_view::npos ? std::string() : std::string(line.substr(bar + 1))});
  }
  return feeds;
}

std::string_view FailureText(TOpmlFailure failure) {
  switch (failure) {
    case TOpmlFailure::NotOpml:
      return "not OPML";
    case TOpmlFailure::UnreadableEncoding:
      return "unreadable encoding";
    case TOpmlFailure::TooLarge:
      return "too large";
    case TOpmlFailure::Damaged:
      return "damaged";
    case TOpmlFailure::None:
      break;
  }
  return "";
}

int Import(const Args& args, std::string& out) {
  std::string listFile;
  std::string opmlFile;
  if (!ParseArgs(args, {{"--list", [&](const std::string& v) { return Assign(listFile, v); }}}, opmlFile)) {
    return Usage(kOpmlUsage);
  }
  // One byte more than a feed may have, so that a larger file is refused as such.
  const auto opml = ReadFileBytes(PathFromArgument(opmlFile), kFeedMaxBytes + 1);
  if (!opml && !FileExists(PathFromArgument(opmlFile))) return Usage("cannot read " + opmlFile);
  std::vector<std::string> existing;
  if (!listFile.empty()) {
    const auto list = ReadFileBytes(PathFromArgument(listFile), kFeedMaxBytes);
    if (!list) return Usage("cannot read " + listFile);
    for (TOpmlFeed& feed : ParseFeedList(*list)) existing.push_back(std::move(feed.Address));
  }
  const TOpmlImport result =
      opml ? ImportOpml(*opml, existing, kFolderLength) : TOpmlImport{TOpmlFailure::TooLarge, {}, 0};
  if (result.Failure != TOpmlFailure::None) {
    out.append("refused: ").append(FailureText(result.Failure)).append("\n");
    return 1;
  }
  for (const TOpmlFeed& feed : result.Added) out.append(feed.Address + "|" + feed.Name + "\n");
  out.append("added " + std::to_string(result.Added.size()) + ", skipped " + std::to_string(result.Skipped) +
             "\n");
  return kExitOk;
}

int Export(std::string& out) {
  std::string input;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin)) {
    input.append(buffer, n);
    if (input.size() > kFeedMaxBytes) return Usage("the feed list on stdin is too large");
  }
  out.append(ExportOpml(ParseFeedList(input)));
  return kExitOk;
}

}  // namespace

int CmdOpml(const Args& args, std::string& out) {
  if (!args.empty() && args[0] == "import") return Import(Args(args.begin() + 1, args.end()), out);
  if (args.size() == 1 && args[0] == "export") return Export(out);
  return Usage(kOpmlUsage);
}

}  // namespace kivo::cli
