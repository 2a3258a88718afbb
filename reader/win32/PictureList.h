// An image list of the reader window: pictures by index, alpha-blended when
// drawn. PngImageList1 holds the window's 18 pictures, ImageList2 the site
// icons by feed index.
#pragma once

#include <windows.h>

#include <vector>

#include "base/Bitmap.h"
#include "ui/win32/GdiHandles.h"

namespace kivo {

class TPictureList {
 public:
  TPictureList(int width, int height) : width_(width), height_(height) {}

  int Count() const { return static_cast<int>(pictures_.size()); }
  void Clear() {
    pictures_.clear();
    blended_.clear();
  }
  void Append(TBitmap32 picture) { pictures_.push_back(std::move(picture)); }
  void Set(int index, TBitmap32 picture);
  const TBitmap32* At(int index) const;
  // At the list's size; an index out of range draws nothing.
  void Draw(HDC dc, int index, int x, int y) const;

 private:
  int width_;
  int height_;
  std::vector<TBitmap32> pictures_;
  // Each picture made ready for AlphaBlend at its first drawing: a status bar
  // or a row of tabs draws the same few pictures at every paint.
  mutable std::vector<TUniqueBitmap> blended_;
  mutable TUniqueMemoryDc source_;
};

// PngImageList1: the module's pictures where it has them, else plain squares
// (marks 1 unread, 2 read, 3 green, 4 blue, 5 red).
TPictureList WindowPictures();

}  // namespace kivo
