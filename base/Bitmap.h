// A decoded picture: 32-bit pixels, 0xAARRGGBB (straight alpha), rows top-down.
#pragma once

#include <cstdint>
#include <vector>

namespace kivo {

struct TBitmap32 {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;  // Width * Height entries
};

// The picture premultiplied by its alpha, as the system's blending takes it,
// and shrunk by averaging to at most width x height: a side already that
// small stays as it is, so that the result never takes more than the
// picture. Empty for a malformed picture.
TBitmap32 PremultipliedShrunk(const TBitmap32& picture, int width, int height);

}  // namespace kivo
