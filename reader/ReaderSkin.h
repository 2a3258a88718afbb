// tgradientsclass: the reader window's six background bitmaps, as wide as the
// window, each shaded from one base colour. The view draws tabs, theme-list
// header and selection, and the splitter bar from them.
#pragma once

#include <array>

#include "base/Bitmap.h"
#include "base/Geometry.h"

namespace kivo {

// The system colours the bitmaps start from, 0x00RRGGBB.
struct TSkinColors {
  TColor ButtonFace = 0xF0F0F0;
  TColor MenuHighlight = 0x3399FF;
  TColor GradientActiveCaption = 0xB9D1EA;
  TColor HeaderFace = 0xF0F0F0;  // bitmap 0: the button face until a theme change, then white
};

class tgradientsclass final {
 public:
  static constexpr int kBitmaps = 6;
  static constexpr std::array<int, kBitmaps> kHeights = {18, 18, 7, 25, 25, 25};
  static constexpr TColor kNewsColor = 0x00FF00;  // lime

  explicit tgradientsclass(const TSkinColors& colors, int width = 0);

  // Rebuilds every bitmap at the new width.
  void SetWidth(int width);
  // The visual theme changed: the system colours are read again and the
  // header bitmap turns white.
  void ThemeChanged(TSkinColors system);

  int Width() const { return width_; }
  const TSkinColors& Colors() const { return colors_; }
  // 0 header, 1 selected row, 2 splitter, 3 tab, 4 tab with news, 5 selected tab.
  const TBitmap32& Bitmap(int index) const;

 private:
  void Redraw();

  TSkinColors colors_;
  int width_ = 0;
  std::array<TBitmap32, kBitmaps> bitmaps_;
};

// Line y of H: the base colour darkened by |sin(y / H * 3.1415) * 30|
// (halves to even) on each channel.
TBitmap32 DomeBitmap(TColor base, int width, int height);
// Line i: the base colour with 3 * i added to each channel, at most 255.
TBitmap32 LighteningBitmap(TColor base, int width, int height);

}  // namespace kivo
