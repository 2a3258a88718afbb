#include "ui/win32/WindowBase.h"

#include <windowsx.h>

#include <stdexcept>
#include <utility>

#include "platform/win32/ThisModule.h"

namespace kivo {

TWindowBase::~TWindowBase() {
  Destroy();
}

void TWindowBase::Destroy() {
  if (window_ == nullptr) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DetachFrom(window_);
  DestroyWindow(std::exchange(window_, nullptr));
}

void TWindowBase::Create(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style, int x,
                         int y, int width, int height, HWND parent, HMENU idOrMenu) {
  CreateWindowExW(exStyle, className, caption, style, x, y, width, height, parent, idOrMenu, ThisModule(),
                  this);
  if (window_ == nullptr) throw std::runtime_error("window not created");
}

LRESULT TWindowBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window_, message, wParam, lParam);
}

void TWindowBase::OnHandlerFailure(const char* what) noexcept {
  ReportFailureToParent(window_, what);
}

LRESULT CALLBACK TWindowBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<TWindowBase*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    owner->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    owner->AttachTo(window);
  }
  auto* owner = reinterpret_cast<TWindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (owner == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    owner->DetachFrom(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    owner->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  const auto answer = Guarded(*owner, [&] {
    if (const auto reflected = ReflectToChild(window, message, wParam, lParam)) return *reflected;
    return owner->HandleMessage(message, wParam, lParam);
  });
  return answer ? *answer : DefWindowProcW(window, message, wParam, lParam);
}

bool PointerOver(HWND window, LPARAM screenPoint) {
  const HWND under = WindowFromPoint(POINT{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)});
  return under != nullptr && (under == window || IsChild(window, under));
}

void MoveIfMoved(HWND child, const RECT& place) {
  RECT now{};
  GetWindowRect(child, &now);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&now), 2);
  if (EqualRect(&now, &place)) return;
  MoveWindow(child, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

}  // namespace kivo
