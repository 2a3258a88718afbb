#include "plugin/win32/Win32Platform.h"

#include <windows.h>  // with oleauto.h: the OLE string functions

#include <new>

#include "imaging/win32/ImageLists.h"
#include "imaging/win32/ResourceIds.h"
#include "imaging/win32/WicImageDecoder.h"
#include "platform/FileIo.h"
#include "platform/win32/ThisModule.h"
#include "viewer/win32/GdiCanvas.h"

namespace kivo {

std::u16string TWin32Platform::ModuleFileName(TPluginWord dllHandle) {
  const HMODULE module = dllHandle != 0 ? reinterpret_cast<HMODULE>(dllHandle) : ThisModule();
  return kivo::ModuleFileName(module);
}

TSize TWin32Platform::ScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void TWin32Platform::CreateFolder(const TFilePath& path) {
  kivo::CreateFolder(path);
}

// Never destroyed: the host keeps drawing the button with it.
TPluginWord TWin32Platform::LoadButtonIcon() {
  const HANDLE icon = LoadImageW(ThisModule(), L"ICO1", IMAGE_ICON, 16, 16, LR_LOADTRANSPARENT);
  return reinterpret_cast<TPluginWord>(icon);
}

THostString TWin32Platform::MakeHostString(std::u16string_view text) {
  BSTR string =
      SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  if (string == nullptr) throw std::bad_alloc();
  return THostString(reinterpret_cast<const char16_t*>(string), [](const char16_t* owned) {
    SysFreeString(reinterpret_cast<BSTR>(const_cast<char16_t*>(owned)));
  });
}

IImageDecoder& TWin32Platform::ImageDecoder() {
  return SharedImageDecoder();
}

namespace {

// GDI on the host's device context, for one drawing; the DC's state comes back after.
class TGdiContactPainter final : public IContactPainter {
 public:
  explicit TGdiContactPainter(HDC dc) : canvas_(dc, fonts_) {}
  void FillRect(const TRect& rect, TColor color) override { canvas_.FillRect(rect, color); }
  void FrameRect(const TRect& rect, TColor color) override { canvas_.FrameRect(rect, color); }
  void DrawText(int x, int y, const TFontSpec& font, TColor color, std::u16string_view text) override {
    canvas_.DrawText(x, y, font, color, text);
  }
  void DrawImage(const TRect& rect, const TBitmap32& image, std::uint64_t stamp) override {
    canvas_.DrawImage(rect, image, stamp);
  }
  int TextWidth(const TFontSpec& font, std::u16string_view text) override {
    return fonts_.TextWidth(font, text);
  }
  int LineHeight(const TFontSpec& font) override { return fonts_.LineHeight(font); }
  int Ascent(const TFontSpec& font) override { return fonts_.Ascent(font); }

 private:
  TGdiFonts fonts_;
  TGdiCanvas canvas_;
};

}  // namespace

std::unique_ptr<IContactPainter> TWin32Platform::PainterOn(TPluginWord deviceContext) {
  const auto dc = reinterpret_cast<HDC>(deviceContext);
  if (dc == nullptr || GetObjectType(dc) == 0) return nullptr;
  return std::make_unique<TGdiContactPainter>(dc);
}

const TBitmap32* TWin32Platform::PluginIcon() const {
  if (!pluginIcon_) {
    const auto strip = LoadPngResource(ThisModule(), kTrayFramesResource);
    const std::vector<TBitmap32> frames = strip ? SplitStrip(*strip) : std::vector<TBitmap32>();
    pluginIcon_ = frames.empty() ? TBitmap32() : frames.front();
  }
  return pluginIcon_->Width > 0 ? &*pluginIcon_ : nullptr;
}

}  // namespace kivo
