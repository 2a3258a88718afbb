// Move-only owners of GDI handles (and of the few USER handles drawing code
// keeps), scoped device-context helpers and 32-bit DIB sections.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace kivo {

template <typename Handle, auto Free>
class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(Handle handle) : handle_(handle) {}
  ~TUniqueHandle() { Reset(); }
  TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, Handle{}));
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  // Forgets the handle without freeing it (someone else freed or took it).
  Handle Release() { return std::exchange(handle_, Handle{}); }
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
inline void FreeIcon(HICON icon) {
  DestroyIcon(icon);
}
inline void FreeMenu(HMENU menu) {
  DestroyMenu(menu);
}

using TUniqueFont = TUniqueHandle<HFONT, FreeGdiObject>;
using TUniqueBitmap = TUniqueHandle<HBITMAP, FreeGdiObject>;
using TUniqueBrush = TUniqueHandle<HBRUSH, FreeGdiObject>;
using TUniqueMemoryDc = TUniqueHandle<HDC, FreeMemoryDc>;
using TUniqueIcon = TUniqueHandle<HICON, FreeIcon>;
using TUniqueMenu = TUniqueHandle<HMENU, FreeMenu>;

// GetWindowDC/ReleaseDC: the whole window, frame included.
class TWindowDc {
 public:
  explicit TWindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
  ~TWindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  TWindowDc(const TWindowDc&) = delete;
  TWindowDc& operator=(const TWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

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

// An off-screen bitmap compatible with `target` (at least 1 x 1): draw into
// Dc(), then Present() copies it to the target's origin.
class TBackBuffer {
 public:
  TBackBuffer(HDC target, SIZE size)
      : target_(target),
        size_{size.cx < 1 ? 1 : size.cx, size.cy < 1 ? 1 : size.cy},
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, size_.cx, size_.cy)),
        selection_(dc_.Get(), bitmap_.Get()) {}
  HDC Dc() const { return dc_.Get(); }
  void Present() const { BitBlt(target_, 0, 0, size_.cx, size_.cy, dc_.Get(), 0, 0, SRCCOPY); }

 private:
  HDC target_;
  SIZE size_;
  TUniqueMemoryDc dc_;
  TUniqueBitmap bitmap_;
  TSelectedObject selection_;
};

// The header of a top-down 32-bit BI_RGB bitmap.
inline BITMAPINFO TopDownDibInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

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
  const BITMAPINFO info = TopDownDibInfo(width_, height_);
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
