// page CACHE [--marks RDFILE] [--font N] [--no-horlines] [--updated "DATE TIME"]:
// the feed page composed from an item cache file, as windows-1251 bytes.
#include <charconv>
#include <optional>

#include "feeds/TextDecoding.h"
#include "platform/FileIo.h"
#include "platform/Locale.h"
#include "reader/PageComposition.h"
#include "tools/cli/Commands.h"
#include "tools/cli/Output.h"

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

std::optional<int> ParseInt(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// nullopt on a usage error.
std::optional<TPageArgs> ParsePageArgs(const Args& args) {
  TPageArgs page;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--no-horlines") {
      page.NeedHorlines = false;
    } else if (arg == "--marks" && hasValue) {
      page.MarksFile = args[++i];
    } else if (arg == "--updated" && hasValue) {
      page.Updated = args[++i];
    } else if (arg == "--font" && hasValue) {
      const auto size = ParseInt(args[++i]);
      if (!size) return std::nullopt;
      page.FontSize = *size;
    } else if (arg.starts_with("--") || !page.CacheFile.empty()) {
      return std::nullopt;
    } else {
      page.CacheFile = arg;
    }
  }
  if (page.CacheFile.empty()) return std::nullopt;
  return page;
}

}  // namespace

int CmdPage(const Args& args) {
  const auto page = ParsePageArgs(args);
  if (!page) return Usage(kPageUsage);
  const auto cache = ReadFileBytes(page->CacheFile);
  if (!cache) return Usage("cannot read " + page->CacheFile);
  std::string marks;
  if (!page->MarksFile.empty()) {
    const auto read = ReadFileBytes(page->MarksFile);
    if (!read) return Usage("cannot read " + page->MarksFile);
    marks = *read;
  }
  WriteBytes(
      ComposeFeedPageWithStamp(WinToUtf16(*cache), marks, page->Updated, page->NeedHorlines, page->FontSize)
          .PageHtml);
  return kExitOk;
}

}  // namespace kivo::cli
