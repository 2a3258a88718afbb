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

}  // namespace kivo
