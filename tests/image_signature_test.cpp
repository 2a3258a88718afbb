#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "imaging/ImageSignature.h"
#include "platform/FileIo.h"

namespace kivo {
namespace {

using namespace std::string_literals;

std::string Le16(unsigned value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
}
std::string Le32(unsigned value) {
  return Le16(value & 0xFFFF) + Le16(value >> 16);
}
std::string Be32(unsigned value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16 & 0xFF),
          static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value & 0xFF)};
}

std::string PngHead(unsigned width, unsigned height) {
  return "\x89PNG\r\n\x1a\n"s + Be32(13) + "IHDR" + Be32(width) + Be32(height) + "\x08\x06\0\0\0"s;
}

std::string DibHead(int width, int height) {
  return Le32(40) + Le32(static_cast<unsigned>(width)) + Le32(static_cast<unsigned>(height)) +
         std::string(28, '\0');
}

std::string GifScreen(unsigned width, unsigned height) {
  return "GIF89a" + Le16(width) + Le16(height) + "\0\0\0"s;
}

std::string GifFrame(unsigned width, unsigned height, unsigned left = 0, unsigned top = 0) {
  return "\x2c"s + Le16(left) + Le16(top) + Le16(width) + Le16(height) + "\0\x02\x02\x4c\x01\0"s;
}

// An icon directory whose entries point at the images that follow it.
std::string Icon(const std::vector<std::pair<int, std::string>>& entries) {
  std::string directory = "\0\0\1\0"s + Le16(static_cast<unsigned>(entries.size()));
  std::string images;
  size_t offset = 6 + 16 * entries.size();
  for (const auto& [side, image] : entries) {
    directory += std::string(2, static_cast<char>(side % 256)) + "\0\0\1\0\x20\0"s +
                 Le32(static_cast<unsigned>(image.size())) +
                 Le32(static_cast<unsigned>(offset + images.size()));
    images += image;
  }
  return directory + images;
}

TEST(SniffImageKind, FirstMatchingSignatureInTheFixedOrderWins) {
  using enum ImageKind;
  const std::pair<std::string, std::optional<ImageKind>> cases[] = {
      {"BM\x36\0\0\0"s, Bmp},
      {"\x89PNG\r\n\x1a\n", Png},
      {"GIF89a", Gif},
      {"\xFF\xD8\xFF\xE0\0\x10JFIF\0"s, Jpeg},
      {"\xFF\xD8\xFF\xE1\0\020Exif"s, Jpeg},  // a JPEG without the JFIF segment
      {"\0\0\1\0\1\0"s, Icon},
      {"\0\1"s, Icon},  // a cursor file
      {"\0\2"s, std::nullopt},
      {"BM\0\0\0\0JFIF"s, Bmp},     // BM is tested first
      {"\0\0\0\0\0\0JFIF"s, Jpeg},  // JFIF before the icon test
      {"B", std::nullopt},
      {"", std::nullopt},
      {"<html><body>", std::nullopt},
      {"\xFF\xD8", std::nullopt},
  };
  for (const auto& [head, kind] : cases)
    EXPECT_EQ(SniffImageKind(head), kind) << testing::PrintToString(head);
}

TEST(ImageSizeAllowed, RefusesEmptyOverlongAndOverlargePictures) {
  const struct {
    std::int64_t Width;
    std::int64_t Height;
    bool Allowed;
  } cases[] = {{1, 1, true},        {0, 5, false},      {5, 0, false},       {-1, 10, false},
               {8192, 1, true},     {8193, 1, false},   {1, 8193, false},    {8192, 4096, true},
               {8192, 4097, false}, {5792, 5792, true}, {5793, 5793, false}, {100000, 100000, false}};
  for (const auto& c : cases)
    EXPECT_EQ(ImageSizeAllowed(c.Width, c.Height), c.Allowed) << c.Width << " x " << c.Height;
}

TEST(ReadDeclaredImageSize, FindsTheSizeEveryCodecWillAllocateFor) {
  const std::string bmp = "BM" + std::string(12, '\0');
  const std::string sof2 = "\xFF\xC2\0\x11\x08"s + "\x01\x2C" + "\x02\x58" + std::string(12, '\x01');
  const struct {
    const char* Name;
    ImageKind Kind;
    std::string Bytes;
    std::optional<TImageSize> Size;
  } cases[] = {
      {"png", ImageKind::Png, PngHead(100000, 3), TImageSize{100000, 3}},
      {"png cut in the header", ImageKind::Png, PngHead(7, 3).substr(0, 22), std::nullopt},
      {"png without its header chunk", ImageKind::Png,
       "\x89PNG\r\n\x1a\n"s + Be32(0) + "IEND" + Be32(0) + Be32(0), std::nullopt},
      {"bmp", ImageKind::Bmp, bmp + DibHead(640, 480), TImageSize{640, 480}},
      {"top-down bmp", ImageKind::Bmp, bmp + DibHead(5, -3), TImageSize{5, 3}},
      {"core-header bmp", ImageKind::Bmp, bmp + Le32(12) + Le16(30) + Le16(20) + Le32(1), TImageSize{30, 20}},
      {"gif frame larger than its screen", ImageKind::Gif,
       GifScreen(4, 4) + GifFrame(4, 4) + GifFrame(9000, 2) + ";", TImageSize{9000, 4}},
      {"gif frame after an extension", ImageKind::Gif,
       GifScreen(1, 1) + "\x21\xF9\x04\x05\0\0\0\0"s + GifFrame(3, 4000), TImageSize{3, 4000}},
      {"gif with a colour table and a cut frame", ImageKind::Gif,
       "GIF89a" + Le16(2) + Le16(2) + "\x81\0\0"s + std::string(12, '\0') + "\x2c\0\0", TImageSize{2, 2}},
      {"progressive jpeg after other segments", ImageKind::Jpeg,
       "\xFF\xD8\xFF\xE0\0\x04xx\xFF\xC4\0\x04\0\0"s + sof2, TImageSize{600, 300}},
      {"jpeg with a scan before any frame", ImageKind::Jpeg, "\xFF\xD8\xFF\xDA\0\x04\0\0"s + sof2,
       std::nullopt},
      {"jpeg cut before its frame", ImageKind::Jpeg, "\xFF\xD8\xFF\xE0\0\x10JFIF"s, std::nullopt},
      {"icon: the largest entry, 0 meaning 256", ImageKind::Icon,
       Icon({{16, DibHead(16, 32)}, {0, DibHead(256, 512)}}), TImageSize{256, 256}},
      {"icon with an embedded png", ImageKind::Icon,
       Icon({{16, DibHead(16, 32)}, {0, PngHead(100000, 100000)}}), TImageSize{100000, 100000}},
      {"icon entry beyond the file", ImageKind::Icon, Icon({{16, DibHead(16, 32)}}).substr(0, 22),
       std::nullopt},
      {"icon without entries", ImageKind::Icon, "\0\0\1\0\0\0"s, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadDeclaredImageSize(c.Kind, c.Bytes), c.Size) << c.Name;
}

TEST(ReadGifFirstFrame, GivesTheFirstFramesPlaceOnTheScreen) {
  const std::string extension = "\x21\xF9\x04\x05\0\0\0\0"s;
  EXPECT_EQ(ReadGifFirstFrame(GifScreen(10, 8) + extension + GifFrame(3, 2, 5, 4) + GifFrame(10, 8)),
            (TGifFirstFrame{{10, 8}, {5, 4, 3, 2}}));
  EXPECT_EQ(ReadGifFirstFrame(GifScreen(10, 8) + extension), std::nullopt);
}

// The readers walk headers by offsets taken from the file: every cut and every
// changed byte of the test files must stay inside the bytes (the sanitizers watch).
TEST(ReadDeclaredImageSize, CutOrChangedTestFilesAreReadWithinTheirBytes) {
  for (const auto& entry : std::filesystem::directory_iterator(KIVO_SOURCE_DIR "/tests/fixtures/images")) {
    const std::string file = ReadFileBytes(entry.path()).value();
    const size_t step = file.size() / 400 + 1;
    for (size_t i = 0; i < file.size(); i += step) {
      for (const unsigned char change : {0xFF, 0x80, 0x01}) {
        std::string changed = file;
        changed[i] = static_cast<char>(changed[i] ^ change);
        for (const std::string_view bytes :
             {std::string_view(file).substr(0, i), std::string_view(changed)}) {
          SniffImageKind(bytes);
          ReadGifFirstFrame(bytes);
          for (const ImageKind kind :
               {ImageKind::Bmp, ImageKind::Gif, ImageKind::Png, ImageKind::Jpeg, ImageKind::Icon})
            ReadDeclaredImageSize(kind, bytes);
        }
      }
    }
  }
}

}  // namespace
}  // namespace kivo
