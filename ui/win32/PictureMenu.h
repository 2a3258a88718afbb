// A pop-up menu whose items carry pictures. The system draws the pictures
// (premultiplied 32-bit sections); an owner-drawn item is drawn by the window
// the menu is tracked for, from the data it was added with.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "ui/win32/GdiHandles.h"

namespace kivo {

class TPictureMenu {
 public:
  TPictureMenu();

  explicit operator bool() const { return static_cast<bool>(menu_); }
  HMENU Get() const { return menu_.Get(); }

  void Add(int command, const std::string& caption, const TBitmap32* picture = nullptr);
  void AddSeparator();
  // WM_MEASUREITEM and WM_DRAWITEM get `data` as their itemData.
  void AddOwnerDrawn(int command, const void* data);

 private:
  TUniqueMenu menu_;
  std::vector<TUniqueBitmap> bitmaps_;  // the menu only borrows them
};

// The system's menu font, for owner-drawn items; empty when it cannot be had.
TUniqueFont MenuFont();

}  // namespace kivo
