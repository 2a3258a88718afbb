// Telling a picture file's kind by its first bytes, and refusing pictures too
// large to hold before a codec takes any pixel memory for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "imaging/ImageDecoder.h"

namespace kivo {

inline constexpr int kMaxImageSide = 8192;
inline constexpr std::int64_t kMaxImagePixels = 32LL * 1024 * 1024;

struct TImageSize {
  std::int64_t Width = 0;
  std::int64_t Height = 0;
  bool operator==(const TImageSize&) const = default;
};

struct TImageRect {
  std::int64_t Left = 0;
  std::int64_t Top = 0;
  std::int64_t Width = 0;
  std::int64_t Height = 0;
  bool operator==(const TImageRect&) const = default;
};

// A GIF's logical screen and the place of its first frame on it.
struct TGifFirstFrame {
  TImageSize Screen;
  TImageRect Frame;
  bool operator==(const TGifFirstFrame&) const = default;
};

// The first kind whose signature the bytes carry, tested in this order: "BM";
// "PNG" at offset 1; "GIF"; "JFIF" at offset 6 or a JPEG start FF D8 FF; an
// icon (byte 0 is 0, byte 1 below 2).
std::optional<ImageKind> SniffImageKind(std::string_view bytes);

// Both sides 1 to kMaxImageSide and at most kMaxImagePixels in all.
bool ImageSizeAllowed(std::int64_t width, std::int64_t height);

// The largest size the file's headers declare (over all frames of a GIF and all
// entries of an icon file); nullopt when the headers cannot be read.
std::optional<TImageSize> ReadDeclaredImageSize(ImageKind kind, std::string_view bytes);

// nullopt when the headers up to the first frame's cannot be read.
std::optional<TGifFirstFrame> ReadGifFirstFrame(std::string_view bytes);

}  // namespace kivo
