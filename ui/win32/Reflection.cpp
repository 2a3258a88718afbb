#include "ui/win32/Reflection.h"

#include <cstdint>
#include <string>

#include "platform/win32/ThisModule.h"

namespace kivo {

namespace {

// One name per module: a window made by another copy of the kit (the host
// emulator's, say) holds an object this module must not call.
const wchar_t* PropertyName() {
  static const std::wstring name =
      L"KivoRss.Object." + std::to_wstring(reinterpret_cast<std::uintptr_t>(ThisModule()));
  return name.c_str();
}

HWND ChildOf(HWND parent, UINT message, LPARAM lParam) {
  if (lParam == 0) return nullptr;
  switch (message) {
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return item.CtlType == ODT_MENU ? nullptr : item.hwndItem;
    }
    case WM_MEASUREITEM: {
      const auto& item = *reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
      return item.CtlType == ODT_MENU ? nullptr : GetDlgItem(parent, static_cast<int>(item.CtlID));
    }
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<LRESULT> TWindowObject::OnReflected(UINT, WPARAM, LPARAM) {
  return std::nullopt;
}

void TWindowObject::OnHandlerFailure(const char*) noexcept {}

void TWindowObject::AttachTo(HWND window) {
  SetPropW(window, PropertyName(), this);
}

void TWindowObject::DetachFrom(HWND window) {
  if (GetPropW(window, PropertyName()) == this) RemovePropW(window, PropertyName());
}

TWindowObject* ObjectOf(HWND window) {
  // Objects live on the thread of their window; another thread's is not ours to call.
  if (window == nullptr || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return nullptr;
  return static_cast<TWindowObject*>(GetPropW(window, PropertyName()));
}

void ReportFailureToParent(HWND child, const char* what) noexcept {
  if (child == nullptr || (GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD) == 0) return;
  if (TWindowObject* parent = ObjectOf(GetParent(child))) parent->OnHandlerFailure(what);
}

std::optional<LRESULT> ReflectToChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND child = ChildOf(parent, message, lParam);
  if (child == nullptr || child == parent) return std::nullopt;
  TWindowObject* object = ObjectOf(child);
  if (object == nullptr) return std::nullopt;
  try {
    return object->OnReflected(message, wParam, lParam);
  } catch (const std::exception& error) {
    object->OnHandlerFailure(error.what());
  } catch (...) {
    object->OnHandlerFailure("unknown exception");
  }
  return 0;
}

}  // namespace kivo
