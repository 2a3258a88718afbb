// The reader window's thread under real GDI metrics (Windows, or Wine): a tab
// switch until the page is painted, a relayout on resize, and marking every
// theme of a long feed. Prints the median of each, with its goal.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "feeds/FeedConversion.h"
#include "feeds/PageComposition.h"
#include "feeds/XmlParser.h"
#include "plugin/win32/ReaderForm.h"
#include "reader/ReaderWindow.h"
#include "tests/support/FeedGenerator.h"

namespace kivo {
namespace {

class BenchHost final : public IReaderHost {
 public:
  TRSS* Feeds() override { return &rss; }
  TPluginGlobals& Globals() override { return globals; }
  bool TrayBlinking() const override { return false; }
  void SetTrayBlinking(bool) override {}
  void ShowNotification(TNotice, const std::string&, const std::string&, int) override {}
  void SetContactNew(int, bool) override {}
  void SetContactCounts(int, int, int) override {}
  void ReportFailure(std::string_view what) noexcept override {
    std::fprintf(stderr, "failure: %.*s\n", static_cast<int>(what.size()), what.data());
  }

  TRSS rss;
  TPluginGlobals globals;
};

std::string ItemCache(std::size_t items, std::uint32_t seed) {
  TmoxXMLParser2 source;
  source.LoadFromString(GenerateRssItems(items, seed));
  return ConvertFeed(source, {}, {}).Text();
}

void AddFeed(BenchHost& host, const std::string& title, std::size_t items, bool asList) {
  tchannels& feed = host.rss.Channels.emplace_back();
  feed.Title = title;
  feed.Url = "http://bench.test/" + title;
  feed.TitleTag = "title";
  feed.DescriptionTag = "description";
  feed.ShowPanel = asList;
  feed.PanelSize = 200;
  feed.ItemCacheText = ItemCache(items, static_cast<std::uint32_t>(items));
  feed.Items = ReadThemes(feed.ItemCacheText, "");
}

double Milliseconds(const std::function<void()>& step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

BOOL CALLBACK TakeReader(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring(name) != L"TForm1") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void PaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

// Paints what a step left invalid, as the message loop would next: the parts
// that changed, not the whole window.
void PaintInvalid(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

BOOL CALLBACK TimeChild(HWND child, LPARAM) {
  if (GetParent(child) != GetAncestor(child, GA_ROOT)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(child, name, 64);
  const double ms = Milliseconds([&] { PaintNow(child); });
  const double paintOnly = Milliseconds([&] {
    InvalidateRect(child, nullptr, FALSE);
    UpdateWindow(child);
  });
  const double eraseOnly = Milliseconds([&] {
    HDC dc = GetDC(child);
    SendMessageW(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(child, dc);
  });
  std::printf("  repaint of %-30ls %9.2f ms (no erase %.2f, erase alone %.2f)\n", name, ms, paintOnly,
              eraseOnly);
  return TRUE;
}

void Report(const char* what, double ms, double goal) {
  std::printf("%-52s %9.2f ms   goal %5.0f ms   %s\n", what, ms, goal, ms < goal ? "met" : "NOT met");
}

int Run() {
  BenchHost host;
  AddFeed(host, "short", 1, true);
  AddFeed(host, "page200", 200, false);
  AddFeed(host, "list3000", 3000, true);
  const std::unique_ptr<tgradientsclass> skin = CreateWin32Skin();
  const std::unique_ptr<IReaderWindow> made = CreateWin32ReaderWindow(skin.get(), host);
  auto& reader = dynamic_cast<TReaderWindow&>(*made);
  for (int i = 0; i <= host.rss.High(); ++i) {
    reader.AddFeedMenuItem(host.rss.Channels[static_cast<std::size_t>(i)].Title, "", i);
    reader.AddTab(host.rss.Channels[static_cast<std::size_t>(i)].Title + "|wu");
  }
  reader.SetPlacement(TRect::OfSize(40, 40, 800, 600));
  reader.SetVisible(true);
  reader.TabControl1Change();
  HWND window = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &TakeReader, reinterpret_cast<LPARAM>(&window));
  if (window == nullptr) {
    std::fprintf(stderr, "no reader window\n");
    return 1;
  }
  PaintNow(window);

  const double first = Milliseconds([&] {
    reader.SelectTab(1);
    PaintNow(window);
  });
  // From the painted tab 0 to tab 1, painted by `paint`.
  const auto timeSwitch = [&](const std::function<void()>& paint) {
    reader.SelectTab(0);
    PaintNow(window);
    return Milliseconds([&] {
      reader.SelectTab(1);
      paint();
    });
  };
  std::vector<double> switches;
  std::vector<double> invalidSwitches;
  std::vector<double> switchesAlone;
  for (int i = 0; i < 15; ++i) {
    switches.push_back(timeSwitch([&] { PaintNow(window); }));
    invalidSwitches.push_back(timeSwitch([&] { PaintInvalid(window); }));
    switchesAlone.push_back(timeSwitch([] {}));
  }
  PaintNow(window);
  std::vector<double> relayouts;
  std::vector<double> relayoutsAlone;
  std::vector<double> relayoutsWhole;
  for (int i = 0; i < 15; ++i) {
    const auto place = [&](int step) {
      reader.SetPlacement(TRect::OfSize(40, 40, step % 2 == 0 ? 840 : 800, step % 2 == 0 ? 640 : 600));
    };
    relayoutsAlone.push_back(Milliseconds([&] { place(3 * i); }));
    PaintInvalid(window);
    relayouts.push_back(Milliseconds([&] {
      place(3 * i + 1);
      PaintInvalid(window);
    }));
    relayoutsWhole.push_back(Milliseconds([&] {
      place(3 * i + 2);
      PaintNow(window);
    }));
  }
  std::vector<double> repaints;
  for (int i = 0; i < 9; ++i) repaints.push_back(Milliseconds([&] { PaintNow(window); }));
  reader.SelectTab(2);
  PaintNow(window);
  std::vector<double> marksAlone;
  for (int i = 0; i < 9; ++i)
    marksAlone.push_back(Milliseconds([&] { reader.N11Click(i % 2 == 0 ? 1 : 0); }));
  std::vector<double> marks;
  for (int i = 0; i < 9; ++i) {
    marks.push_back(Milliseconds([&] {
      reader.N11Click(i % 2 == 0 ? 1 : 0);
      PaintNow(window);
    }));
  }

  std::printf("reader_ui_bench: median of repeated runs, the window at 800 x 600\n");
  Report("tab switch to the painted page, 200 themes, first", first, 50);
  Report("tab switch to the painted page, 200 themes, again", Median(switches), 50);
  Report("tab switch, painting what it invalidated", Median(invalidSwitches), 50);
  std::printf("%-52s %9.2f ms\n", "  of that, the switch without the painting", Median(switchesAlone));
  Report("relayout on resize, that page shown, no painting", Median(relayoutsAlone), 16);
  Report("relayout on resize, painting what it invalidated", Median(relayouts), 16);
  Report("relayout on resize, the whole window repainted", Median(relayoutsWhole), 16);
  Report("mark all 3000 themes read or unread, painted", Median(marks), 50);
  std::printf("%-52s %9.2f ms\n", "  of that, the marking without the painting", Median(marksAlone));
  std::printf("%-52s %9.2f ms\n", "a repaint of the whole window, nothing changed", Median(repaints));
  // KIVO_BENCH_CHILDREN=1: what each control's repaint costs, and the viewer's
  // own relayout at a new width.
  if (getenv("KIVO_BENCH_CHILDREN") != nullptr) {
    EnumChildWindows(window, &TimeChild, 0);
    reader.SelectTab(1);
    PaintNow(window);
    HWND viewer = FindWindowExW(window, nullptr, L"KivoHtmlViewer", nullptr);
    RECT client{};
    GetClientRect(viewer, &client);
    std::vector<double> layouts;
    for (int i = 0; i < 9; ++i) {
      layouts.push_back(Milliseconds(
          [&] { SendMessageW(viewer, WM_SIZE, 0, MAKELPARAM(client.right - (i % 2) * 40, client.bottom)); }));
    }
    std::printf("%-52s %9.2f ms\n", "  the viewer's relayout alone", Median(layouts));
  }
  return 0;
}

}  // namespace
}  // namespace kivo

int main() {
  return kivo::Run();
}
