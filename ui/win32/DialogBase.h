// A modeless dialog window of our own. The messenger runs the message loop
// and never calls IsDialogMessage for us, so the dialog gives Enter and Esc
// their meaning itself: each child control, as it is created, learns to hand
// them to the dialog unless it wants the key (a multi-line edit, an open
// drop-down list). Enter presses the focused push button or else the default
// button, Esc (and closing the window) the cancel button, IDCANCEL.
#pragma once

#include <windows.h>

#include "ui/win32/WindowBase.h"

namespace kivo {

class TDialogBase : public TWindowBase {
 public:
  int DefaultButton() const { return defaultButton_; }
  void SetDefaultButton(int id) { defaultButton_ = id; }

  // As a click on the button does: WM_COMMAND BN_CLICKED to the dialog,
  // unless the button is disabled. A missing button still sends its command.
  void PressButton(int id);

 protected:
  // A derived dialog passes the messages it does not handle on to here.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static LRESULT CALLBACK KeyFilter(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data);
  static BOOL CALLBACK WatchInner(HWND inner, LPARAM dialog);
  void WatchKeys(HWND control);
  void OnDialogKey(WPARAM key, HWND from);
  void Press(int id, HWND button);

  int defaultButton_ = IDOK;
};

}  // namespace kivo
