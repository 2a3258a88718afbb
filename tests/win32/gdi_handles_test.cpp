#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/win32/GdiHandles.h"

namespace kivo {
namespace {

std::vector<int> freed;
void RecordFree(int handle) {
  freed.push_back(handle);
}
using TCounted = TUniqueHandle<int, RecordFree>;

TEST(GdiHandles, EveryHandleIsFreedExactlyOnceThroughMovesResetsAndRelease) {
  freed.clear();
  {
    TCounted first(1);
    TCounted second(std::move(first));
    EXPECT_FALSE(first);
    TCounted third(3);
    third = std::move(second);  // frees 3, takes 1
    third.Reset(4);             // frees 1
    TCounted fourth(5);
    EXPECT_EQ(fourth.Release(), 5);
  }  // frees 4
  EXPECT_EQ(freed, (std::vector<int>{3, 1, 4}));
}

TEST(GdiHandles, BackBufferOfAnEmptyClientStillDrawsAndPresentsAtTheOrigin) {
  struct TCase {
    SIZE Size;
    int PresentedWidth;
  };
  for (const TCase c : {TCase{{3, 2}, 3}, TCase{{0, 0}, 1}}) {
    const TDibSurface target(4, 4);
    std::fill_n(target.Pixels(), 16, 0u);
    {
      const TBackBuffer buffer(target.Dc(), c.Size);
      ASSERT_NE(buffer.Dc(), nullptr);
      const RECT all{0, 0, 4, 4};
      FillRect(buffer.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      buffer.Present();
    }
    GdiFlush();
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(target.Pixels()[x] & 0xFFFFFF, x < c.PresentedWidth ? 0xFFFFFFu : 0u)
          << c.Size.cx << " x=" << x;
    }
  }
}

}  // namespace
}  // namespace kivo
