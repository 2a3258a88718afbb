#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "imaging/win32/ImageLists.h"
#include "imaging/win32/ResourceIds.h"
#include "imaging/win32/WicImageDecoder.h"
#include "ui/win32/GdiHandles.h"

namespace kivo {
namespace {

std::string Fixture(const char* name) {
  const std::filesystem::path path =
      std::filesystem::path(KIVO_SOURCE_DIR) / "tests" / "fixtures" / "images" / name;
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t PixelAt(const TBitmap32& picture, int x, int y) {
  return picture.Pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.Width) + static_cast<size_t>(x)];
}

// Each channel within `tolerance`; the JPEG colours pass through YCbCr.
::testing::AssertionResult PixelNear(std::uint32_t actual, std::uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = static_cast<int>(actual >> shift & 0xFF);
    const int e = static_cast<int>(expected >> shift & 0xFF);
    if (std::abs(a - e) > tolerance) {
      char text[64];
      std::snprintf(text, sizeof text, "pixel %08X, expected %08X", actual, expected);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

struct TProbe {
  int X;
  int Y;
  std::uint32_t Argb;
};

struct TDecodeCase {
  const char* File;
  ImageKind Kind;
  int Width;
  int Height;
  int Tolerance;
  std::vector<TProbe> Probes;
};

TEST(WicImageDecoder, EveryKindKeepsSizeRowOrderAndColours) {
  const TDecodeCase cases[] = {
      // Rows stored bottom-up with padding to 4 bytes.
      {"five_by_three.bmp",
       ImageKind::Bmp,
       5,
       3,
       0,
       {{0, 0, 0xFF0000C8}, {1, 0, 0xFF3200C8}, {4, 2, 0xFFC8C8C8}}},
      // The first frame is red, the second green; palette entry 0 is transparent.
      {"two_frames.gif",
       ImageKind::Gif,
       4,
       4,
       0,
       {{0, 0, 0xFFFF0000}, {3, 3, 0xFFFF0000}, {3, 0, 0x00000000}}},
      // A 2 x 2 first frame at (2, 1) on a 4 x 4 screen.
      {"offset_frame.gif",
       ImageKind::Gif,
       4,
       4,
       0,
       {{0, 0, 0x00000000}, {1, 1, 0x00000000}, {2, 1, 0xFF0000FF}, {3, 2, 0xFF0000FF}, {3, 3, 0x00000000}}},
      {"alpha.png", ImageKind::Png, 4, 4, 0, {{0, 0, 0x00000000}, {1, 0, 0x800000FF}, {2, 2, 0xFFFF8000}}},
      {"two_blocks.jpg", ImageKind::Jpeg, 16, 8, 6, {{3, 3, 0xFFC82828}, {12, 5, 0xFF2828C8}}},
      // The first of three entries (16, 32, 48).
      {"three_sizes.ico", ImageKind::Icon, 16, 16, 0, {{0, 0, 0xFFFF0000}, {15, 15, 0xFFFF0000}}},
  };
  for (const TDecodeCase& c : cases) {
    SCOPED_TRACE(c.File);
    const std::optional<TBitmap32> picture = SharedImageDecoder().Decode(c.Kind, Fixture(c.File));
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->Width, c.Width);
    ASSERT_EQ(picture->Height, c.Height);
    ASSERT_EQ(picture->Pixels.size(), static_cast<size_t>(c.Width * c.Height));
    for (const TProbe& probe : c.Probes)
      EXPECT_TRUE(PixelNear(PixelAt(*picture, probe.X, probe.Y), probe.Argb, c.Tolerance))
          << "at " << probe.X << ", " << probe.Y;
  }
}

TEST(WicImageDecoder, IconTakesTheEntryNearestToTheAskedSide) {
  const struct {
    int Side;
    int Width;
    std::uint32_t Argb;
  } cases[] = {{32, 32, 0xFF00FF00}, {20, 16, 0xFFFF0000}, {44, 48, 0xFF0000FF}, {256, 48, 0xFF0000FF}};
  const std::string icon = Fixture("three_sizes.ico");
  for (const auto& c : cases) {
    const std::optional<TBitmap32> picture = SharedImageDecoder().DecodeIcon(icon, c.Side);
    ASSERT_TRUE(picture.has_value()) << c.Side;
    EXPECT_EQ(picture->Width, c.Width) << c.Side;
    EXPECT_EQ(picture->Height, c.Width) << c.Side;
    EXPECT_EQ(PixelAt(*picture, 1, 1), c.Argb) << c.Side;
  }
}

TEST(WicImageDecoder, CutCorruptOrMislabelledFilesGiveNothing) {
  const std::string_view ones = "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF";
  const struct {
    const char* File;
    ImageKind Kind;
    size_t Keep;      // bytes kept of the file; 0 keeps all
    size_t DamageAt;  // 16 bytes of FF written here; 0 writes none
  } cases[] = {
      {"five_by_three.bmp", ImageKind::Bmp, 30, 0},  // in the header
      {"five_by_three.bmp", ImageKind::Bmp, 60, 0},  // in the pixels
      {"five_by_three.bmp", ImageKind::Png, 0, 0},
      {"two_frames.gif", ImageKind::Gif, 20, 0},  // in the colour table
      {"two_frames.gif", ImageKind::Gif, 60, 0},  // in the first frame's header
      {"two_frames.gif", ImageKind::Gif, 70, 0},  // in the first frame's data
      {"two_frames.gif", ImageKind::Jpeg, 0, 0},
      {"alpha.png", ImageKind::Png, 30, 0},  // in the header chunk
      {"alpha.png", ImageKind::Png, 50, 0},  // in the data chunk
      {"alpha.png", ImageKind::Png, 0, 45},  // compressed data and checksum
      {"alpha.png", ImageKind::Gif, 0, 0},
      {"two_blocks.jpg", ImageKind::Jpeg, 40, 0},   // before the frame header
      {"two_blocks.jpg", ImageKind::Jpeg, 0, 113},  // the Huffman code lengths
      {"two_blocks.jpg", ImageKind::Icon, 0, 0},
      {"three_sizes.ico", ImageKind::Icon, 40, 0},   // in the directory
      {"three_sizes.ico", ImageKind::Icon, 200, 0},  // in the first entry
      {"three_sizes.ico", ImageKind::Bmp, 0, 0},
  };
  for (const auto& c : cases) {
    std::string bytes = Fixture(c.File);
    ASSERT_FALSE(bytes.empty()) << c.File;
    if (c.Keep != 0) bytes.resize(c.Keep);
    if (c.DamageAt != 0) bytes.replace(c.DamageAt, ones.size(), ones);
    EXPECT_FALSE(SharedImageDecoder().Decode(c.Kind, bytes).has_value())
        << c.File << " as kind " << static_cast<int>(c.Kind) << ", kept " << c.Keep << ", damaged at "
        << c.DamageAt;
  }
  EXPECT_FALSE(SharedImageDecoder().Decode(ImageKind::Png, "").has_value());
}

TEST(WicImageDecoder, HugeDeclaredSizeIsRefusedWithoutDecoding) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(SharedImageDecoder().Decode(ImageKind::Png, Fixture("huge_header.png")).has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

// Workers call the decoder on fresh threads; the window thread is already in
// a single-threaded apartment.
TEST(WicImageDecoder, DecodesOnThreadsOfAnyApartment) {
  const std::string png = Fixture("alpha.png");
  for (const int apartment : {-1, int{COINIT_APARTMENTTHREADED}, int{COINIT_MULTITHREADED}}) {
    bool decoded = false;
    std::thread worker([&] {
      const HRESULT joined = apartment < 0 ? E_FAIL : CoInitializeEx(nullptr, static_cast<DWORD>(apartment));
      decoded = SharedImageDecoder().Decode(ImageKind::Png, png).has_value() &&
                SharedImageDecoder().Decode(ImageKind::Png, png).has_value();
      if (SUCCEEDED(joined)) CoUninitialize();
    });
    worker.join();
    EXPECT_TRUE(decoded) << "apartment " << apartment;
  }
}

TEST(ImageLists, EveryResourceListLoadsWithItsCount) {
  const struct {
    const wchar_t* Name;
    int Count;
  } cases[] = {{kReaderImagesResource, kReaderImageCount},
               {kTrayFramesResource, kTrayFrameCount},
               {kOptionsImagesResource, kOptionsImageCount}};
  for (const auto& c : cases) {
    const TImageListHandle list = LoadPngImageList(GetModuleHandleW(nullptr), c.Name);
    ASSERT_TRUE(list) << c.Count;
    EXPECT_EQ(ImageList_GetImageCount(list.get()), c.Count);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list.get(), &width, &height));
    EXPECT_EQ(width, kImageListSide);
    EXPECT_EQ(height, kImageListSide);
  }
  EXPECT_FALSE(LoadPngImageList(GetModuleHandleW(nullptr), L"NOSUCHLIST"));
}

TEST(ImageLists, PopupSkinHasClearCornersAndAnOpaqueCaptionBand) {
  const std::optional<TBitmap32> skin = LoadPngResource(GetModuleHandleW(nullptr), kPopupSkinResource);
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ(skin->Width, 260);
  EXPECT_EQ(skin->Height, 120);
  EXPECT_EQ(PixelAt(*skin, 0, 0) >> 24, 0u);
  EXPECT_GT(PixelAt(*skin, 100, 10) >> 24, 0xF0u);
  // The close mark at (width - 25, 8), 17 x 17: its centre is white, its corner not.
  EXPECT_EQ(PixelAt(*skin, 243, 16) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_NE(PixelAt(*skin, 237, 11) & 0xFFFFFF, 0xFFFFFFu);
}

// A white 4 x 4 surface to draw on and read back.
class TWhiteSurface {
 public:
  TWhiteSurface() { std::fill_n(surface_.Pixels(), 16, 0xFFFFFFFFu); }
  HDC Dc() const { return surface_.Dc(); }
  std::uint32_t Pixel(int x, int y) const {
    GdiFlush();
    return surface_.Pixels()[y * 4 + x] & 0xFFFFFF;
  }

 private:
  TDibSurface surface_{4, 4};
};

// A list adds straight alpha and blends it itself; AlphaBlend takes it
// premultiplied. Either way a half-clear blue pixel over white is light blue.
TEST(ImageLists, BothDrawingPathsBlendAlphaExactlyOnce) {
  const std::optional<TBitmap32> picture = SharedImageDecoder().Decode(ImageKind::Png, Fixture("alpha.png"));
  ASSERT_TRUE(picture.has_value());
  const auto drawWithList = [&](HDC dc) {
    const TImageListHandle list = MakeImageList({*picture}, 4);
    return list && ImageList_Draw(list.get(), 0, dc, 0, 0, ILD_NORMAL);
  };
  const auto drawWithAlphaBlend = [&](HDC dc) {
    const TUniqueBitmap bitmap = MakeDibSection(*picture);
    const TUniqueMemoryDc source(CreateCompatibleDC(nullptr));
    const TSelectedObject selected(source.Get(), bitmap.Get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return AlphaBlend(dc, 0, 0, 4, 4, source.Get(), 0, 0, 4, 4, blend) != FALSE;
  };
  for (const auto& draw :
       {std::function<bool(HDC)>(drawWithList), std::function<bool(HDC)>(drawWithAlphaBlend)}) {
    const TWhiteSurface surface;
    ASSERT_TRUE(draw(surface.Dc()));
    EXPECT_TRUE(PixelNear(surface.Pixel(0, 0), 0xFFFFFF, 0));
    EXPECT_TRUE(PixelNear(surface.Pixel(1, 0), 0x7F7FFF, 2));
    EXPECT_TRUE(PixelNear(surface.Pixel(2, 2), 0xFF8000, 0));
  }
}

}  // namespace
}  // namespace kivo
