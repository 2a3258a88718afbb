// One base for the plugin's windows: the object is attached at WM_NCCREATE
// (it is the lpParam of CreateWindowEx) and receives every message from
// then on; a window procedure lets no exception into the system's loop.
#pragma once

#include <windows.h>

namespace kivo {

class TWindowBase {
 public:
  TWindowBase() = default;
  virtual ~TWindowBase();
  TWindowBase(const TWindowBase&) = delete;
  TWindowBase& operator=(const TWindowBase&) = delete;

  HWND Handle() const { return window_; }

 protected:
  // Creates the window with this object attached; throws on failure.
  void Create(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style, int x, int y,
              int width, int height, HWND parent, HMENU idOrMenu);
  // Detaches and destroys the window; a derived destructor calls it while
  // its members (the window class among them) still live.
  void Destroy();
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Logs a failure of a handler; the message then gets the default answer.
  virtual void OnHandlerFailure(const char* what) noexcept;

 public:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND window_ = nullptr;
};

// Whether the screen point of a mouse message (lParam) lies on `window` or a child of it.
bool PointerOver(HWND window, LPARAM screenPoint);

}  // namespace kivo
