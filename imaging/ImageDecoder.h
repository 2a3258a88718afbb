// Whole-file image decoding, one decoder per file kind. The same decoder serves
// feed logos, site icons, page pictures and the pop-up skin.
#pragma once

#include <optional>
#include <string_view>

#include "imaging/Bitmap.h"

namespace kivo {

enum class ImageKind { Bmp, Gif, Png, Jpeg, Icon };

class IImageDecoder {
 public:
  virtual ~IImageDecoder() = default;
  // The whole picture (a GIF gives its first frame); nullopt when `bytes`
  // cannot be decoded as `kind`. Implementations may be called from workers.
  virtual std::optional<TBitmap32> Decode(ImageKind kind, std::string_view bytes) = 0;
};

}  // namespace kivo
