// The small images of the options dialog, drawn with GDI: one per page of
// the page list, and the two marks of a feed shown as a special contact or not.
#pragma once

#include <windows.h>

namespace kivo {

inline constexpr int kImageSpecContact = 5;
inline constexpr int kImageNoContact = 6;

// A 16 x 16 image at (x, y); an index outside 0 to 6 draws nothing.
void DrawOptionImage(HDC dc, int x, int y, int index);

}  // namespace kivo
