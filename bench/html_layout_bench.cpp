// The viewer's engine on the page the reader shows most: a composed feed page
// of 200 generated items (Cyrillic text, links, pictures, entities). Times
// parsing plus layout, layout alone at a new width, and painting one screen,
// with metrics that cost next to nothing so that only the engine is timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/BenchInputs.h"
#include "feeds/FeedConversion.h"
#include "feeds/PageComposition.h"
#include "feeds/XmlParser.h"
#include "tests/support/FakeCanvas.h"
#include "viewer/HtmlDocument.h"
#include "viewer/HtmlView.h"

namespace kivo {
namespace {

constexpr std::size_t kItems = 200;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The feed page as the load worker composes it, grown until it holds kItems themes.
std::string FeedPage() {
  for (std::size_t bytes = kItems * 1000;; bytes += bytes / 10) {
    TmoxXMLParser2 source;
    source.LoadFromBuffer(GenerateRssFeed(bytes, kBenchSeed));
    TConversionSettings settings;
    settings.DeclaredEncoding = DeclaredEncoding(source);
    const std::string cache = ConvertFeed(source, settings, {}).Text();
    TComposedFeed composed = ComposeFeedPageWithStamp(cache, "", "06.12.2026 12:00:00", true, 2);
    if (composed.Items.size() >= kItems) {
      std::printf("feed page: %zu themes, %zu bytes\n", composed.Items.size(), composed.PageHtml.size());
      return std::move(composed.PageHtml);
    }
  }
}

const std::string& Page() {
  static const std::string page = FeedPage();
  return page;
}

void LoadAndLayout(benchmark::State& state) {
  testing::FixedMetrics metrics;
  THtmlView view(metrics);
  view.SetViewport(kWidth, kHeight);
  for (auto _ : state) {
    view.LoadHtml(Page());
    benchmark::DoNotOptimize(view.DocumentHeight());
  }
  state.counters["height"] = view.DocumentHeight();
  state.counters["items"] = static_cast<double>(view.Document().Display().Items.size());
}

void Relayout(benchmark::State& state) {
  testing::FixedMetrics metrics;
  THtmlView view(metrics);
  view.SetViewport(kWidth, kHeight);
  view.LoadHtml(Page());
  int width = kWidth;
  for (auto _ : state) {
    width = width == kWidth ? kWidth - 37 : kWidth;
    view.SetViewport(width, kHeight);
    benchmark::DoNotOptimize(view.DocumentHeight());
  }
}

void PaintScreen(benchmark::State& state) {
  testing::FixedMetrics metrics;
  THtmlView view(metrics);
  view.SetViewport(kWidth, kHeight);
  view.LoadHtml(Page());
  view.SelectAll();
  view.ScrollTo(view.DocumentHeight() / 2);
  testing::CountingCanvas canvas;
  for (auto _ : state) view.Paint(canvas, {0, 0, kWidth, kHeight});
  state.counters["calls"] = static_cast<double>(canvas.calls) / static_cast<double>(state.iterations());
}

BENCHMARK(LoadAndLayout)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(Relayout)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(PaintScreen)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

}  // namespace
}  // namespace kivo

BENCHMARK_MAIN();
