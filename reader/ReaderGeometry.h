// Where the reader window goes on the screen, and the sizes of its parts.
#pragma once

#include "base/Geometry.h"

namespace kivo {

// Logo width at 25 pixels high, halves to even; a zero height counts as 1.
int LogoWidth(int width, int height);
// Where the reader window goes: a stored left of 0 means never placed, so the
// window keeps its `current` size and is centred; otherwise the stored rect,
// pulled back onto the screen and kept at least 500 x 300.
TRect PlaceReaderWindow(const TRect& stored, const TRect& current, TSize screen);
// The restored placement clamped to the screen (stored left 0: centred).
TRect RestoredPlacement(const TRect& stored, TSize screen);

}  // namespace kivo
