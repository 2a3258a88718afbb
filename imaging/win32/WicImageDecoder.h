// Picture decoding with the system's codecs (Windows Imaging Component). Holds
// no state: one instance serves every thread, each call sets up COM for its
// thread when the thread has not.
#pragma once

#include "imaging/ImageDecoder.h"

namespace kivo {

class TWicImageDecoder final : public IImageDecoder {
 public:
  std::optional<TBitmap32> Decode(ImageKind kind, std::string_view bytes) override;
  std::optional<TBitmap32> DecodeIcon(std::string_view bytes, int side) override;
};

// The decoder the plugin shares between its threads.
TWicImageDecoder& SharedImageDecoder();

}  // namespace kivo
