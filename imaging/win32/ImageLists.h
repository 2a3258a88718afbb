// Decoded pictures as image lists, and the module's PNG resources.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/Bitmap.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/GdiHandles.h"

namespace kivo {

struct TImageListDeleter {
  void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using TImageListHandle = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, TImageListDeleter>;

// An ILC_COLOR32 list of `side` x `side` pictures; null when one of them has
// another size or the list cannot be built.
TImageListHandle MakeImageList(const std::vector<TBitmap32>& pictures, int side);

// Square cells of a strip of pictures, left to right, as high as the strip.
std::vector<TBitmap32> SplitStrip(const TBitmap32& strip);

// The bytes of an RCDATA resource of `module`, valid while the module is loaded.
std::optional<std::string_view> ResourceBytes(HMODULE module, const wchar_t* name);

// An RCDATA resource holding a PNG (the pop-up skin).
std::optional<TBitmap32> LoadPngResource(HMODULE module, const wchar_t* name);

// An image list from an RCDATA resource holding a PNG strip of square pictures.
TImageListHandle LoadPngImageList(HMODULE module, const wchar_t* name);

}  // namespace kivo
