// Worker notices to a window's queue; PostMessage is safe from any thread.
#pragma once

#include <windows.h>

#include "platform/UiMessages.h"

namespace kivo {

class TWindowPoster final : public IMessagePoster {
 public:
  explicit TWindowPoster(HWND window) : window_(window) {}
  void Post(unsigned message, long lParam) override {
    PostMessageW(window_, message, 0, static_cast<LPARAM>(lParam));
  }

 private:
  HWND window_;
};

}  // namespace kivo
