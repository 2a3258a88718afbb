#include "ui/win32/Gdi.h"

#include <algorithm>
#include <vector>

#include "base/Text1251.h"

namespace kivo::gdi {

COLORREF ToColorRef(TColor color) {
  return RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
}

TColor FromColorRef(COLORREF color) {
  return (static_cast<TColor>(GetRValue(color)) << 16) | (static_cast<TColor>(GetGValue(color)) << 8) |
         GetBValue(color);
}

void Fill(HDC dc, const RECT& rect, COLORREF color) {
  const TUniqueBrush brush(CreateSolidBrush(color));
  FillRect(dc, &rect, brush.Get());
}

void Frame(HDC dc, const RECT& rect, COLORREF color) {
  const TUniqueBrush brush(CreateSolidBrush(color));
  FrameRect(dc, &rect, brush.Get());
}

std::wstring Wide(const std::string& text) {
  const std::u16string wide = WinToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

void TextAt(HDC dc, int x, int y, const std::string& text, COLORREF color, const RECT& clip) {
  const std::wstring wide = Wide(text);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

void DrawPiece(HDC dc, const RECT& rect, const TBitmap32& picture) {
  const int width = std::min<int>(rect.right - rect.left, picture.Width);
  const int height = std::min<int>(rect.bottom - rect.top, picture.Height);
  if (width <= 0 || height <= 0 ||
      picture.Pixels.size() <
          static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height)) {
    return;
  }
  std::vector<std::uint32_t> piece;
  piece.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const auto row = picture.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.Width;
    piece.insert(piece.end(), row, row + width);
  }
  const BITMAPINFO info = TopDownDibInfo(width, height);
  SetDIBitsToDevice(dc, rect.left, rect.top, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                    static_cast<UINT>(height), piece.data(), &info, DIB_RGB_COLORS);
}

TUniqueFont GuiFont(bool bold, BYTE quality) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = metrics.lfMessageFont;
  } else {
    font.lfHeight = -11;
    lstrcpyW(font.lfFaceName, L"Tahoma");
  }
  font.lfCharSet = RUSSIAN_CHARSET;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfQuality = quality;
  return TUniqueFont(CreateFontIndirectW(&font));
}

}  // namespace kivo::gdi

namespace kivo {

namespace {

std::uint32_t Premultiply(std::uint32_t pixel) {
  const std::uint32_t alpha = pixel >> 24;
  const auto scale = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
  return alpha << 24 | scale(pixel >> 16 & 0xFF) << 16 | scale(pixel >> 8 & 0xFF) << 8 | scale(pixel & 0xFF);
}

}  // namespace

TUniqueBitmap MakeDibSection(const TBitmap32& picture, TAlphaForm form) {
  if (picture.Width < 1 || picture.Height < 1 ||
      picture.Pixels.size() != static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height))
    return {};
  const BITMAPINFO info = TopDownDibInfo(picture.Width, picture.Height);
  void* bits = nullptr;
  TUniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return {};
  auto* target = static_cast<std::uint32_t*>(bits);
  if (form == TAlphaForm::Premultiplied) {
    std::transform(picture.Pixels.begin(), picture.Pixels.end(), target, Premultiply);
  } else {
    std::copy(picture.Pixels.begin(), picture.Pixels.end(), target);
  }
  GdiFlush();
  return bitmap;
}

void DrawPicture(HDC dc, int x, int y, const TBitmap32& picture, int width, int height) {
  const TUniqueBitmap bitmap = MakeDibSection(picture, TAlphaForm::Premultiplied);
  const TUniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!bitmap || !source) return;
  BlendBitmap(dc,
              RECT{x, y, x + (width > 0 ? width : picture.Width), y + (height > 0 ? height : picture.Height)},
              source.Get(), bitmap.Get(), SIZE{picture.Width, picture.Height});
}

void BlendBitmap(HDC dc, const RECT& place, HDC source, HBITMAP bitmap, SIZE size) {
  const TSelectedObject selected(source, bitmap);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, place.left, place.top, place.right - place.left, place.bottom - place.top, source, 0, 0,
             size.cx, size.cy, blend);
}

void SetVerticalScrollBar(HWND window, SCROLLINFO info) {
  SCROLLINFO now{};
  now.cbSize = sizeof now;
  now.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.cbSize = sizeof info;
  if (GetScrollInfo(window, SB_VERT, &now) && now.nMin == info.nMin && now.nMax == info.nMax &&
      now.nPage == info.nPage && now.nPos == info.nPos) {
    return;
  }
  SetScrollInfo(window, SB_VERT, &info, FALSE);
  RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

}  // namespace kivo
