// One base for the plugin's windows: the object is attached at WM_NCCREATE
// (it is the lpParam of CreateWindowEx) and receives every message from
// then on; a window procedure lets no exception into the system's loop.
// Notifications from child controls that have an object go to that object
// first (see Reflection.h).
#pragma once

#include <windows.h>

#include "ui/win32/Reflection.h"

namespace kivo {

class TWindowBase : public TWindowObject {
 public:
  TWindowBase() = default;
  ~TWindowBase() override;

  HWND Handle() const { return window_; }
  // Logs nothing itself: a child window passes the failure to its parent's object.
  void OnHandlerFailure(const char* what) noexcept override;

 protected:
  // Creates the window with this object attached; throws on failure.
  void Create(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style, int x, int y,
              int width, int height, HWND parent, HMENU idOrMenu);
  // Detaches and destroys the window; a derived destructor calls it while
  // its members (the window class among them) still live.
  void Destroy();
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 public:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND window_ = nullptr;
};

// Whether the screen point of a mouse message (lParam) lies on `window` or a child of it.
bool PointerOver(HWND window, LPARAM screenPoint);

// Moves a child window (parent client coordinates) and has it repainted, only
// when its place changes: under Wine every move of a control costs
// milliseconds, and layouts ask again for places that did not change.
void MoveIfMoved(HWND child, const RECT& place);

}  // namespace kivo
