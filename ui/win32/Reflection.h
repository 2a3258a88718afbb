// The C++ object of a window, found from its handle, and the reflection of
// the notifications a parent receives about a child control (WM_COMMAND,
// WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM) to the child's own object, so a
// control can draw and answer for itself instead of its parent knowing it.
#pragma once

#include <windows.h>

#include <exception>
#include <optional>

namespace kivo {

class TWindowObject {
 public:
  TWindowObject() = default;
  virtual ~TWindowObject() = default;
  TWindowObject(const TWindowObject&) = delete;
  TWindowObject& operator=(const TWindowObject&) = delete;

  // A notification the parent received about this window: the answer when
  // handled, nullopt to leave it to the parent.
  virtual std::optional<LRESULT> OnReflected(UINT message, WPARAM wParam, LPARAM lParam);
  // A handler of this object threw; the message got the default answer.
  virtual void OnHandlerFailure(const char* what) noexcept;

 protected:
  // The object answers for `window` until DetachFrom, which its owner calls
  // by the window's end at the latest.
  void AttachTo(HWND window);
  void DetachFrom(HWND window);
};

// The object attached to `window` by this module, or null.
TWindowObject* ObjectOf(HWND window);

// Offers a child's notification to the child's object. Owner-drawn menu
// items are no controls and stay with the parent, as do commands of menus
// and accelerators. A handler that throws is reported to the child's object
// and the message answered 0, as the default procedure answers these.
std::optional<LRESULT> ReflectToChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);

// Hands a failure of a child's handler to the parent's object, if it has one.
void ReportFailureToParent(HWND child, const char* what) noexcept;

// The answer of `handler`, or nullopt when it threw: no exception may
// reach the system's message loop or the host. The failure goes to `object`.
template <typename Handler>
std::optional<LRESULT> Guarded(TWindowObject& object, Handler&& handler) noexcept {
  try {
    return handler();
  } catch (const std::exception& error) {
    object.OnHandlerFailure(error.what());
  } catch (...) {
    object.OnHandlerFailure("unknown exception");
  }
  return std::nullopt;
}

}  // namespace kivo
