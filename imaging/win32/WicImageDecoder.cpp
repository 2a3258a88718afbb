#include "imaging/win32/WicImageDecoder.h"

#include <wincodec.h>
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "imaging/ImageSignature.h"
#include "imaging/win32/ComPtr.h"

namespace kivo {

namespace {

// COM for the calling thread for the length of one decode. A thread already in
// a single-threaded apartment keeps it; COM is usable there all the same.
class TComForThread {
 public:
  TComForThread() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~TComForThread() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  TComForThread(const TComForThread&) = delete;
  TComForThread& operator=(const TComForThread&) = delete;
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

const GUID& ContainerFormat(ImageKind kind) {
  switch (kind) {
    case ImageKind::Bmp:
      return GUID_ContainerFormatBmp;
    case ImageKind::Gif:
      return GUID_ContainerFormatGif;
    case ImageKind::Png:
      return GUID_ContainerFormatPng;
    case ImageKind::Jpeg:
      return GUID_ContainerFormatJpeg;
    case ImageKind::Icon:
      break;
  }
  return GUID_ContainerFormatIco;
}

std::optional<UINT> FrameNearestTo(IWICBitmapDecoder& decoder, int side) {
  UINT count = 0;
  if (FAILED(decoder.GetFrameCount(&count)) || count == 0) return std::nullopt;
  UINT best = 0;
  long bestDistance = LONG_MAX;
  for (UINT i = 0; i < count; ++i) {
    TComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(decoder.GetFrame(i, frame.Out())) || FAILED(frame->GetSize(&width, &height))) continue;
    const long distance =
        std::labs(static_cast<long>(width) - side) + std::labs(static_cast<long>(height) - side);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

std::optional<TBitmap32> CopyAsBgra(IWICImagingFactory& factory, IWICBitmapFrameDecode& frame) {
  UINT width = 0;
  UINT height = 0;
  if (FAILED(frame.GetSize(&width, &height)) || !ImageSizeAllowed(width, height)) return std::nullopt;
  TComPtr<IWICFormatConverter> converter;
  if (FAILED(factory.CreateFormatConverter(converter.Out())) ||
      FAILED(converter->Initialize(&frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                   0.0, WICBitmapPaletteTypeCustom)))
    return std::nullopt;
  TBitmap32 bitmap{static_cast<int>(width), static_cast<int>(height), {}};
  bitmap.Pixels.resize(size_t{width} * height);
  // 32bppBGRA in memory is 0xAARRGGBB as a little-endian word.
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(bitmap.Pixels.data()))))
    return std::nullopt;
  return bitmap;
}

// A first frame smaller than the logical screen sits at its place on a clear
// screen, as a viewer shows it.
TBitmap32 PlacedOnGifScreen(TBitmap32 frame, std::string_view bytes) {
  const std::optional<TGifFirstFrame> layout = ReadGifFirstFrame(bytes);
  if (!layout || layout->Screen.Width < 1 || layout->Screen.Height < 1) return frame;
  const TImageRect& place = layout->Frame;
  const int width = static_cast<int>(layout->Screen.Width);
  const int height = static_cast<int>(layout->Screen.Height);
  if (width == frame.Width && height == frame.Height && place.Left == 0 && place.Top == 0) return frame;
  TBitmap32 screen{width, height,
                   std::vector<std::uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height))};
  for (int y = 0; y < frame.Height && place.Top + y < height; ++y) {
    for (int x = 0; x < frame.Width && place.Left + x < width; ++x) {
      screen.Pixels[static_cast<size_t>((place.Top + y) * width + place.Left + x)] =
          frame.Pixels[static_cast<size_t>(y * frame.Width + x)];
    }
  }
  return screen;
}

// `iconSide` 0 takes the first frame.
std::optional<TBitmap32> DecodeWithWic(ImageKind kind, std::string_view bytes, int iconSide) {
  if (bytes.empty() || bytes.size() > UINT_MAX) return std::nullopt;
  // Some codecs take the pixel memory while they open the file: judge the
  // declared size before handing the bytes over.
  const std::optional<TImageSize> declared = ReadDeclaredImageSize(kind, bytes);
  if (!declared || !ImageSizeAllowed(declared->Width, declared->Height)) return std::nullopt;

  const TComForThread com;
  if (!com.Usable()) return std::nullopt;
  TComPtr<IWICImagingFactory> factory;
  TComPtr<IWICStream> stream;
  TComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.Out()))) ||
      FAILED(factory->CreateStream(stream.Out())) ||
      FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                          static_cast<DWORD>(bytes.size()))) ||
      FAILED(factory->CreateDecoder(ContainerFormat(kind), nullptr, decoder.Out())) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)))
    return std::nullopt;
  const std::optional<UINT> index = iconSide > 0 ? FrameNearestTo(*decoder.Get(), iconSide) : 0;
  TComPtr<IWICBitmapFrameDecode> frame;
  if (!index || FAILED(decoder->GetFrame(*index, frame.Out()))) return std::nullopt;
  std::optional<TBitmap32> picture = CopyAsBgra(*factory.Get(), *frame.Get());
  if (picture && kind == ImageKind::Gif) return PlacedOnGifScreen(std::move(*picture), bytes);
  return picture;
}

std::optional<TBitmap32> DecodeOrNothing(ImageKind kind, std::string_view bytes, int iconSide) {
  try {
    return DecodeWithWic(kind, bytes, iconSide);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<TBitmap32> TWicImageDecoder::Decode(ImageKind kind, std::string_view bytes) {
  return DecodeOrNothing(kind, bytes, 0);
}

std::optional<TBitmap32> TWicImageDecoder::DecodeIcon(std::string_view bytes, int side) {
  return DecodeOrNothing(ImageKind::Icon, bytes, side < 1 ? 1 : side);
}

TWicImageDecoder& SharedImageDecoder() {
  static TWicImageDecoder decoder;
  return decoder;
}

}  // namespace kivo
