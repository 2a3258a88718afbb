// Peak memory of a feed conversion against the size of the document: the
// document read into memory, parsed, converted into the item cache, the
// source freed and the cache written as text, as a feed's load does. Every
// allocation of the program goes through the counting operator new below.
// Prints one row per input and the bound: four times the document plus 16 MB.
//
// Built natively and, for the messenger's own pointer and node size, for
// i686 Windows (bench/run.sh --win32 runs it under Wine).
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "feeds/FeedConversion.h"
#include "feeds/XmlParser.h"
#include "tests/support/FeedGenerator.h"

namespace {

// Each block carries its size in front, so that the unsized delete can count it.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

void* CountedAllocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  const std::size_t live = liveBytes.fetch_add(size) + size;
  std::size_t peak = peakBytes.load();
  while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
  }
  return block + kHeader;
}

void CountedFree(void* memory) noexcept {
  if (memory == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(memory) - kHeader;
  liveBytes.fetch_sub(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
  return CountedAllocate(size);
}
void* operator new[](std::size_t size) {
  return CountedAllocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedAllocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* memory) noexcept {
  CountedFree(memory);
}
void operator delete[](void* memory) noexcept {
  CountedFree(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  CountedFree(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  CountedFree(memory);
}

namespace kivo {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::uint32_t kSeed = 20240501;

std::string Repeated(std::string_view piece, std::size_t bytes) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?><rss><channel><title>tiny</title>";
  xml.reserve(bytes + piece.size() + 64);
  while (xml.size() < bytes) xml += piece;
  return xml + "</channel></rss>";
}

struct TMeasure {
  std::size_t Peak = 0;  // above what was live before, the document included
  std::size_t SourceTree = 0;
  std::size_t Items = 0;
  std::size_t CacheText = 0;
  bool StoppedAtBudget = false;
};

// The document is moved in, as LoadFeed's file read is, and counted once at
// its size: a file is read into a string of its exact size.
TMeasure Convert(std::string document) {
  document.shrink_to_fit();
  const std::size_t before = liveBytes.load() - document.capacity();
  peakBytes = liveBytes.load();
  TMeasure measure;
  TConvertedFeed converted;
  {
    TmoxXMLParser2 source;
    SetFeedTreeBudget(source);
    source.LoadFromString(std::move(document));
    measure.SourceTree = source.TreeBytes();
    measure.StoppedAtBudget = source.ErrorText().starts_with("Tree over its memory budget");
    TConversionSettings settings;
    settings.DeclaredEncoding = DeclaredEncoding(source);
    converted = ConvertFeed(source, settings, {});
  }
  measure.Items = static_cast<std::size_t>(converted.ItemCount());
  measure.CacheText = converted.Text().size();
  measure.Peak = peakBytes.load() - before;
  return measure;
}

double InMiB(std::size_t bytes) {
  return static_cast<double>(bytes) / static_cast<double>(kMiB);
}

void Row(const char* what, std::string document) {
  const std::size_t size = document.size();
  TMeasure m;
  try {
    m = Convert(std::move(document));
  } catch (const std::bad_alloc&) {
    std::printf("%-34s %8.1f  out of memory\n", what, InMiB(size));
    return;
  }
  const std::size_t bound = 4 * size + 16 * kMiB;
  std::printf("%-34s %8.1f %9.1f %6.2f %9.1f %9.1f %6zu %-6s %s\n", what, InMiB(size), InMiB(m.Peak),
              static_cast<double>(m.Peak) / static_cast<double>(size), InMiB(bound), InMiB(m.SourceTree),
              m.Items, m.StoppedAtBudget ? "yes" : "no", m.Peak <= bound ? "within" : "OVER");
}

}  // namespace
}  // namespace kivo

int main() {
  using namespace kivo;
  std::printf("pointer %zu bytes, XML node %zu bytes\n", sizeof(void*), sizeof(TmoxXMLNode2));
  std::printf("%-34s %8s %9s %6s %9s %9s %6s %-6s %s\n", "document", "MiB", "peak MiB", "x doc", "bound MiB",
              "tree MiB", "items", "budget", "peak vs 4 x doc + 16 MiB");
  const std::string_view tiny = "<item><title>t</title><link/></item>";
  Row("tiny items, 8 MB", Repeated(tiny, 8'000'000));
  Row("tiny items, 32 MiB", Repeated(tiny, 32 * kMiB));
  Row("empty elements <a/>, 8 MB", Repeated("<a/>", 8'000'000));
  Row("attributes a=\"\", 8 MB", Repeated("<a a=\"\" b=\"\" c=\"\" d=\"\" e=\"\"/>", 8'000'000));
  Row("generated feed, 1 MiB", GenerateRssFeed(kMiB, kSeed));
  Row("generated feed, 32 MiB", GenerateRssFeed(32 * kMiB, kSeed));
  return 0;
}
