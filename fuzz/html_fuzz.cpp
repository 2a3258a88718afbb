// Loads arbitrary bytes as a page into the viewer's engine, lays it out at two
// widths, paints it, answers its picture requests and runs the selection,
// find and hit-test operations over it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/support/FakeCanvas.h"
#include "viewer/HtmlView.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kivo::testing::FixedMetrics metrics;
  kivo::THtmlView view(metrics);
  view.SetViewport(300, 200);
  view.LoadHtml(std::string_view(reinterpret_cast<const char*>(data), size));
  int turn = 0;
  for (const std::string& source : view.TakeImageRequests()) {
    kivo::TBitmap32 picture;
    if (turn % 3 == 0)
      picture = {static_cast<int>(source.size() % 50) + 1, 7,
                 std::vector<uint32_t>((source.size() % 50 + 1) * 7)};
    if (turn % 3 == 2) {
      view.InsertImageAlt(source);  // over the page's budget
    } else {
      view.InsertImage(source, turn % 3 == 0 ? std::optional(picture) : std::nullopt);
    }
    ++turn;
  }
  kivo::testing::CountingCanvas canvas;
  view.Paint(canvas, {0, 0, 300, 200});  // with the layout of before the pictures
  view.LayOutPictures();
  view.Paint(canvas, {0, 0, 300, 200});
  view.SetViewport(57, 90);
  view.ScrollTo(view.DocumentHeight() / 2);
  view.Paint(canvas, {0, 10, 57, 60});
  static_cast<void>(view.SetHover(20, 30));
  static_cast<void>(view.LinkAt(5, 5));
  view.BeginSelection(3, 4);
  view.ExtendSelection(50, 80);
  static_cast<void>(view.SelectedText());
  view.SelectAll();
  static_cast<void>(view.SelectedText());
  view.ClearSelection();
  while (view.Find(u"a")) {
  }
  static_cast<void>(view.ScrollToAnchor("a"));
  return 0;
}
