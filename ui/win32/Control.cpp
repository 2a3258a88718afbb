#include "ui/win32/Control.h"

#include <commctrl.h>

#include <stdexcept>

#include "platform/win32/ThisModule.h"

namespace kivo {

namespace {
constexpr UINT_PTR kSubclassId = 1;
}  // namespace

TControl::~TControl() {
  if (window_ == nullptr) return;
  const HWND window = window_;
  Forget();
  DestroyWindow(window);
}

void TControl::OnHandlerFailure(const char* what) noexcept {
  ReportFailureToParent(window_, what);
}

void TControl::Create(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style, int x,
                      int y, int width, int height, HWND parent, int id) {
  const HWND window =
      CreateWindowExW(exStyle, className, caption, style, x, y, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
  if (window == nullptr) throw std::runtime_error("control not created");
  if (!SetWindowSubclass(window, &TControl::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    DestroyWindow(window);
    throw std::runtime_error("control not subclassed");
  }
  window_ = window;
  AttachTo(window);
}

LRESULT TControl::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallControl(message, wParam, lParam);
}

LRESULT TControl::CallControl(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(window_, message, wParam, lParam);
}

void TControl::Forget() {
  RemoveWindowSubclass(window_, &TControl::SubclassProc, kSubclassId);
  DetachFrom(window_);
  window_ = nullptr;
}

LRESULT CALLBACK TControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
  auto* control = reinterpret_cast<TControl*>(data);
  if (message == WM_NCDESTROY) {
    control->Forget();
    return DefSubclassProc(window, message, wParam, lParam);
  }
  const auto answer = Guarded(*control, [&] { return control->ControlMessage(message, wParam, lParam); });
  return answer ? *answer : DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace kivo
