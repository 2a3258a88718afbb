// Parses, converts and writes the item cache of one generated 1 MB feed, for
// callgrind: bench/run.sh --callgrind-convert counts the instructions of
// ParseConvertWrite alone and divides them by the size printed here.
//   convert_once [koi8] [TIMES]   TIMES conversions, for perf
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench/BenchInputs.h"
#include "feeds/FeedConversion.h"
#include "feeds/XmlParser.h"

namespace kivo {

[[gnu::noinline]] std::size_t ParseConvertWrite(std::string_view feed) {
  TmoxXMLParser2 source;
  source.LoadFromBuffer(feed);
  TConversionSettings settings;
  settings.DeclaredEncoding = DeclaredEncoding(source);
  return ConvertFeed(source, settings, {}).Text().size();
}

}  // namespace kivo

int main(int argc, char** argv) {
  std::string feed = kivo::BenchFeed(1u << 20);
  int arg = 1;
  if (argc > arg && std::string_view(argv[arg]) == "koi8") {
    feed = kivo::Koi8Copy(feed);
    ++arg;
  }
  const int times = argc > arg ? std::atoi(argv[arg]) : 1;
  std::size_t cache = 0;
  for (int i = 0; i < times; ++i) cache = kivo::ParseConvertWrite(feed);
  std::printf("%zu %zu\n", feed.size(), cache);
  return 0;
}
