#include "imaging/win32/ImageLists.h"

#include <algorithm>

#include "imaging/win32/WicImageDecoder.h"

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
  const TSelectedObject selected(source.Get(), bitmap.Get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, width > 0 ? width : picture.Width, height > 0 ? height : picture.Height, source.Get(),
             0, 0, picture.Width, picture.Height, blend);
}

TImageListHandle MakeImageList(const std::vector<TBitmap32>& pictures, int side) {
  TImageListHandle list(ImageList_Create(side, side, ILC_COLOR32, static_cast<int>(pictures.size()), 4));
  if (!list) return nullptr;
  for (const TBitmap32& picture : pictures) {
    if (picture.Width != side || picture.Height != side) return nullptr;
    const TUniqueBitmap bitmap = MakeDibSection(picture, TAlphaForm::Straight);
    if (!bitmap || ImageList_Add(list.get(), bitmap.Get(), nullptr) < 0) return nullptr;
  }
  return list;
}

std::vector<TBitmap32> SplitStrip(const TBitmap32& strip) {
  std::vector<TBitmap32> cells;
  const int side = strip.Height;
  if (side < 1) return cells;
  for (int left = 0; left + side <= strip.Width; left += side) {
    TBitmap32 cell{side, side, {}};
    cell.Pixels.reserve(static_cast<size_t>(side) * static_cast<size_t>(side));
    for (int y = 0; y < side; ++y) {
      const auto row = strip.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * strip.Width + left;
      cell.Pixels.insert(cell.Pixels.end(), row, row + side);
    }
    cells.push_back(std::move(cell));
  }
  return cells;
}

std::optional<std::string_view> ResourceBytes(HMODULE module, const wchar_t* name) {
  HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return std::nullopt;
  return std::string_view(static_cast<const char*>(data), SizeofResource(module, found));
}

std::optional<TBitmap32> LoadPngResource(HMODULE module, const wchar_t* name) {
  const std::optional<std::string_view> bytes = ResourceBytes(module, name);
  if (!bytes) return std::nullopt;
  return SharedImageDecoder().Decode(ImageKind::Png, *bytes);
}

TImageListHandle LoadPngImageList(HMODULE module, const wchar_t* name) {
  const std::optional<TBitmap32> strip = LoadPngResource(module, name);
  if (!strip) return nullptr;
  return MakeImageList(SplitStrip(*strip), strip->Height);
}

}  // namespace kivo
