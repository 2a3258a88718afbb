// Move-only owners of GDI handles and scoped device-context helpers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace kivo {

template <typename Handle, auto Free>
class TUniqueGdi {
 public:
  TUniqueGdi() = default;
  explicit TUniqueGdi(Handle handle) : handle_(handle) {}
  ~TUniqueGdi() { Reset(); }
  TUniqueGdi(TUniqueGdi&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
  TUniqueGdi& operator=(TUniqueGdi&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, Handle{}));
    return *this;
  }
  TUniqueGdi(const TUniqueGdi&) = delete;
  TUniqueGdi& operator=(const TUniqueGdi&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  void Reset(Handle handle = Handle{}) {
    if (handle_ != Handle{}) Free(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_{};
};

inline void FreeGdiObject(HGDIOBJ object) {
  DeleteObject(object);
}
inline void FreeMemoryDc(HDC dc) {
  DeleteDC(dc);
}

using TUniqueFont = TUniqueGdi<HFONT, FreeGdiObject>;
using TUniqueBitmap = TUniqueGdi<HBITMAP, FreeGdiObject>;
using TUniqueBrush = TUniqueGdi<HBRUSH, FreeGdiObject>;
using TUniqueMemoryDc = TUniqueGdi<HDC, FreeMemoryDc>;

// BeginPaint/EndPaint of one WM_PAINT.
class TPaintDc {
 public:
  explicit TPaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~TPaintDc() { EndPaint(window_, &paint_); }
  TPaintDc(const TPaintDc&) = delete;
  TPaintDc& operator=(const TPaintDc&) = delete;
  HDC Get() const { return dc_; }
  const RECT& Update() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Keeps an object selected into a DC for the guard's lifetime.
class TSelectedObject {
 public:
  TSelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~TSelectedObject() { SelectObject(dc_, previous_); }
  TSelectedObject(const TSelectedObject&) = delete;
  TSelectedObject& operator=(const TSelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A top-down 32-bit DIB section selected into its own memory DC; Pixels()
// are 0xAARRGGBB, row after row.
class TDibSurface {
 public:
  TDibSurface(int width, int height);
  ~TDibSurface();
  TDibSurface(const TDibSurface&) = delete;
  TDibSurface& operator=(const TDibSurface&) = delete;

  HDC Dc() const { return dc_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint32_t* Pixels() const { return pixels_; }
  explicit operator bool() const { return pixels_ != nullptr; }

 private:
  int width_;
  int height_;
  std::uint32_t* pixels_ = nullptr;
  TUniqueMemoryDc dc_;
  TUniqueBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
};

inline TDibSurface::TDibSurface(int width, int height)
    : width_(width < 1 ? 1 : width), height_(height < 1 ? 1 : height), dc_(CreateCompatibleDC(nullptr)) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc_ || !bitmap_ || bits == nullptr) return;
  pixels_ = static_cast<std::uint32_t*>(bits);
  previous_ = SelectObject(dc_.Get(), bitmap_.Get());
}

inline TDibSurface::~TDibSurface() {
  if (previous_ != nullptr) SelectObject(dc_.Get(), previous_);
}

}  // namespace kivo
