// Loads arbitrary bytes as a page into the viewer's engine, lays it out at two
// widths, paints it, answers its picture requests and runs the selection,
// find and hit-test operations over it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "viewer/HtmlView.h"

namespace {

class TFuzzMetrics : public kivo::IFontMetrics {
 public:
  int TextWidth(const kivo::TFontSpec& font, std::u16string_view text) override {
    int width = 0;
    for (const char16_t c : text) width += (c % 7 + 3) * font.SizePx / 10;
    return width;
  }
  int LineHeight(const kivo::TFontSpec& font) override { return font.SizePx + 3; }
  int Ascent(const kivo::TFontSpec& font) override { return font.SizePx; }
};

class TNullCanvas : public kivo::ICanvas {
 public:
  void FillRect(const kivo::TRect&, kivo::TColor) override { ++calls; }
  void FrameRect(const kivo::TRect&, kivo::TColor) override { ++calls; }
  void DrawText(int, int, const kivo::TFontSpec&, kivo::TColor, std::u16string_view text) override {
    calls += text.size();
  }
  void DrawImage(const kivo::TRect&, const kivo::TBitmap32& image) override {
    calls += image.Pixels.size() & 1;
  }
  std::size_t calls = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzMetrics metrics;
  kivo::THtmlView view(metrics);
  view.SetViewport(300, 200);
  view.LoadHtml(std::string_view(reinterpret_cast<const char*>(data), size));
  bool wide = true;
  for (const std::string& source : view.TakeImageRequests()) {
    kivo::TBitmap32 picture;
    if (wide)
      picture = {static_cast<int>(source.size() % 50) + 1, 7,
                 std::vector<uint32_t>((source.size() % 50 + 1) * 7)};
    view.InsertImage(source, wide ? std::optional(picture) : std::nullopt);
    wide = !wide;
  }
  TNullCanvas canvas;
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
