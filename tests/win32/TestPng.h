// PNG files for the render references: writes 8-bit RGB (deflate with fixed
// codes and a greedy match search), reads 8-bit RGB and RGBA with any filter
// and any deflate block kind, so references re-compressed by other tools load.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "imaging/Bitmap.h"

namespace kivo::testpng {

using TBytes = std::vector<std::uint8_t>;

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  static const auto kTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    return table;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

inline std::uint32_t Adler32(const TBytes& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

constexpr std::array<int, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistBase{1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class TBitWriter {
 public:
  void Bits(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit(value >> i & 1);
  }
  // Huffman codes go most significant bit first.
  void Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit(code >> i & 1);
  }
  TBytes Finish() {
    if (used_ > 0) out_.push_back(current_);
    return std::move(out_);
  }

 private:
  void Bit(std::uint32_t bit) {
    current_ |= static_cast<std::uint8_t>(bit << used_);
    if (++used_ == 8) {
      out_.push_back(current_);
      current_ = 0;
      used_ = 0;
    }
  }
  TBytes out_;
  std::uint8_t current_ = 0;
  int used_ = 0;
};

inline void FixedLiteral(TBitWriter& out, int symbol) {
  if (symbol < 144)
    out.Code(0x30 + symbol, 8);
  else if (symbol < 256)
    out.Code(0x190 + symbol - 144, 9);
  else if (symbol < 280)
    out.Code(symbol - 256, 7);
  else
    out.Code(0xC0 + symbol - 280, 8);
}

inline void FixedMatch(TBitWriter& out, int length, int distance) {
  int code = 28;
  while (kLengthBase[code] > length) --code;
  FixedLiteral(out, 257 + code);
  out.Bits(length - kLengthBase[code], kLengthExtra[code]);
  int distCode = 29;
  while (kDistBase[distCode] > distance) --distCode;
  out.Code(distCode, 5);
  out.Bits(distance - kDistBase[distCode], kDistExtra[distCode]);
}

// A zlib stream: one fixed-code block, matches found through a hash chain.
inline TBytes Deflate(const TBytes& data) {
  constexpr int kWindow = 32768, kHashSize = 1 << 15, kMaxChain = 32;
  TBitWriter out;
  out.Bits(1, 1);
  out.Bits(1, 2);
  std::vector<int> head(kHashSize, -1), previous(data.size(), -1);
  const auto hashAt = [&data](std::size_t i) {
    return ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & (kHashSize - 1);
  };
  const auto insert = [&](std::size_t i) {
    if (i + 2 >= data.size()) return;
    const int hash = hashAt(i);
    previous[i] = head[hash];
    head[hash] = static_cast<int>(i);
  };
  for (std::size_t i = 0; i < data.size();) {
    int bestLength = 0, bestDistance = 0;
    if (i + 2 < data.size()) {
      const int limit = static_cast<int>(std::min<std::size_t>(258, data.size() - i));
      int candidate = head[hashAt(i)];
      for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain, candidate = previous[candidate]) {
        if (static_cast<int>(i) - candidate > kWindow) break;
        int length = 0;
        while (length < limit && data[candidate + length] == data[i + length]) ++length;
        if (length > bestLength) bestLength = length, bestDistance = static_cast<int>(i) - candidate;
      }
    }
    if (bestLength >= 3) {
      FixedMatch(out, bestLength, bestDistance);
      for (int k = 0; k < bestLength; ++k) insert(i + k);
      i += bestLength;
    } else {
      FixedLiteral(out, data[i]);
      insert(i);
      ++i;
    }
  }
  FixedLiteral(out, 256);
  TBytes stream{0x78, 0x01};
  const TBytes body = out.Finish();
  stream.insert(stream.end(), body.begin(), body.end());
  const std::uint32_t adler = Adler32(data);
  for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(static_cast<std::uint8_t>(adler >> shift));
  return stream;
}

class TBitReader {
 public:
  TBitReader(const TBytes& data, std::size_t start) : data_(data), byte_(start) {}
  int Bit() {
    if (byte_ >= data_.size()) throw std::runtime_error("deflate data ends early");
    const int bit = data_[byte_] >> used_ & 1;
    if (++used_ == 8) used_ = 0, ++byte_;
    return bit;
  }
  int Bits(int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) value |= Bit() << i;
    return value;
  }
  void AlignToByte() {
    if (used_ != 0) used_ = 0, ++byte_;
  }
  std::uint8_t Byte() {
    if (byte_ >= data_.size()) throw std::runtime_error("deflate data ends early");
    return data_[byte_++];
  }

 private:
  const TBytes& data_;
  std::size_t byte_;
  int used_ = 0;
};

// Canonical Huffman decoding by code lengths.
class THuffman {
 public:
  explicit THuffman(const std::vector<int>& lengths) : counts_(16, 0) {
    for (int length : lengths) ++counts_[length];
    counts_[0] = 0;
    std::vector<int> offsets(16, 0);
    for (int len = 1; len < 15; ++len) offsets[len + 1] = offsets[len] + counts_[len];
    symbols_.resize(lengths.size());
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
      if (lengths[symbol] != 0) symbols_[offsets[lengths[symbol]]++] = static_cast<int>(symbol);
    }
  }
  int Decode(TBitReader& in) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; ++len) {
      code |= in.Bit();
      const int count = counts_[len];
      if (code - count < first) return symbols_[index + (code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    throw std::runtime_error("bad Huffman code");
  }

 private:
  std::vector<int> counts_;
  std::vector<int> symbols_;
};

inline void InflateCodes(TBitReader& in, TBytes& out, const THuffman& literals, const THuffman& distances) {
  for (;;) {
    const int symbol = literals.Decode(in);
    if (symbol < 256) {
      out.push_back(static_cast<std::uint8_t>(symbol));
      continue;
    }
    if (symbol == 256) return;
    const int code = symbol - 257;
    if (code >= 29) throw std::runtime_error("bad length code");
    const int length = kLengthBase[code] + in.Bits(kLengthExtra[code]);
    const int distCode = distances.Decode(in);
    if (distCode >= 30) throw std::runtime_error("bad distance code");
    const std::size_t distance = kDistBase[distCode] + in.Bits(kDistExtra[distCode]);
    if (distance > out.size()) throw std::runtime_error("distance too far back");
    for (int k = 0; k < length; ++k) out.push_back(out[out.size() - distance]);
  }
}

inline std::pair<THuffman, THuffman> DynamicTables(TBitReader& in) {
  constexpr std::array<int, 19> kOrder{16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  const int literalCount = in.Bits(5) + 257, distanceCount = in.Bits(5) + 1, codeCount = in.Bits(4) + 4;
  std::vector<int> codeLengths(19, 0);
  for (int i = 0; i < codeCount; ++i) codeLengths[kOrder[i]] = in.Bits(3);
  const THuffman lengthCode(codeLengths);
  std::vector<int> lengths;
  while (static_cast<int>(lengths.size()) < literalCount + distanceCount) {
    const int symbol = lengthCode.Decode(in);
    if (symbol < 16) {
      lengths.push_back(symbol);
    } else if (symbol == 16) {
      if (lengths.empty()) throw std::runtime_error("repeat without a length");
      lengths.insert(lengths.end(), 3 + in.Bits(2), lengths.back());
    } else {
      lengths.insert(lengths.end(), symbol == 17 ? 3 + in.Bits(3) : 11 + in.Bits(7), 0);
    }
  }
  lengths.resize(literalCount + distanceCount);
  return {THuffman({lengths.begin(), lengths.begin() + literalCount}),
          THuffman({lengths.begin() + literalCount, lengths.end()})};
}

inline TBytes Inflate(const TBytes& stream) {
  TBitReader in(stream, 2);  // past the zlib header
  TBytes out;
  for (bool last = false; !last;) {
    last = in.Bit() != 0;
    const int kind = in.Bits(2);
    if (kind == 0) {
      in.AlignToByte();
      const int length = in.Byte() | in.Byte() << 8;
      in.Byte(), in.Byte();
      for (int i = 0; i < length; ++i) out.push_back(in.Byte());
    } else if (kind == 1) {
      std::vector<int> literal(288, 8);
      std::fill(literal.begin() + 144, literal.begin() + 256, 9);
      std::fill(literal.begin() + 256, literal.begin() + 280, 7);
      InflateCodes(in, out, THuffman(literal), THuffman(std::vector<int>(30, 5)));
    } else if (kind == 2) {
      const auto [literals, distances] = DynamicTables(in);
      InflateCodes(in, out, literals, distances);
    } else {
      throw std::runtime_error("bad block kind");
    }
  }
  return out;
}

inline void PutBigEndian(TBytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline std::uint32_t GetBigEndian(const TBytes& in, std::size_t at) {
  return std::uint32_t{in[at]} << 24 | std::uint32_t{in[at + 1]} << 16 | std::uint32_t{in[at + 2]} << 8 |
         in[at + 3];
}

inline void PutChunk(TBytes& out, const char* type, const TBytes& body) {
  PutBigEndian(out, static_cast<std::uint32_t>(body.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Opaque RGB; each row filtered by "up", which turns unchanged rows into zeros.
inline TBytes EncodePng(const TBitmap32& image) {
  TBytes raw;
  const std::size_t rowBytes = static_cast<std::size_t>(image.Width) * 3;
  TBytes above(rowBytes, 0), row(rowBytes);
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      const std::uint32_t pixel = image.Pixels[static_cast<std::size_t>(y) * image.Width + x];
      row[x * 3] = pixel >> 16 & 0xFF, row[x * 3 + 1] = pixel >> 8 & 0xFF, row[x * 3 + 2] = pixel & 0xFF;
    }
    raw.push_back(2);
    for (std::size_t i = 0; i < rowBytes; ++i) raw.push_back(static_cast<std::uint8_t>(row[i] - above[i]));
    above = row;
  }
  TBytes header;
  PutBigEndian(header, image.Width);
  PutBigEndian(header, image.Height);
  header.insert(header.end(), {8, 2, 0, 0, 0});
  TBytes file(kSignature.begin(), kSignature.end());
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", Deflate(raw));
  PutChunk(file, "IEND", {});
  return file;
}

inline std::uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

inline void Unfilter(int filter, std::uint8_t* row, const std::uint8_t* above, std::size_t size, int bpp) {
  for (std::size_t i = 0; i < size; ++i) {
    const int a = i >= static_cast<std::size_t>(bpp) ? row[i - bpp] : 0, b = above[i];
    const int c = i >= static_cast<std::size_t>(bpp) ? above[i - bpp] : 0;
    const int add = filter == 1   ? a
                    : filter == 2 ? b
                    : filter == 3 ? (a + b) / 2
                    : filter == 4 ? Paeth(a, b, c)
                                  : 0;
    row[i] = static_cast<std::uint8_t>(row[i] + add);
  }
}

// 8-bit RGB or RGBA, not interlaced; nullopt for anything else.
inline std::optional<TBitmap32> DecodePng(const TBytes& file) {
  if (file.size() < 8 || !std::equal(kSignature.begin(), kSignature.end(), file.begin())) return std::nullopt;
  int width = 0, height = 0, bpp = 0;
  TBytes compressed;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::size_t length = GetBigEndian(file, at);
    const std::string type(file.begin() + at + 4, file.begin() + at + 8);
    if (at + 12 + length > file.size()) return std::nullopt;
    const auto body = file.begin() + at + 8;
    if (type == "IHDR") {
      width = static_cast<int>(GetBigEndian(file, at + 8));
      height = static_cast<int>(GetBigEndian(file, at + 12));
      if (body[8] != 8 || (body[9] != 2 && body[9] != 6) || body[12] != 0) return std::nullopt;
      bpp = body[9] == 6 ? 4 : 3;
    } else if (type == "IDAT") {
      compressed.insert(compressed.end(), body, body + length);
    }
    at += 12 + length;
  }
  if (bpp == 0 || width <= 0 || height <= 0) return std::nullopt;
  TBytes raw = Inflate(compressed);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * bpp;
  if (raw.size() < (rowBytes + 1) * height) return std::nullopt;
  TBitmap32 image{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  const TBytes zeros(rowBytes, 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = raw.data() + y * (rowBytes + 1);
    const std::uint8_t* above = y == 0 ? zeros.data() : row - rowBytes;
    Unfilter(row[0], row + 1, above, rowBytes, bpp);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = row + 1 + x * bpp;
      const std::uint32_t alpha = bpp == 4 ? p[3] : 0xFF;
      image.Pixels[static_cast<std::size_t>(y) * width + x] = alpha << 24 | p[0] << 16 | p[1] << 8 | p[2];
    }
  }
  return image;
}

}  // namespace kivo::testpng
