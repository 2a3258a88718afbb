#include "reader/win32/PictureList.h"

#include <array>

#include "imaging/win32/ImageLists.h"
#include "imaging/win32/ResourceIds.h"
#include "platform/win32/ThisModule.h"
#include "ui/win32/Gdi.h"

namespace kivo {

namespace {

constexpr int kPictureSize = kImageListSide;
constexpr int kWindowPictureCount = kReaderImageCount;

// A filled square with a darker rim, opaque, inset by one pixel.
TBitmap32 Square(std::uint32_t fill) {
  TBitmap32 picture{kPictureSize, kPictureSize, std::vector<std::uint32_t>(kPictureSize * kPictureSize, 0)};
  const std::uint32_t rim = 0xFF000000u | ((fill >> 1) & 0x7F7F7Fu);
  for (int y = 2; y < kPictureSize - 2; ++y) {
    for (int x = 2; x < kPictureSize - 2; ++x) {
      const bool edge = x == 2 || y == 2 || x == kPictureSize - 3 || y == kPictureSize - 3;
      picture.Pixels[static_cast<std::size_t>(y * kPictureSize + x)] = edge ? rim : 0xFF000000u | fill;
    }
  }
  return picture;
}

}  // namespace

void TPictureList::Set(int index, TBitmap32 picture) {
  if (index < 0 || index >= Count()) return;
  pictures_[static_cast<std::size_t>(index)] = std::move(picture);
  if (static_cast<std::size_t>(index) < blended_.size())
    blended_[static_cast<std::size_t>(index)] = TUniqueBitmap();
}

const TBitmap32* TPictureList::At(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &pictures_[static_cast<std::size_t>(index)];
}

void TPictureList::Draw(HDC dc, int index, int x, int y) const {
  const TBitmap32* picture = At(index);
  if (picture == nullptr) return;
  if (blended_.size() < pictures_.size()) blended_.resize(pictures_.size());
  TUniqueBitmap& bitmap = blended_[static_cast<std::size_t>(index)];
  if (!bitmap) bitmap = MakeDibSection(*picture, TAlphaForm::Premultiplied);
  if (!source_) source_.Reset(CreateCompatibleDC(nullptr));
  if (!bitmap || !source_) return;
  BlendBitmap(
      dc,
      RECT{x, y, x + (width_ > 0 ? width_ : picture->Width), y + (height_ > 0 ? height_ : picture->Height)},
      source_.Get(), bitmap.Get(), SIZE{picture->Width, picture->Height});
}

TPictureList WindowPictures() {
  // 0 feed icon, 1-5 the marks, then tool bar and menu pictures.
  static constexpr std::array<std::uint32_t, kWindowPictureCount> kFills = {
      0xF0A030, 0xFF8C00, 0xB0B0B0, 0x008000, 0x0000FF, 0xFF0000, 0x6080C0, 0x808080, 0x4090D0,
      0x30A040, 0x909090, 0xC0C040, 0x8080FF, 0x40C0C0, 0xC04040, 0xA060C0, 0x60A0A0, 0x30C060};
  std::vector<TBitmap32> pictures;
  if (const auto strip = LoadPngResource(ThisModule(), kReaderImagesResource)) pictures = SplitStrip(*strip);
  TPictureList list(kPictureSize, kPictureSize);
  for (std::size_t i = 0; i < kFills.size(); ++i) {
    list.Append(i < pictures.size() ? std::move(pictures[i]) : Square(kFills[i]));
  }
  return list;
}

}  // namespace kivo
