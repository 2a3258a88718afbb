// GDI drawing helpers: colours, fills, 8-bit text, and decoded pictures as
// DIB sections drawn with their alpha.
#pragma once

#include <windows.h>

#include <string>

#include "base/Bitmap.h"
#include "base/Geometry.h"
#include "ui/win32/GdiHandles.h"

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

// The windows-1251 default GUI font in a given weight; `quality` as LOGFONT's.
TUniqueFont GuiFont(bool bold, BYTE quality = DEFAULT_QUALITY);

}  // namespace kivo::gdi

namespace kivo {

// AlphaBlend and UpdateLayeredWindow take premultiplied pixels; image lists
// take straight ones and blend them themselves.
enum class TAlphaForm { Premultiplied, Straight };

// A top-down 32-bit DIB section of the picture; null when GDI refuses.
TUniqueBitmap MakeDibSection(const TBitmap32& picture, TAlphaForm form = TAlphaForm::Premultiplied);

// A premultiplied bitmap of `size` alpha-blended into `place`, through the
// memory DC `source`, which it leaves as it found it.
void BlendBitmap(HDC dc, const RECT& place, HDC source, HBITMAP bitmap, SIZE size);

// A picture alpha-blended at (x, y), stretched to width x height (0: its own size).
void DrawPicture(HDC dc, int x, int y, const TBitmap32& picture, int width = 0, int height = 0);

// Sets the window's vertical scroll bar (range, page, position of `info`)
// when it changed, and leaves its drawing to the next paint: drawn at once,
// a bar costs more than laying out a whole page.
void SetVerticalScrollBar(HWND window, SCROLLINFO info);

}  // namespace kivo
