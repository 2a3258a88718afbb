// convert FILE [--title T] [--description D] [--pubdate P] [--category C]
// [--link L] [--image I] [--no-double-tags]: the item cache a load would save
// for a downloaded feed document; nothing when it would save none. No network.
#include <optional>
#include <stdexcept>

#include "feeds/FeedConversion.h"
#include "platform/FileIo.h"
#include "tools/cli/Commands.h"

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
  const auto tag = [](std::string& field) {
    return [&field](const std::string& value) { return Assign(field, value); };
  };
  const bool parsed =
      ParseArgs(args,
                {{"--title", tag(tags.Title)},
                 {"--description", tag(tags.Description)},
                 {"--pubdate", tag(tags.PubDate)},
                 {"--category", tag(tags.Category)},
                 {"--link", tag(tags.Link)},
                 {"--image", tag(tags.Image)},
                 {"--no-double-tags", [&convert] { convert.Settings.CheckDoubleTags = false; }}},
                convert.File);
  if (!parsed) return std::nullopt;
  return convert;
}

}  // namespace

int CmdConvert(const Args& args, std::string& out) {
  auto convert = ParseConvertArgs(args);
  if (!convert) return Usage(kConvertUsage);
  TmoxXMLParser2 source;
  SetFeedTreeBudget(source);
  try {
    source.LoadFromFile(PathFromArgument(convert->File));
  } catch (const std::exception&) {
    return Usage("cannot read " + convert->File);
  }
  convert->Settings.DeclaredEncoding = DeclaredEncoding(source);
  const TConvertedFeed feed = ConvertFeed(source, convert->Settings, {});
  if (feed.ItemCount() > 0) out.append(feed.Text());
  return kExitOk;
}

}  // namespace kivo::cli
