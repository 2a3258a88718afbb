#include "tools/host/WindowQuery.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "tools/host/ContactListView.h"
#include "tools/host/MainWindow.h"

namespace kivo::host {
namespace {

std::wstring ClassNameOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return name;
}

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) {
    reinterpret_cast<std::vector<TopWindow>*>(found)->push_back(
        {window, ClassNameOf(window), IsWindowVisible(window) != FALSE});
  }
  return TRUE;
}

struct ClassSearch {
  const std::wstring& Name;
  bool VisibleOnly;
  HWND Found;
};

BOOL CALLBACK TakeWindowOfClass(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<ClassSearch*>(data);
  if (ClassNameOf(window) != search.Name || (search.VisibleOnly && !IsWindowVisible(window))) return TRUE;
  search.Found = window;
  return FALSE;
}

std::vector<TopWindow> ProcessTopWindows() {
  std::vector<TopWindow> windows;
  EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The host's windows and those the system makes for every GUI thread. The
// tooltip of the host's buttons is a top-level window as well.
bool IsHostOrSystemClass(const std::wstring& className) {
  static const std::array<std::wstring, 5> kClasses = {MainWindow::kClassName, HintWindow::kClassName,
                                                       TOOLTIPS_CLASSW, L"IME", L"MSCTFIME UI"};
  return std::find(kClasses.begin(), kClasses.end(), className) != kClasses.end();
}

}  // namespace

std::vector<TopWindow> PluginTopWindows() {
  auto windows = ProcessTopWindows();
  std::erase_if(windows, [](const TopWindow& window) { return IsHostOrSystemClass(window.ClassName); });
  return windows;
}

std::vector<TopWindow> TopWindowsOfClass(const std::wstring& className) {
  auto windows = ProcessTopWindows();
  std::erase_if(windows, [&](const TopWindow& window) { return window.ClassName != className; });
  return windows;
}

bool AnyVisible(const std::vector<TopWindow>& windows) {
  return std::any_of(windows.begin(), windows.end(), [](const TopWindow& window) { return window.Visible; });
}

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    PumpPendingMessages();
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                              QS_ALLINPUT);
  }
}

HWND VisibleChildOfClass(HWND parent, const std::wstring& className) {
  ClassSearch search{className, true, nullptr};
  EnumChildWindows(parent, &TakeWindowOfClass, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

HWND ThreadWindowOfClass(const std::wstring& className) {
  ClassSearch search{className, false, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &TakeWindowOfClass, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

}  // namespace kivo::host
