// Fonts and canvases without a screen, for the viewer's tests, benchmark and
// fuzzer: fixed metrics give layouts a test can compute by hand.
#pragma once

#include <cstddef>
#include <string_view>

#include "viewer/Canvas.h"

namespace kivo::testing {

inline constexpr int kCharWidth = 7;
inline constexpr int kLineHeight = 16;
inline constexpr int kAscent = 12;

// Every character 7 px wide, every line 16 px high, whatever the font.
class FixedMetrics final : public IFontMetrics {
 public:
  int TextWidth(const TFontSpec&, std::u16string_view text) override {
    return kCharWidth * static_cast<int>(text.size());
  }
  int LineHeight(const TFontSpec&) override { return kLineHeight; }
  int Ascent(const TFontSpec&) override { return kAscent; }
};

// Counts what it is asked to draw, so the drawing cannot be optimised away.
class CountingCanvas final : public ICanvas {
 public:
  void FillRect(const TRect&, TColor) override { ++calls; }
  void FrameRect(const TRect&, TColor) override { ++calls; }
  void DrawText(int, int, const TFontSpec&, TColor, std::u16string_view text) override {
    calls += text.size();
  }
  void DrawImage(const TRect&, const TBitmap32& image, std::uint64_t) override {
    calls += image.Pixels.size() & 1;
  }
  std::size_t calls = 0;
};

}  // namespace kivo::testing
