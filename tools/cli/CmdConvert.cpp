// convert FILE [--title T] [--description D] [--pubdate P] [--category C]
// [--link L] [--image I] [--no-double-tags]: the item cache a load would save
// for a downloaded feed document; nothing when it would save none. No network.
#include <map>
#include <optional>
#include <stdexcept>

#include "feeds/FeedConversion.h"
#include "tools/cli/Commands.h"
#include "tools/cli/Output.h"

namespace kivo::cli {
namespace {

constexpr const char* kConvertUsage =
    "usage: kivorss-cli convert FILE [--title T] [--description D] [--pubdate P] [--category C] [--link L] "
    "[--image I] [--no-double-tags]";

struct TConvertArgs {
  std::string File;
  TConversionSettings Settings;
};

// nullopt on a usage error.
std::optional<TConvertArgs> ParseConvertArgs(const Args& args) {
  TConvertArgs convert;
  TFeedTags& tags = convert.Settings.Tags;
  const std::map<std::string, std::string*> tagOptions = {
      {"--title", &tags.Title}, {"--description", &tags.Description}, {"--pubdate", &tags.PubDate},
      {"--category", &tags.Category}, {"--link", &tags.Link}, {"--image", &tags.Image}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto tag = tagOptions.find(arg);
    if (tag != tagOptions.end() && i + 1 < args.size()) {
      *tag->second = args[++i];
    } else if (arg == "--no-double-tags") {
      convert.Settings.CheckDoubleTags = false;
    } else if (arg.starts_with("--") || !convert.File.empty()) {
      return std::nullopt;
    } else {
      convert.File = arg;
    }
  }
  if (convert.File.empty()) return std::nullopt;
  return convert;
}

}  // namespace

int CmdConvert(const Args& args) {
  auto convert = ParseConvertArgs(args);
  if (!convert) return Usage(kConvertUsage);
  TmoxXMLParser2 source;
  try {
    source.LoadFromFile(convert->File);
  } catch (const std::exception&) {
    return Usage("cannot read " + convert->File);
  }
  convert->Settings.DeclaredEncoding = DeclaredEncoding(source);
  const TConvertedFeed feed = ConvertFeed(source, convert->Settings, {});
  if (feed.ItemCount() > 0) WriteBytes(feed.Text());
  return kExitOk;
}

}  // namespace kivo::cli
