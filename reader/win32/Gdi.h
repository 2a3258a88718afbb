// Drawing helpers of the reader window.
#pragma once

#include <windows.h>

#include <string>

#include "imaging/Bitmap.h"
#include "platform/win32/GdiHandles.h"
#include "viewer/Canvas.h"

namespace kivo::gdi {

// 0x00RRGGBB <-> COLORREF.
COLORREF ToColorRef(TColor color);
TColor FromColorRef(COLORREF color);

void Fill(HDC dc, const RECT& rect, COLORREF color);
void Frame(HDC dc, const RECT& rect, COLORREF color);
// Text in 8-bit windows-1251 at (x, y), transparent, clipped to `clip`.
void TextAt(HDC dc, int x, int y, const std::string& text, COLORREF color, const RECT& clip);
std::wstring Wide(const std::string& text);

// The picture's top-left part copied into `rect` (no stretching, no blending).
void DrawPiece(HDC dc, const RECT& rect, const TBitmap32& picture);

// The windows-1251 default GUI font in a given weight.
TUniqueFont GuiFont(bool bold);

}  // namespace kivo::gdi
