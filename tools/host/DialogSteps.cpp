// The script's steps on the options dialogs: the messages a user's clicks,
// typing and choices send to their controls.
#include <windows.h>
// The common controls need the Windows types first.
#include <commctrl.h>

#include <algorithm>

#include "tools/host/ScriptRunner.h"
#include "tools/host/Text.h"
#include "tray/TrayIcon.h"

namespace kivo::host {
namespace {

// The visible window of the class in this process, else a hidden one.
HWND FindDialog(const std::wstring& className) {
  const auto windows = TopWindowsOfClass(className);
  for (const auto& window : windows) {
    if (window.Visible) return window.Handle;
  }
  return windows.empty() ? nullptr : windows.front().Handle;
}

struct FoundControl {
  int Id;
  HWND Handle = nullptr;
};

BOOL CALLBACK MatchControl(HWND window, LPARAM found) {
  auto* control = reinterpret_cast<FoundControl*>(found);
  if (GetDlgCtrlID(window) != control->Id) return TRUE;
  control->Handle = window;
  return FALSE;
}

// A page may hold its controls in a panel of its own.
HWND FindControl(HWND dialog, int id) {
  if (HWND direct = GetDlgItem(dialog, id)) return direct;
  FoundControl control{id};
  EnumChildWindows(dialog, &MatchControl, reinterpret_cast<LPARAM>(&control));
  return control.Handle;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return name;
}

bool ClassIs(HWND window, const wchar_t* name) {
  return lstrcmpiW(ClassOf(window).c_str(), name) == 0;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The text a list shows for its selection; the window text of anything else.
std::wstring ShownText(HWND control) {
  if (!ClassIs(control, WC_LISTBOXW)) return TextOf(control);
  const LRESULT index = SendMessageW(control, LB_GETCURSEL, 0, 0);
  const LRESULT length = SendMessageW(control, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (index == LB_ERR || length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(control, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

bool Checked(HWND control) {
  return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void NotifyCommand(HWND control, WORD code) {
  SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

LRESULT NotifyTab(HWND tabs, UINT code) {
  NMHDR header{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), code};
  return SendMessageW(GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// Selects entry `index` as a click would; an error text when it cannot.
std::string SelectEntry(HWND control, int index) {
  const auto entry = static_cast<WPARAM>(index);
  if (ClassIs(control, WC_TABCONTROLW)) {
    if (index >= SendMessageW(control, TCM_GETITEMCOUNT, 0, 0)) return "no tab " + std::to_string(index);
    if (NotifyTab(control, TCN_SELCHANGING) != 0) return "the dialog refused to leave its page";
    SendMessageW(control, TCM_SETCURSEL, entry, 0);
    NotifyTab(control, TCN_SELCHANGE);
    return {};
  }
  const bool list = ClassIs(control, WC_LISTBOXW);
  if (!list && !ClassIs(control, WC_COMBOBOXW)) return "a " + ToUtf8(ClassOf(control)) + " has no entries";
  if (index >= SendMessageW(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0))
    return "no entry " + std::to_string(index);
  SendMessageW(control, list ? LB_SETCURSEL : CB_SETCURSEL, entry, 0);
  NotifyCommand(control, list ? LBN_SELCHANGE : CBN_SELCHANGE);
  return {};
}

// The control a step acts on, or why a user could not reach it.
std::string Reach(const script::DialogControl& target, bool enabled, HWND& control) {
  const HWND dialog = FindDialog(target.Dialog);
  if (dialog == nullptr) return "no " + ToUtf8(target.Dialog) + " window";
  control = FindControl(dialog, target.Id);
  if (control == nullptr) return "the dialog has no control " + std::to_string(target.Id);
  if (enabled && !IsWindowEnabled(control)) return "the control is disabled";
  return {};
}

// Message-only windows are not enumerated by process: other hosts running
// beside this one have tray windows of the same class.
HWND OwnTrayWindow() {
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, kTrayWindowClass, nullptr); window != nullptr;
       window = FindWindowExW(HWND_MESSAGE, window, kTrayWindowClass, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) return window;
  }
  return nullptr;
}

}  // namespace

ScriptRunner::Outcome ScriptRunner::Do(const script::DialogDo& action) {
  if (action.Action == script::DialogAction::Close) {
    const HWND dialog = FindDialog(action.Target.Dialog);
    if (dialog == nullptr) return {Verdict::Fail, "no " + ToUtf8(action.Target.Dialog) + " window"};
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    return {Verdict::Pass, {}};
  }
  HWND control = nullptr;
  if (std::string error = Reach(action.Target, true, control); !error.empty()) return {Verdict::Fail, error};
  SendMessageW(control, BM_CLICK, 0, 0);
  return {Verdict::Pass, {}};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::DialogTick& tick) {
  HWND control = nullptr;
  if (std::string error = Reach(tick.Target, true, control); !error.empty()) return {Verdict::Fail, error};
  if (Checked(control) != tick.On) SendMessageW(control, BM_CLICK, 0, 0);
  if (Checked(control) == tick.On) return {Verdict::Pass, {}};
  return {Verdict::Fail, "a click did not change it"};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::DialogType& type) {
  HWND control = nullptr;
  if (std::string error = Reach(type.Target, true, control); !error.empty()) return {Verdict::Fail, error};
  SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(type.Text.c_str()));
  NotifyCommand(control, EN_CHANGE);
  return {Verdict::Pass, {}};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::DialogSelect& select) {
  HWND control = nullptr;
  if (std::string error = Reach(select.Target, true, control); !error.empty()) return {Verdict::Fail, error};
  const std::string error = SelectEntry(control, select.Index);
  return {error.empty() ? Verdict::Pass : Verdict::Fail, error};
}

// Unlike window-hidden, a dialog not made yet counts as hidden: the user sees
// the same.
ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectDialog& expect) {
  const auto windows = TopWindowsOfClass(expect.Dialog);
  if (AnyVisible(windows) == (expect.State == script::Visibility::Visible)) return {Verdict::Pass, {}};
  return {Verdict::Fail, AnyVisible(windows) ? "visible" : windows.empty() ? "not made" : "hidden"};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectDialogChecked& expect) {
  HWND control = nullptr;
  if (std::string error = Reach(expect.Target, false, control); !error.empty()) return {Verdict::Fail, error};
  if (Checked(control) == expect.On) return {Verdict::Pass, {}};
  return {Verdict::Fail, Checked(control) ? "on" : "off"};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectDialogText& expect) {
  HWND control = nullptr;
  if (std::string error = Reach(expect.Target, false, control); !error.empty()) return {Verdict::Fail, error};
  const std::wstring text = ShownText(control);
  if (text == expect.Text) return {Verdict::Pass, {}};
  return {Verdict::Fail, "is \"" + ToUtf8(text) + "\""};
}

// A file dialog reads a relative name against its own folder: the script's
// names are the host's.
ScriptRunner::Outcome ScriptRunner::Do(const script::QueueAnswer& answer) {
  script::QueueAnswer queued = answer;
  if (queued.Kind == script::QuestionKind::File && queued.Confirm) {
    wchar_t full[MAX_PATH * 4] = {};
    if (GetFullPathNameW(queued.Text.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr) == 0)
      return {Verdict::Error, "no full path for " + ToUtf8(queued.Text)};
    queued.Text = full;
  }
  answers_.Queue(std::move(queued));
  return {Verdict::Pass, {}};
}

// The icon's mouse message as the shell sends it; a menu it opens is answered meanwhile.
ScriptRunner::Outcome ScriptRunner::Do(const script::TrayClick& click) {
  const HWND tray = OwnTrayWindow();
  if (tray == nullptr) return {Verdict::Fail, "the plugin has no tray icon window"};
  SendMessageW(tray, kTrayCallbackMessage, 1, click.Right ? WM_RBUTTONUP : WM_LBUTTONUP);
  return {Verdict::Pass, {}};
}

namespace {

// The visible top-level window of the class, else a visible window of the
// class inside a visible top-level one.
HWND VisibleWindowOfClass(const std::wstring& className) {
  for (const TopWindow& window : TopWindowsOfClass(className)) {
    if (window.Visible) return window.Handle;
  }
  for (const TopWindow& window : PluginTopWindows()) {
    if (!window.Visible) continue;
    if (const HWND child = VisibleChildOfClass(window.Handle, className)) return child;
  }
  return nullptr;
}

}  // namespace

// A right click sends both halves: the pop-up closes on the press, the viewer
// opens its menu on the release (and the menu is answered meanwhile).
ScriptRunner::Outcome ScriptRunner::Do(const script::WindowClick& click) {
  const HWND window = VisibleWindowOfClass(click.ClassName);
  if (window == nullptr) return {Verdict::Fail, "no visible " + ToUtf8(click.ClassName) + " window"};
  const LPARAM point = MAKELPARAM(click.X, click.Y);
  if (click.Right) {
    SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, point);
    if (IsWindow(window) && IsWindowVisible(window)) SendMessageW(window, WM_RBUTTONUP, 0, point);
  } else {
    SendMessageW(window, WM_LBUTTONUP, 0, point);
  }
  return {Verdict::Pass, {}};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::WaitAnswered& wait) {
  if (PumpUntil([&] { return answers_.AllAnswered(); }, wait.TimeoutMs)) return {Verdict::Pass, {}};
  return {Verdict::Fail, "still waiting for " + answers_.DescribeUnused()};
}

}  // namespace kivo::host
