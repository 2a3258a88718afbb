// The top-level windows of this process, found by class name, and pumping
// messages while a script waits.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kivo::host {

struct TopWindow {
  HWND Handle;
  std::wstring ClassName;
  bool Visible;
};

// Every top-level window of this process except the host's own and the
// system's helpers.
std::vector<TopWindow> PluginTopWindows();
std::vector<TopWindow> TopWindowsOfClass(const std::wstring& className);
bool AnyVisible(const std::vector<TopWindow>& windows);
// A visible window of the class inside `parent`; null when none.
HWND VisibleChildOfClass(HWND parent, const std::wstring& className);
// A window of the class among this thread's top-level windows (the host's
// own); another host may run beside this one.
HWND ThreadWindowOfClass(const std::wstring& className);

// Dispatches what is queued, then returns.
void PumpPendingMessages();
// Keeps dispatching until `done` holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

}  // namespace kivo::host
