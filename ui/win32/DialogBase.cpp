#include "ui/win32/DialogBase.h"

#include <commctrl.h>

namespace kivo {

namespace {

constexpr UINT_PTR kKeyFilterId = 1;

// What a control's filter sends its dialog: wParam the key, lParam the control.
UINT DialogKeyMessage() {
  static const UINT message = RegisterWindowMessageW(L"KivoRss.DialogKey");
  return message;
}

bool IsDialogKey(WPARAM key) {
  return key == VK_RETURN || key == VK_ESCAPE;
}

// As IsDialogMessage asks it: the control may claim the key for itself.
bool WantsKey(HWND control, UINT message, WPARAM key, LPARAM lParam) {
  MSG asked{control, message, key, lParam, static_cast<DWORD>(GetMessageTime()), {}};
  const LRESULT code = SendMessageW(control, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&asked));
  return (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0;
}

bool IsPushButton(HWND control) {
  return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

}  // namespace

void TDialogBase::PressButton(int id) {
  Press(id, GetDlgItem(Handle(), id));
}

void TDialogBase::Press(int id, HWND button) {
  if (button != nullptr && !IsWindowEnabled(button)) return;
  SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void TDialogBase::OnDialogKey(WPARAM key, HWND from) {
  if (key == VK_ESCAPE) return PressButton(IDCANCEL);
  if (from != nullptr && IsChild(Handle(), from) && IsPushButton(from)) {
    return Press(GetDlgCtrlID(from), from);
  }
  PressButton(defaultButton_);
}

// Controls made by a control as it is created (the edit of a combo box) get
// the filter too: the keys go to whichever has the focus.
void TDialogBase::WatchKeys(HWND control) {
  SetWindowSubclass(control, &TDialogBase::KeyFilter, kKeyFilterId, reinterpret_cast<DWORD_PTR>(Handle()));
  EnumChildWindows(control, &TDialogBase::WatchInner, reinterpret_cast<LPARAM>(Handle()));
}

BOOL CALLBACK TDialogBase::WatchInner(HWND inner, LPARAM dialog) {
  SetWindowSubclass(inner, &TDialogBase::KeyFilter, kKeyFilterId, static_cast<DWORD_PTR>(dialog));
  return TRUE;
}

// The dialog is named by its handle: a key that comes after the dialog's
// object is gone then reaches no one.
LRESULT CALLBACK TDialogBase::KeyFilter(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, &TDialogBase::KeyFilter, id);
  } else if ((message == WM_KEYDOWN || message == WM_CHAR) && IsDialogKey(wParam) &&
             !WantsKey(control, message, wParam, lParam)) {
    // The character that follows the key would only make the control beep.
    if (message == WM_KEYDOWN) {
      SendMessageW(reinterpret_cast<HWND>(data), DialogKeyMessage(), wParam,
                   reinterpret_cast<LPARAM>(control));
    }
    return 0;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

LRESULT TDialogBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == DialogKeyMessage()) {
    OnDialogKey(wParam, reinterpret_cast<HWND>(lParam));
    return 0;
  }
  switch (message) {
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE) WatchKeys(reinterpret_cast<HWND>(lParam));
      break;
    case WM_KEYDOWN:
      if (IsDialogKey(wParam)) {
        OnDialogKey(wParam, nullptr);
        return 0;
      }
      break;
    case WM_CLOSE:
      PressButton(IDCANCEL);
      return 0;
    default:
      break;
  }
  return TWindowBase::HandleMessage(message, wParam, lParam);
}

}  // namespace kivo
