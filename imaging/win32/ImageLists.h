// Decoded pictures as GDI bitmaps and image lists, and the module's PNG
// resources.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "imaging/Bitmap.h"
#include "platform/win32/GdiHandles.h"

namespace kivo {

struct TImageListDeleter {
  void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using TImageListHandle = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, TImageListDeleter>;

// AlphaBlend and UpdateLayeredWindow take premultiplied pixels; image lists
// take straight ones and blend them themselves.
enum class TAlphaForm { Premultiplied, Straight };

// A top-down 32-bit DIB section of the picture; null when GDI refuses.
TUniqueBitmap MakeDibSection(const TBitmap32& picture, TAlphaForm form = TAlphaForm::Premultiplied);

// A picture alpha-blended at (x, y), stretched to width x height (0: its own size).
void DrawPicture(HDC dc, int x, int y, const TBitmap32& picture, int width = 0, int height = 0);

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
