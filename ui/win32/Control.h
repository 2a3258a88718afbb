// A system control (a button, tab control, status bar...) with a C++ object:
// the notifications its parent receives about it are reflected here, and the
// object sees the control's own messages before the control does. The object
// owns the control; a control that dies with its parent is forgotten then.
#pragma once

#include <windows.h>

#include "ui/win32/Reflection.h"

namespace kivo {

class TControl : public TWindowObject {
 public:
  TControl() = default;
  ~TControl() override;

  HWND Handle() const { return window_; }
  // Passes the failure to the parent's object.
  void OnHandlerFailure(const char* what) noexcept override;

 protected:
  // Creates the control as child `id` of `parent`; throws on failure.
  void Create(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style, int x, int y,
              int width, int height, HWND parent, int id);
  // A message sent or posted to the control; the default lets the control have it.
  virtual LRESULT ControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The control's own handling of a message.
  LRESULT CallControl(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  void Forget();

  HWND window_ = nullptr;
};

}  // namespace kivo
