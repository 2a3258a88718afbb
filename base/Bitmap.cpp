#include "base/Bitmap.h"

#include <algorithm>

namespace kivo {

namespace {

// One source pixel's premultiplied channels and alpha, added up in 64 bits.
struct TSum {
  std::uint64_t Alpha = 0, Red = 0, Green = 0, Blue = 0, Count = 0;

  void Add(std::uint32_t pixel) {
    const std::uint32_t alpha = pixel >> 24;
    Alpha += alpha;
    Red += (pixel >> 16 & 0xFF) * alpha;
    Green += (pixel >> 8 & 0xFF) * alpha;
    Blue += (pixel & 0xFF) * alpha;
    ++Count;
  }

  // Channels were multiplied by alpha (0..255): divided by 255 and the count once, rounded.
  std::uint32_t Pixel() const {
    const auto channel = [this](std::uint64_t sum) {
      return static_cast<std::uint32_t>((sum + 255 * Count / 2) / (255 * Count));
    };
    const auto alpha = static_cast<std::uint32_t>((Alpha + Count / 2) / Count);
    return alpha << 24 | channel(Red) << 16 | channel(Green) << 8 | channel(Blue);
  }
};

// Where the source cell of target cell `i` of `to` begins along a side of `from`.
int CellStart(int i, int from, int to) {
  return static_cast<int>(static_cast<std::int64_t>(i) * from / to);
}

}  // namespace

TBitmap32 PremultipliedShrunk(const TBitmap32& picture, int width, int height) {
  if (picture.Width < 1 || picture.Height < 1 ||
      picture.Pixels.size() !=
          static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height))
    return {};
  const int w = std::clamp(width, 1, picture.Width);
  const int h = std::clamp(height, 1, picture.Height);
  TBitmap32 out{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * static_cast<std::size_t>(h))};
  for (int y = 0; y < h; ++y) {
    const int top = CellStart(y, picture.Height, h);
    const int bottom = std::max(top + 1, CellStart(y + 1, picture.Height, h));
    for (int x = 0; x < w; ++x) {
      const int left = CellStart(x, picture.Width, w);
      const int right = std::max(left + 1, CellStart(x + 1, picture.Width, w));
      TSum sum;
      for (int sy = top; sy < bottom; ++sy) {
        const std::uint32_t* row = picture.Pixels.data() + static_cast<std::size_t>(sy) * picture.Width;
        for (int sx = left; sx < right; ++sx) sum.Add(row[sx]);
      }
      out.Pixels[static_cast<std::size_t>(y) * w + x] = sum.Pixel();
    }
  }
  return out;
}

}  // namespace kivo
