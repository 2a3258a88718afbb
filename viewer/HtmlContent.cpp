#include "viewer/HtmlContent.h"

#include <algorithm>
#include <cstdint>

namespace kivo {
namespace {

constexpr int kPlaceholderSide = 16;
constexpr int kMaxSide = 8000;

int Scaled(int value, int numerator, int denominator) {
  if (denominator <= 0) return 0;
  const std::int64_t scaled = static_cast<std::int64_t>(value) * numerator / denominator;
  return static_cast<int>(std::clamp<std::int64_t>(scaled, 0, kMaxSide));
}

}  // namespace

TSize ImageSize(const THtmlContent& content, const TImage& image) {
  const TPicture* picture =
      image.Picture >= 0 ? &content.Pictures[static_cast<std::size_t>(image.Picture)] : nullptr;
  if (picture == nullptr || picture->State == TPictureState::Waiting) {
    if (picture == nullptr && !image.Width && !image.Height) return {};
    return {image.Width.value_or(kPlaceholderSide), image.Height.value_or(kPlaceholderSide)};
  }
  if (picture->State == TPictureState::None || picture->State == TPictureState::Alternative) return {};
  const int width = std::min(picture->Bitmap.Width, kMaxSide);
  const int height = std::min(picture->Bitmap.Height, kMaxSide);
  if (image.Width && image.Height) return {*image.Width, *image.Height};
  if (image.Width) return {*image.Width, Scaled(height, *image.Width, width)};
  if (image.Height) return {Scaled(width, *image.Height, height), *image.Height};
  return {width, height};
}

}  // namespace kivo
