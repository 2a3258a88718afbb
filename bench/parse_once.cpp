// Parses one generated 1 MB feed once, for callgrind: bench/run.sh
// --callgrind counts the instructions of LoadFromBuffer alone and divides
// them by the size printed here.
#include <cstdio>
#include <string>

#include "bench/BenchInputs.h"
#include "feeds/XmlParser.h"

int main() {
  const std::string feed = kivo::BenchFeed(1u << 20);
  kivo::TmoxXMLParser2 doc;
  doc.LoadFromBuffer(feed);
  std::printf("%zu %zu\n", feed.size(), doc.ChildCount());
  return 0;
}
