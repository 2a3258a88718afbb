// Image1 on Panel2: the bar under the theme list that sizes and toggles it.
// It reports the mouse; the logic decides what a drag or a click does.
#pragma once

#include <windows.h>

#include <functional>

#include "base/Bitmap.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

class TSplitterBar final : public TWindowBase {
 public:
  static constexpr int kHeight = 8;

  struct TEvents {
    std::function<void(int offset)> Down;
    std::function<void(bool leftButton, POINT screen)> Move;
    std::function<void(bool inside)> Up;
    std::function<const TBitmap32*()> Picture;
  };

  TSplitterBar(HWND parent, int controlId, TEvents events);
  ~TSplitterBar() override { Destroy(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  TWindowClassUse class_;
  TEvents events_;
};

}  // namespace kivo
