#include "options/win32/OptionImages.h"

#include "ui/win32/Gdi.h"

namespace kivo {

namespace {

constexpr COLORREF kPageColours[] = {RGB(70, 110, 200), RGB(230, 140, 30), RGB(60, 160, 80),
                                     RGB(150, 80, 170), RGB(120, 120, 120)};

void Box(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  gdi::Fill(dc, RECT{left, top, right, bottom}, colour);
}

}  // namespace

void DrawOptionImage(HDC dc, int x, int y, int index) {
  if (index >= 0 && index < 5) {
    // A framed tile, told apart by colour; enough to mark a page.
    Box(dc, x + 1, y + 1, x + 15, y + 15, kPageColours[index]);
    gdi::Frame(dc, RECT{x + 1, y + 1, x + 15, y + 15}, RGB(40, 40, 40));
    Box(dc, x + 4, y + 4, x + 12, y + 6, RGB(255, 255, 255));
    return;
  }
  if (index == kImageSpecContact) {
    // A person: head and shoulders.
    Box(dc, x + 6, y + 2, x + 11, y + 7, RGB(40, 150, 40));
    Box(dc, x + 3, y + 9, x + 14, y + 15, RGB(40, 150, 40));
  } else if (index == kImageNoContact) {
    Box(dc, x + 6, y + 2, x + 11, y + 7, RGB(170, 170, 170));
    Box(dc, x + 3, y + 9, x + 14, y + 15, RGB(170, 170, 170));
  }
}

}  // namespace kivo
