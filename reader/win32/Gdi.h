// Small GDI owners and drawing helpers of the reader window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "imaging/Bitmap.h"
#include "viewer/Canvas.h"

namespace kivo::gdi {

struct TObjectDeleter {
  void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
using TFont = std::unique_ptr<std::remove_pointer_t<HFONT>, TObjectDeleter>;
using TBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, TObjectDeleter>;
using TBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, TObjectDeleter>;

struct TMenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using TMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, TMenuDeleter>;

// Keeps an object selected into a DC for the guard's lifetime.
class TSelect {
 public:
  TSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~TSelect() { SelectObject(dc_, previous_); }
  TSelect(const TSelect&) = delete;
  TSelect& operator=(const TSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// 0x00RRGGBB <-> COLORREF.
COLORREF ToColorRef(TColor color);
TColor FromColorRef(COLORREF color);

void Fill(HDC dc, const RECT& rect, COLORREF color);
void Frame(HDC dc, const RECT& rect, COLORREF color);
// Text in 8-bit windows-1251 at (x, y), transparent, clipped to `clip`.
void TextAt(HDC dc, int x, int y, const std::string& text, COLORREF color, const RECT& clip);
std::wstring Wide(const std::string& text);

// A picture alpha-blended at (x, y), stretched to width x height (0: its own size).
void DrawPicture(HDC dc, int x, int y, const TBitmap32& picture, int width = 0, int height = 0);
// The picture's top-left part copied into `rect` (no stretching, no blending).
void DrawPiece(HDC dc, const RECT& rect, const TBitmap32& picture);

// The windows-1251 default GUI font in a given weight.
TFont GuiFont(bool bold);

}  // namespace kivo::gdi
