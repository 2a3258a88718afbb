// How render tests compare a picture with its committed reference, and when
// they write the references instead (KIVO_UPDATE_REFERENCES=1).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/Bitmap.h"

namespace kivo::testing {

inline bool UpdatingReferences() {
  const char* update = std::getenv("KIVO_UPDATE_REFERENCES");
  return update != nullptr && std::string(update) == "1";
}

// Fonts differ a little between machines: a few pixels may be off, by at
// most one in fifty. The colour channels count, and alpha too when asked.
inline ::testing::AssertionResult LooksLike(const TBitmap32& actual, const TBitmap32& expected,
                                            bool withAlpha = false) {
  if (actual.Width != expected.Width || actual.Height != expected.Height) {
    return ::testing::AssertionFailure() << "size " << actual.Width << "x" << actual.Height << ", reference "
                                         << expected.Width << "x" << expected.Height;
  }
  std::size_t differing = 0;
  for (std::size_t i = 0; i < actual.Pixels.size(); ++i) {
    for (int shift = 0; shift < (withAlpha ? 32 : 24); shift += 8) {
      const int a = static_cast<int>(actual.Pixels[i] >> shift & 0xFF);
      const int e = static_cast<int>(expected.Pixels[i] >> shift & 0xFF);
      if (std::abs(a - e) > 48) {
        ++differing;
        break;
      }
    }
  }
  if (differing * 50 > actual.Pixels.size()) {
    return ::testing::AssertionFailure() << differing << " of " << actual.Pixels.size() << " pixels differ";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kivo::testing
