// GDI behind the engine's drawing and measuring interfaces.
#pragma once

#include <windows.h>

#include <deque>

#include "ui/win32/GdiHandles.h"
#include "viewer/Canvas.h"

namespace kivo {

// Fonts made on first use of a TFontSpec and kept; measures on its own
// memory DC, so it serves layout outside painting too.
class TGdiFonts final : public IFontMetrics {
 public:
  TGdiFonts();

  HFONT Font(const TFontSpec& font);

  int TextWidth(const TFontSpec& font, std::u16string_view text) override;
  int LineHeight(const TFontSpec& font) override;
  int Ascent(const TFontSpec& font) override;

 private:
  struct TEntry {
    TFontSpec Spec;
    TUniqueFont Font;
    TEXTMETRICW Metrics{};
  };
  const TEntry& EntryFor(const TFontSpec& font);

  TUniqueMemoryDc dc_;
  std::deque<TEntry> entries_;
};

// Draws on a DC in its own coordinates.
class TGdiCanvas final : public ICanvas {
 public:
  TGdiCanvas(HDC dc, TGdiFonts& fonts);
  ~TGdiCanvas() override;
  TGdiCanvas(const TGdiCanvas&) = delete;
  TGdiCanvas& operator=(const TGdiCanvas&) = delete;

  void FillRect(const TRect& rect, TColor color) override;
  void FrameRect(const TRect& rect, TColor color) override;
  void DrawText(int x, int y, const TFontSpec& font, TColor color, std::u16string_view text) override;
  void DrawImage(const TRect& rect, const TBitmap32& image) override;

 private:
  HDC dc_;
  TGdiFonts& fonts_;
  int savedState_;
};

COLORREF ToColorRef(TColor color);

}  // namespace kivo
