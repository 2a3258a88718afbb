// What the HTML engine draws with and measures by. The Win32 control gives GDI
// behind these; tests give fixed metrics and a recording canvas.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Bitmap.h"
#include "base/Geometry.h"

namespace kivo {

struct TFontSpec {
  std::u16string Face;
  int SizePx = 13;  // character height in pixels
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strike = false;
  int Charset = 204;  // Cyrillic
  friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

class IFontMetrics {
 public:
  virtual ~IFontMetrics() = default;
  virtual int TextWidth(const TFontSpec& font, std::u16string_view text) = 0;
  // Ascent + descent; lines are this high (plus leading the engine adds).
  virtual int LineHeight(const TFontSpec& font) = 0;
  virtual int Ascent(const TFontSpec& font) = 0;
};

class ICanvas {
 public:
  virtual ~ICanvas() = default;
  virtual void FillRect(const TRect& rect, TColor color) = 0;
  virtual void FrameRect(const TRect& rect, TColor color) = 0;
  // `y` is the top of the text line; underline and strike-out come with the font.
  virtual void DrawText(int x, int y, const TFontSpec& font, TColor color, std::u16string_view text) = 0;
  // Stretched into `rect`, alpha-blended. The same `stamp` (not 0) always
  // comes with the same pixels: a canvas may keep what it made of them.
  virtual void DrawImage(const TRect& rect, const TBitmap32& image, std::uint64_t stamp) = 0;
};

}  // namespace kivo
