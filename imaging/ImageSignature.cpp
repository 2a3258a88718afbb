#include "imaging/ImageSignature.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kivo {

namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

class TByteReader {
 public:
  explicit TByteReader(std::string_view bytes) : bytes_(bytes) {}

  bool Has(size_t offset, size_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  std::uint32_t Byte(size_t offset) const { return static_cast<unsigned char>(bytes_[offset]); }
  std::optional<std::uint32_t> Le16(size_t offset) const {
    if (!Has(offset, 2)) return std::nullopt;
    return Byte(offset) | Byte(offset + 1) << 8;
  }
  std::optional<std::uint32_t> Le32(size_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return *Le16(offset) | *Le16(offset + 2) << 16;
  }
  std::optional<std::uint32_t> Be16(size_t offset) const {
    if (!Has(offset, 2)) return std::nullopt;
    return Byte(offset) << 8 | Byte(offset + 1);
  }
  std::optional<std::uint32_t> Be32(size_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return *Be16(offset) << 16 | *Be16(offset + 2);
  }
  std::string_view Text(size_t offset, size_t count) const {
    return Has(offset, count) ? bytes_.substr(offset, count) : std::string_view();
  }
  size_t Size() const { return bytes_.size(); }

 private:
  std::string_view bytes_;
};

std::int64_t Signed32(std::uint32_t value) {
  return static_cast<std::int32_t>(value);
}

TImageSize Larger(TImageSize a, TImageSize b) {
  return {std::max(a.Width, b.Width), std::max(a.Height, b.Height)};
}

std::optional<TImageSize> PngSize(const TByteReader& in, size_t start) {
  if (in.Text(start, 8) != kPngSignature || in.Text(start + 12, 4) != "IHDR") return std::nullopt;
  const auto width = in.Be32(start + 16);
  const auto height = in.Be32(start + 20);
  if (!width || !height) return std::nullopt;
  return TImageSize{*width, *height};
}

// The header after the 14-byte file header of a BMP, or at an icon entry.
std::optional<TImageSize> DibSize(const TByteReader& in, size_t header) {
  const auto headerSize = in.Le32(header);
  if (!headerSize) return std::nullopt;
  if (*headerSize == 12) {
    const auto width = in.Le16(header + 4);
    const auto height = in.Le16(header + 6);
    if (!width || !height) return std::nullopt;
    return TImageSize{*width, *height};
  }
  const auto width = in.Le32(header + 4);
  const auto height = in.Le32(header + 8);
  if (!width || !height) return std::nullopt;
  return TImageSize{Signed32(*width), std::abs(Signed32(*height))};
}

std::optional<TImageSize> BmpSize(const TByteReader& in) {
  if (in.Text(0, 2) != "BM") return std::nullopt;
  return DibSize(in, 14);
}

// Skips the data sub-blocks that start at `at`; nullopt when they run off the end.
std::optional<size_t> SkipGifSubBlocks(const TByteReader& in, size_t at) {
  while (in.Has(at, 1)) {
    const size_t length = in.Byte(at);
    at += 1 + length;
    if (length == 0) return at;
  }
  return std::nullopt;
}

size_t GifColourTableBytes(std::uint32_t flags) {
  return (flags & 0x80) != 0 ? 3u << ((flags & 7) + 1) : 0;
}

struct TGifLayout {
  TImageSize Screen;
  std::vector<TImageRect> Frames;
};

// Frames are listed up to the trailer or up to where the file is cut.
std::optional<TGifLayout> ReadGifLayout(const TByteReader& in) {
  if (in.Text(0, 3) != "GIF" || !in.Has(0, 13)) return std::nullopt;
  TGifLayout layout{{*in.Le16(6), *in.Le16(8)}, {}};
  std::optional<size_t> at = 13 + GifColourTableBytes(in.Byte(10));
  while (at && in.Has(*at, 1)) {
    const std::uint32_t block = in.Byte(*at);
    if (block == 0x21) {
      at = SkipGifSubBlocks(in, *at + 2);
    } else if (block == 0x2C && in.Has(*at, 10)) {
      layout.Frames.push_back({*in.Le16(*at + 1), *in.Le16(*at + 3), *in.Le16(*at + 5), *in.Le16(*at + 7)});
      at = SkipGifSubBlocks(in, *at + 10 + GifColourTableBytes(in.Byte(*at + 9)) + 1);
    } else {
      break;
    }
  }
  return layout;
}

// The logical screen and every frame: the codec takes memory for each frame.
std::optional<TImageSize> GifSize(const TByteReader& in) {
  const std::optional<TGifLayout> layout = ReadGifLayout(in);
  if (!layout) return std::nullopt;
  TImageSize size = layout->Screen;
  for (const TImageRect& frame : layout->Frames) size = Larger(size, {frame.Width, frame.Height});
  return size;
}

bool IsJpegFrameMarker(std::uint32_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsJpegMarkerWithoutLength(std::uint32_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

std::optional<TImageSize> JpegSize(const TByteReader& in) {
  size_t at = 0;
  while (in.Has(at, 2)) {
    if (in.Byte(at) != 0xFF) {
      ++at;  // stray bytes (a JFIF text before the marker) are passed over
      continue;
    }
    const std::uint32_t marker = in.Byte(at + 1);
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (IsJpegMarkerWithoutLength(marker)) {
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame before the scan
    const auto length = in.Be16(at + 2);
    if (!length) return std::nullopt;
    if (IsJpegFrameMarker(marker)) {
      const auto height = in.Be16(at + 5);
      const auto width = in.Be16(at + 7);
      if (!height || !width) return std::nullopt;
      return TImageSize{*width, *height};
    }
    at += 2 + *length;
  }
  return std::nullopt;
}

std::optional<TImageSize> IconEntrySize(const TByteReader& in, size_t entry) {
  const std::int64_t width = in.Byte(entry) == 0 ? 256 : in.Byte(entry);
  const std::int64_t height = in.Byte(entry + 1) == 0 ? 256 : in.Byte(entry + 1);
  TImageSize size{width, height};
  const std::uint32_t offset = *in.Le32(entry + 12);
  if (!in.Has(offset, 1)) return std::nullopt;
  if (const auto png = PngSize(in, offset)) return Larger(size, *png);
  if (auto dib = DibSize(in, offset)) {
    dib->Height /= 2;  // the colour rows and the mask rows
    return Larger(size, *dib);
  }
  return std::nullopt;
}

std::optional<TImageSize> IconSize(const TByteReader& in) {
  const auto count = in.Le16(4);
  if (!count || *count == 0 || !in.Has(6, 16 * size_t{*count})) return std::nullopt;
  TImageSize size;
  for (size_t i = 0; i < *count; ++i) {
    const auto entry = IconEntrySize(in, 6 + 16 * i);
    if (!entry) return std::nullopt;
    size = Larger(size, *entry);
  }
  return size;
}

}  // namespace

std::optional<ImageKind> SniffImageKind(std::string_view bytes) {
  const TByteReader in(bytes);
  if (in.Text(0, 2) == "BM") return ImageKind::Bmp;
  if (in.Text(1, 3) == "PNG") return ImageKind::Png;
  if (in.Text(0, 3) == "GIF") return ImageKind::Gif;
  if (in.Text(6, 4) == "JFIF" || in.Text(0, 3) == "\xFF\xD8\xFF") return ImageKind::Jpeg;
  if (in.Has(0, 2) && in.Byte(0) == 0 && in.Byte(1) < 2) return ImageKind::Icon;
  return std::nullopt;
}

bool ImageSizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

std::optional<TGifFirstFrame> ReadGifFirstFrame(std::string_view bytes) {
  const std::optional<TGifLayout> layout = ReadGifLayout(TByteReader(bytes));
  if (!layout || layout->Frames.empty()) return std::nullopt;
  return TGifFirstFrame{layout->Screen, layout->Frames.front()};
}

std::optional<TImageSize> ReadDeclaredImageSize(ImageKind kind, std::string_view bytes) {
  const TByteReader in(bytes);
  switch (kind) {
    case ImageKind::Bmp:
      return BmpSize(in);
    case ImageKind::Gif:
      return GifSize(in);
    case ImageKind::Png:
      return PngSize(in, 0);
    case ImageKind::Jpeg:
      return JpegSize(in);
    case ImageKind::Icon:
      return IconSize(in);
  }
  return std::nullopt;
}

}  // namespace kivo
