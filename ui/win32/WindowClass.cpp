#include "ui/win32/WindowClass.h"

#include <map>
#include <stdexcept>
#include <string>

#include "platform/win32/ThisModule.h"

namespace kivo {

namespace {

// Users per class name; all windows live on the host's user-interface thread.
std::map<std::wstring, int>& Users() {
  static std::map<std::wstring, int> users;
  return users;
}

}  // namespace

TWindowClassUse::TWindowClassUse(const wchar_t* name, WNDPROC procedure, const TWindowClassOptions& options)
    : name_(name) {
  int& users = Users()[name];
  if (users == 0) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = options.Style;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = options.WindowExtra;
    windowClass.hInstance = ThisModule();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = options.Background;
    windowClass.lpszClassName = name;
    if (RegisterClassExW(&windowClass) == 0) throw std::runtime_error("window class not registered");
  }
  ++users;
}

TWindowClassUse::~TWindowClassUse() {
  auto found = Users().find(name_);
  if (found == Users().end() || --found->second > 0) return;
  Users().erase(found);
  UnregisterClassW(name_, ThisModule());
}

}  // namespace kivo
