// A kernel handle that INVALID_HANDLE_VALUE marks as none (a file, a file
// search), closed by `TClose` when it goes.
#pragma once

#include <windows.h>

namespace kivo {

template <class TClose>
class TSystemHandle {
 public:
  explicit TSystemHandle(HANDLE handle) : handle_(handle) {}
  ~TSystemHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) TClose{}(handle_);
  }
  TSystemHandle(const TSystemHandle&) = delete;
  TSystemHandle& operator=(const TSystemHandle&) = delete;
  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

struct TCloseFile {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct TCloseFind {
  void operator()(HANDLE handle) const { FindClose(handle); }
};

using TFileHandle = TSystemHandle<TCloseFile>;
using TFindHandle = TSystemHandle<TCloseFind>;

}  // namespace kivo
