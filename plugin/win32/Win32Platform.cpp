#include "plugin/win32/Win32Platform.h"

#include <windows.h>  // with oleauto.h: the OLE string functions

#include <new>

#include "imaging/win32/WicImageDecoder.h"
#include "platform/FileIo.h"
#include "platform/win32/ThisModule.h"

namespace kivo {

std::u16string TWin32Platform::ModuleFileName(TPluginWord dllHandle) {
  const HMODULE module = dllHandle != 0 ? reinterpret_cast<HMODULE>(dllHandle) : ThisModule();
  return kivo::ModuleFileName(module);
}

TSize TWin32Platform::ScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void TWin32Platform::CreateFolder(const std::filesystem::path& path) {
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

}  // namespace kivo
