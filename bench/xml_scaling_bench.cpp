// Parse time of generated feeds of 1 MB and 50 MB: a linear parser takes
// about fifty times as long for the larger one.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "feeds/XmlParser.h"
#include "tests/support/FeedGenerator.h"

namespace kivo {
namespace {

constexpr uint32_t kSeed = 20240501;

const std::string& FeedOfMegabytes(int megabytes) {
  static std::map<int, std::string> feeds;
  auto [it, inserted] = feeds.try_emplace(megabytes);
  if (inserted) it->second = GenerateRssFeed(static_cast<std::size_t>(megabytes) << 20, kSeed);
  return it->second;
}

void ParseGeneratedFeed(benchmark::State& state) {
  const std::string& feed = FeedOfMegabytes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto doc = std::make_unique<TmoxXMLParser2>();
    doc->LoadFromBuffer(feed);
    benchmark::DoNotOptimize(doc->ChildCount());
    // Freeing the tree is not part of parsing.
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(feed.size()));
}

BENCHMARK(ParseGeneratedFeed)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond);

// Keeps the seconds per iteration of each size for the summary line.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        secondsPerIteration[run.benchmark_name()] =
            run.real_accumulated_time / static_cast<double>(run.iterations);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> secondsPerIteration;
};

void PrintSummary(const RecordingReporter& reporter) {
  const auto small = reporter.secondsPerIteration.find("ParseGeneratedFeed/1");
  const auto large = reporter.secondsPerIteration.find("ParseGeneratedFeed/50");
  if (small == reporter.secondsPerIteration.end() || large == reporter.secondsPerIteration.end()) return;
  const double smallMb = static_cast<double>(FeedOfMegabytes(1).size()) / (1 << 20);
  const double largeMb = static_cast<double>(FeedOfMegabytes(50).size()) / (1 << 20);
  std::printf("1 MB feed:  %.1f MB/s (%.2f ms)\n", smallMb / small->second, small->second * 1e3);
  std::printf("50 MB feed: %.1f MB/s (%.2f ms)\n", largeMb / large->second, large->second * 1e3);
  std::printf("time ratio 50 MB / 1 MB: %.1f (linear: about %.1f)\n", large->second / small->second,
              largeMb / smallMb);
}

}  // namespace
}  // namespace kivo

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  kivo::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  kivo::PrintSummary(reporter);
  return 0;
}
