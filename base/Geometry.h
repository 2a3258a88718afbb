// Colours, rectangles and sizes in pixels, as every layer draws and places by them.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kivo {

// 0x00RRGGBB.
using TColor = std::uint32_t;

struct TSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// Right and bottom lie just outside the rectangle. Placements come from stored
// settings, so sizes and edges saturate rather than overflow.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  static TRect OfSize(int left, int top, int width, int height) {
    return {left, top, Saturated(std::int64_t{left} + width), Saturated(std::int64_t{top} + height)};
  }
  int Width() const { return Saturated(std::int64_t{Right} - Left); }
  int Height() const { return Saturated(std::int64_t{Bottom} - Top); }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  bool Intersects(const TRect& other) const {
    return Left < other.Right && other.Left < Right && Top < other.Bottom && other.Top < Bottom;
  }
  friend bool operator==(const TRect&, const TRect&) = default;

 private:
  static int Saturated(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
  }
};

}  // namespace kivo
