// Whole-file image decoding, one decoder per file kind. The same decoder serves
// feed logos, site icons, page pictures and the pop-up skin.
#pragma once

#include <optional>
#include <string_view>

#include "base/Bitmap.h"

namespace kivo {

enum class ImageKind { Bmp, Gif, Png, Jpeg, Icon };

class IImageDecoder {
 public:
  virtual ~IImageDecoder() = default;
  // The whole picture (a GIF gives its first frame, an icon file its first
  // entry); nullopt when `bytes` cannot be decoded as `kind`. Implementations
  // may be called from workers.
  virtual std::optional<TBitmap32> Decode(ImageKind kind, std::string_view bytes) = 0;
  // An icon file holds several sizes: the one nearest to `side` x `side`.
  virtual std::optional<TBitmap32> DecodeIcon(std::string_view bytes, int /*side*/) {
    return Decode(ImageKind::Icon, bytes);
  }
};

// Where the system offers no decoder: every picture fails to decode.
class TNoImageDecoder final : public IImageDecoder {
 public:
  std::optional<TBitmap32> Decode(ImageKind, std::string_view) override { return std::nullopt; }
};

inline IImageDecoder& NoImageDecoder() {
  static TNoImageDecoder decoder;
  return decoder;
}

}  // namespace kivo
