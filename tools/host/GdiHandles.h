// Move-only owners of the Win32 handles the host creates, and scoped helpers
// for device contexts.
#pragma once

#include <windows.h>

#include <utility>

namespace kivo::host {

template <typename Handle, auto Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, Handle{}));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  // Forgets the handle without freeing it (its owner freed it already).
  Handle Release() { return std::exchange(handle_, Handle{}); }
  void Reset(Handle handle = Handle{}) {
    if (handle_ != Handle{}) Free(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_{};
};

inline void DeleteGdiObject(HGDIOBJ object) {
  DeleteObject(object);
}
inline void DeleteMemoryDc(HDC dc) {
  DeleteDC(dc);
}
inline void UnloadModule(HMODULE module) {
  FreeLibrary(module);
}
inline void DestroyOwnedWindow(HWND window) {
  DestroyWindow(window);
}

using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteGdiObject>;
using UniqueMemoryDc = UniqueHandle<HDC, DeleteMemoryDc>;
using UniqueModule = UniqueHandle<HMODULE, UnloadModule>;
using UniqueWindow = UniqueHandle<HWND, DestroyOwnedWindow>;

// GetDC/ReleaseDC of one window (or of the screen for a null window).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// GetWindowDC/ReleaseDC: the whole window, frame included.
class WholeWindowDc {
 public:
  explicit WholeWindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
  ~WholeWindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WholeWindowDc(const WholeWindowDc&) = delete;
  WholeWindowDc& operator=(const WholeWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint/EndPaint of one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects an object into a DC for the lifetime of the guard.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// An off-screen bitmap of the target's size: draw into Dc(), then Present().
class BackBuffer {
 public:
  BackBuffer(HDC target, SIZE size)
      : target_(target),
        size_(size),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, size.cx, size.cy)),
        selection_(dc_.Get(), bitmap_.Get()) {}
  HDC Dc() const { return dc_.Get(); }
  void Present() const { BitBlt(target_, 0, 0, size_.cx, size_.cy, dc_.Get(), 0, 0, SRCCOPY); }

 private:
  HDC target_;
  SIZE size_;
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  SelectedObject selection_;
};

}  // namespace kivo::host
