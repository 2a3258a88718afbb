// What a start costs the window's thread with 200 feeds of 200 items: the
// settings and the feed table read as PM_RUN reads them (one INI, every
// feed's read marks), then the first shown feed's cache read and its page
// composed. The other feeds' item caches are read on a worker; its time is
// the second row, and the third is the whole reading as a start did it
// before, all on the window's thread.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/BenchInputs.h"
#include "feeds/FeedConversion.h"
#include "feeds/FeedTable.h"
#include "feeds/ItemCacheReads.h"
#include "feeds/PageComposition.h"
#include "feeds/ReadMarks.h"
#include "feeds/XmlParser.h"
#include "platform/Locale.h"
#include "plugin/PluginSettings.h"

namespace kivo {

constexpr int kFeeds = 200;
constexpr int kItems = 200;

namespace {

namespace fs = std::filesystem;

struct TStartFolder {
  fs::path dir;
  std::vector<std::string> feedLines;
  double cacheBytes = 0;
  ~TStartFolder() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
};

// A plugin folder as 200 feeds leave it: the INI with a section per feed, and
// in "Cache" an item cache and a read-marks file (every third theme read).
TStartFolder& Folder() {
  static TStartFolder folder = [] {
    TStartFolder made;
    made.dir =
        fs::temp_directory_path() / std::string("kivo_startup_bench_").append(std::to_string(getpid()));
    fs::create_directories(made.dir / "Cache");
    std::string ini;
    for (int f = 0; f < kFeeds; ++f) {
      // Built by appending: GCC 12 warns falsely on a literal + std::string.
      const std::string url = std::string("http://feeds").append(std::to_string(f)).append(".example/rss");
      made.feedLines.push_back(std::string(url).append("|Feed ").append(std::to_string(f)));
      TmoxXMLParser2 source;
      source.LoadFromString(GenerateRssItems(kItems, kBenchSeed + static_cast<uint32_t>(f)));
      const TConvertedFeed converted = ConvertFeed(source, {}, {});
      const std::string cache = converted.Text();
      std::string marks;
      int n = 0;
      for (const tchannelrecord& theme : ReadThemes(cache, {})) {
        if (n++ % 3 == 0) marks.append(ThemeKey(theme)).append("=1\r\n");
      }
      const fs::path cacheFile = ItemCacheFile(made.dir / "Cache", url).Std();
      WriteBytes(cacheFile, cache);
      WriteBytes(ReadMarksFileName(cacheFile).Std(), marks);
      ini.append("[").append(cacheFile.filename().string());
      ini.append(
          "]\r\nPanelSize=200\r\nShow_Panel=1\r\nnet_file_size=123456\r\nLast_Updated=45000.5\r\nShowBaloon="
          "1\r\n");
      made.cacheBytes += static_cast<double>(cache.size());
    }
    WriteBytes(made.dir / "KivoRss.ini", ini);
    return made;
  }();
  return folder;
}

TSettingsContext Context(bool deferItemCaches) {
  TSettingsContext context;
  context.IniPath = Folder().dir / "KivoRss.ini";
  context.PluginFolder = Folder().dir;
  context.CacheFolder = CacheDir(Folder().dir);
  context.Now = [] { return TDateTime(45000.5); };
  context.ComposePage = [](TRSS& rss, int i) { MakeFeedThemes(rss, i); };
  context.LoadReadMarks = [](TRSS& rss, int i) { LoadReadMarks(rss, i); };
  context.DeferItemCaches = deferItemCaches;
  return context;
}

void StartOnce(TRSS& rss, bool deferItemCaches) {
  TPluginGlobals globals;
  globals.FeedLines = Folder().feedLines;
  LoadSettings(globals, rss, Context(deferItemCaches));
  ReadPendingItemCache(rss, 0);
  MakeFeedPage(rss, 0, 2, TFixedLocaleFormats());
}

void WindowThread(benchmark::State& state) {
  for (auto _ : state) {
    TRSS rss;
    StartOnce(rss, true);
    benchmark::DoNotOptimize(rss.Channels[0].PageHtml.size());
    state.PauseTiming();  // the table's teardown is no part of a start
    rss = TRSS();
    state.ResumeTiming();
  }
}

void Worker(benchmark::State& state) {
  const std::atomic<bool> running{false};
  for (auto _ : state) {
    state.PauseTiming();
    TRSS rss;
    StartOnce(rss, true);
    state.ResumeTiming();
    const TItemCacheReads reads = ReadItemCaches(PendingItemCaches(rss), running);
    benchmark::DoNotOptimize(reads.Feeds.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Folder().cacheBytes));
}

void AllOnTheWindowThread(benchmark::State& state) {
  for (auto _ : state) {
    TRSS rss;
    StartOnce(rss, false);
    benchmark::DoNotOptimize(rss.Channels[0].PageHtml.size());
    state.PauseTiming();
    rss = TRSS();
    state.ResumeTiming();
  }
}

BENCHMARK(WindowThread)->Name("start/window thread, 200 x 200")->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(Worker)->Name("start/worker: the other item caches")->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(AllOnTheWindowThread)
    ->Name("start/everything on the window thread (before)")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1);

}  // namespace

TStartFolder& BenchFolder() {
  return Folder();
}

}  // namespace kivo

int main(int argc, char** argv) {
  std::printf("start-up of %d feeds x %d items, %.1f MB of item caches\n", kivo::kFeeds, kivo::kItems,
              kivo::BenchFolder().cacheBytes / 1e6);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
