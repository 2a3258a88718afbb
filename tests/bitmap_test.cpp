#include "base/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kivo {
namespace {

// Shrunk by straight averaging, a clear white neighbour would lighten a red
// pixel's edge; a larger size would take more memory than the picture.
TEST(PremultipliedShrunk, AveragesPremultipliedPixelsAndNeverGrows) {
  constexpr std::uint32_t kRed = 0xFFFF0000, kClearWhite = 0x00FFFFFF, kBlue = 0xFF0000FF;
  const struct {
    TBitmap32 picture;
    int width, height;
    TBitmap32 shrunk;
  } cases[] = {
      {{2, 2, {kRed, kClearWhite, kClearWhite, kClearWhite}}, 1, 1, {1, 1, {0x40400000}}},
      {{1, 1, {0x80FF8000}}, 1, 1, {1, 1, {0x80804000}}},
      {{3, 1, {kRed, kRed, kBlue}}, 2, 1, {2, 1, {kRed, 0xFF800080}}},
      {{2, 1, {kRed, kBlue}}, 4, 0, {2, 1, {kRed, kBlue}}},
      {{2, 2, {kRed}}, 1, 1, {}},
  };
  for (const auto& c : cases) {
    const TBitmap32 shrunk = PremultipliedShrunk(c.picture, c.width, c.height);
    EXPECT_EQ(std::tuple(shrunk.Width, shrunk.Height, shrunk.Pixels),
              std::tuple(c.shrunk.Width, c.shrunk.Height, c.shrunk.Pixels));
  }
}

}  // namespace
}  // namespace kivo
