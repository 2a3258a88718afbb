#include "reader/ReaderSkin.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace kivo {

namespace {

// An opaque pixel with `delta` added to each channel of `base`, clamped.
std::uint32_t Shifted(TColor base, int delta) {
  const auto channel = [delta](TColor value, int shift) {
    const int c = std::clamp(static_cast<int>((value >> shift) & 0xFF) + delta, 0, 255);
    return static_cast<std::uint32_t>(c) << shift;
  };
  return 0xFF000000u | channel(base, 16) | channel(base, 8) | channel(base, 0);
}

TBitmap32 Lines(int width, int height, auto colorOfLine) {
  TBitmap32 bitmap;
  bitmap.Width = std::max(width, 0);
  bitmap.Height = height;
  bitmap.Pixels.reserve(static_cast<std::size_t>(bitmap.Width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) bitmap.Pixels.insert(bitmap.Pixels.end(), bitmap.Width, colorOfLine(y));
  return bitmap;
}

}  // namespace

TBitmap32 DomeBitmap(TColor base, int width, int height) {
  return Lines(width, height, [base, height](int y) {
    const double d = std::abs(std::sin(static_cast<double>(y) / height * 3.1415) * 30);
    return Shifted(base, -static_cast<int>(std::nearbyint(d)));
  });
}

TBitmap32 LighteningBitmap(TColor base, int width, int height) {
  return Lines(width, height, [base](int y) { return Shifted(base, 3 * y); });
}

tgradientsclass::tgradientsclass(const TSkinColors& colors, int width) : colors_(colors), width_(width) {
  Redraw();
}

void tgradientsclass::SetWidth(int width) {
  width_ = width;
  Redraw();
}

void tgradientsclass::ThemeChanged(TSkinColors system) {
  system.HeaderFace = 0xFFFFFF;
  colors_ = system;
  Redraw();
}

const TBitmap32& tgradientsclass::Bitmap(int index) const {
  return bitmaps_.at(static_cast<std::size_t>(index));
}

void tgradientsclass::Redraw() {
  bitmaps_[0] = DomeBitmap(colors_.HeaderFace, width_, kHeights[0]);
  bitmaps_[1] = LighteningBitmap(colors_.MenuHighlight, width_, kHeights[1]);
  bitmaps_[2] = DomeBitmap(colors_.ButtonFace, width_, kHeights[2]);
  bitmaps_[3] = DomeBitmap(colors_.ButtonFace, width_, kHeights[3]);
  bitmaps_[4] = DomeBitmap(kNewsColor, width_, kHeights[4]);
  bitmaps_[5] = DomeBitmap(colors_.GradientActiveCaption, width_, kHeights[5]);
}

}  // namespace kivo
