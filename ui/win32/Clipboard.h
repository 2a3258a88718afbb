// The clipboard and the global memory it takes, with owners for both.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "ui/win32/GdiHandles.h"

namespace kivo {

inline void FreeGlobal(HGLOBAL memory) {
  GlobalFree(memory);
}
// A movable global block; Release() it when the clipboard takes it.
using TUniqueGlobal = TUniqueHandle<HGLOBAL, FreeGlobal>;

// GlobalLock/GlobalUnlock; Data() is null when the block cannot be locked.
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
  ~TGlobalLock() {
    if (data_ != nullptr) GlobalUnlock(memory_);
  }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;

  void* Data() const { return data_; }
  std::size_t Size() const { return data_ != nullptr ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

// OpenClipboard/CloseClipboard.
class TClipboard {
 public:
  // Another program may hold the clipboard for a moment: opening is retried briefly.
  explicit TClipboard(HWND owner);
  ~TClipboard();
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

// `text` as Unicode text on the clipboard, in place of what it held; its
// lines end in CR LF there, as other programs expect. False when refused.
bool PutClipboardText(HWND owner, std::u16string_view text);
// The Unicode text on the clipboard; nullopt when it holds none.
std::optional<std::u16string> ClipboardText(HWND owner);

}  // namespace kivo
