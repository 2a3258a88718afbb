// GDI behind the engine's drawing and measuring interfaces.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

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
    // Widths already measured: a page measures the same words at every
    // layout, and each measure is a trip through GDI.
    std::unordered_map<std::u16string, int> Widths;
  };
  TEntry& EntryFor(const TFontSpec& font);

  TUniqueMemoryDc dc_;
  std::deque<TEntry> entries_;
};

// Pictures made ready for blending once: premultiplied and shrunk to the
// size they are drawn at, kept by the stamp of their pixels from paint to
// paint. It holds a few hundred of them, 64 MB at most; the viewer empties
// it with each page.
class TDrawnPictures {
 public:
  struct TDrawn {
    TUniqueBitmap Bitmap;  // premultiplied
    int Width = 0;
    int Height = 0;
  };

  // The picture ready to be drawn at `width` x `height` (at its own size
  // where that is smaller: blending stretches it); null when GDI refuses.
  const TDrawn* For(const TBitmap32& picture, std::uint64_t stamp, int width, int height);
  void Clear();
  // Pictures made so far, for tests: a paint that finds its picture makes none.
  std::size_t Made() const { return made_; }

 private:
  static constexpr std::size_t kMaxBytes = std::size_t{64} << 20;
  static constexpr std::size_t kMaxCount = 512;

  std::map<std::tuple<std::uint64_t, int, int>, TDrawn> drawn_;
  std::size_t bytes_ = 0;
  std::size_t made_ = 0;
};

// Draws on a DC in its own coordinates. With `pictures`, a picture that comes
// with a stamp is drawn from what is kept there.
class TGdiCanvas final : public ICanvas {
 public:
  TGdiCanvas(HDC dc, TGdiFonts& fonts, TDrawnPictures* pictures = nullptr);
  ~TGdiCanvas() override;
  TGdiCanvas(const TGdiCanvas&) = delete;
  TGdiCanvas& operator=(const TGdiCanvas&) = delete;

  void FillRect(const TRect& rect, TColor color) override;
  void FrameRect(const TRect& rect, TColor color) override;
  void DrawText(int x, int y, const TFontSpec& font, TColor color, std::u16string_view text) override;
  void DrawImage(const TRect& rect, const TBitmap32& image, std::uint64_t stamp) override;

 private:
  HDC dc_;
  TGdiFonts& fonts_;
  TDrawnPictures* pictures_;
  int savedState_;
};

COLORREF ToColorRef(TColor color);

}  // namespace kivo
