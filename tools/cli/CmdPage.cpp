// page CACHE [--marks RDFILE] [--font N] [--no-horlines] [--updated "DATE TIME"]:
// the feed page composed from an item cache file, as windows-1251 bytes.
#include <optional>

#include "base/Text1251.h"
#include "feeds/PageComposition.h"
#include "platform/FileIo.h"
#include "platform/Locale.h"
#include "tools/cli/Commands.h"

namespace kivo::cli {
namespace {

constexpr const char* kPageUsage =
    "usage: kivorss-cli page CACHE [--marks RDFILE] [--font N] [--no-horlines] [--updated \"DATE TIME\"]";

struct TPageArgs {
  std::string CacheFile;
  std::string MarksFile;
  std::string Updated = UpdatedStamp(0, TFixedLocaleFormats());
  int FontSize = 2;
  bool NeedHorlines = true;
};

// nullopt on a usage error.
std::optional<TPageArgs> ParsePageArgs(const Args& args) {
  TPageArgs page;
  const bool parsed =
      ParseArgs(args,
                {{"--no-horlines", [&page] { page.NeedHorlines = false; }},
                 {"--marks", [&page](const std::string& value) { return Assign(page.MarksFile, value); }},
                 {"--updated", [&page](const std::string& value) { return Assign(page.Updated, value); }},
                 {"--font", [&page](const std::string& value) { return ParseInt(value, page.FontSize); }}},
                page.CacheFile);
  if (!parsed) return std::nullopt;
  return page;
}

}  // namespace

int CmdPage(const Args& args, std::string& out) {
  const auto page = ParsePageArgs(args);
  if (!page) return Usage(kPageUsage);
  const auto cache = ReadFileBytes(PathFromArgument(page->CacheFile));
  if (!cache) return Usage("cannot read " + page->CacheFile);
  std::string marks;
  if (!page->MarksFile.empty()) {
    const auto read = ReadFileBytes(PathFromArgument(page->MarksFile));
    if (!read) return Usage("cannot read " + page->MarksFile);
    marks = *read;
  }
  out.append(
      ComposeFeedPageWithStamp(*cache, marks, page->Updated, page->NeedHorlines, page->FontSize).PageHtml);
  return kExitOk;
}

}  // namespace kivo::cli
