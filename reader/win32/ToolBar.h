// ToolBar1: five owner-drawn buttons on the window's top strip, each a
// PngImageList1 picture; their clicks reach the window as its commands.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "reader/win32/PictureList.h"
#include "ui/win32/Control.h"

namespace kivo {

class TToolButton;

class TToolBar {
 public:
  static constexpr int kHeight = 25;

  // `pictures` must outlive the bar.
  TToolBar(HWND parent, const TPictureList& pictures);
  ~TToolBar();
  TToolBar(const TToolBar&) = delete;
  TToolBar& operator=(const TToolBar&) = delete;

 private:
  std::vector<std::unique_ptr<TToolButton>> buttons_;
};

}  // namespace kivo
