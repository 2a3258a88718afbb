// Arbitrary bytes through the way of a downloaded feed: parse, conversion to
// the item cache, page composition from the cache text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Text1251.h"
#include "feeds/FeedConversion.h"
#include "feeds/PageComposition.h"
#include "platform/Locale.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kivo::TmoxXMLParser2 source;
  source.LoadFromBuffer(std::string_view(reinterpret_cast<const char*>(data), size));
  kivo::TConversionSettings settings;
  settings.DeclaredEncoding = kivo::DeclaredEncoding(source);
  // The first byte picks the options, so the fuzzer reaches both branches.
  settings.CheckDoubleTags = size == 0 || (data[0] & 1) != 0;
  const kivo::TConvertedFeed converted = kivo::ConvertFeed(source, settings, {});
  const std::string cache = converted.Text();
  const kivo::TComposedFeed composed =
      kivo::ComposeFeedPage(cache, "", 0, true, 2, kivo::TFixedLocaleFormats());
  static_cast<void>(composed.PageHtml.size());
  return 0;
}
