#include "imaging/win32/ImageLists.h"

#include <algorithm>

#include "imaging/win32/WicImageDecoder.h"

namespace kivo {

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
