// Writes a picture as a PNG file through the system's imaging codecs: how the
// render tests store their references. Reading them back is the product's own
// decoder's job.
#pragma once

#include <objbase.h>
#include <wincodec.h>

#include <filesystem>

#include "base/Bitmap.h"
#include "imaging/win32/ComPtr.h"

namespace kivo::testing {

inline bool WritePngInApartment(const TBitmap32& picture, const std::filesystem::path& file) {
  TComPtr<IWICImagingFactory> factory;
  TComPtr<IWICStream> stream;
  TComPtr<IWICBitmapEncoder> encoder;
  TComPtr<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  const UINT stride = static_cast<UINT>(picture.Width) * 4;
  const bool ok =
      SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))) &&
      SUCCEEDED(factory->CreateStream(stream.Out())) &&
      SUCCEEDED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) &&
      SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(frame.Out(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
      SUCCEEDED(frame->SetSize(static_cast<UINT>(picture.Width), static_cast<UINT>(picture.Height))) &&
      SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGRA &&
      SUCCEEDED(
          frame->WritePixels(static_cast<UINT>(picture.Height), stride, stride * picture.Height,
                             reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(picture.Pixels.data())))) &&
      SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  return ok;
}

inline bool WritePng(const TBitmap32& picture, const std::filesystem::path& file) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // an apartment already there serves too
  const bool ok = WritePngInApartment(picture, file);
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

}  // namespace kivo::testing
