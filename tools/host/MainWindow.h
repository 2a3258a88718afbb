// The host's main window: a row of plugin buttons, the contact list, the log
// of messages and the X-status line.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/host/ContactListView.h"
#include "tools/host/HostModel.h"
#include "tools/host/HostSession.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo::host {

inline void DestroyOwnedWindow(HWND window) {
  DestroyWindow(window);
}
using UniqueWindow = TUniqueHandle<HWND, DestroyOwnedWindow>;

class MainWindow final : public TWindowBase, public IHostView {
 public:
  static constexpr const wchar_t* kClassName = L"KivoHostMain";

  MainWindow(HostModel& model, IPluginChannel& channel)
      : model_(model), channel_(channel), contacts_(model, channel) {}
  // The window goes first, still attached: its last messages reach every member.
  ~MainWindow() override;
  bool Create(HINSTANCE instance, int showCommand);
  // Called when the user closes the window; the handler decides what happens.
  void SetCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }
  // Every log line also goes here (the console in script mode).
  void SetLogEcho(std::function<void(const std::string&)> echo) { logEcho_ = std::move(echo); }

  // Presses plugin button `index` as the mouse does; false when there is none.
  bool ClickButton(std::size_t index);
  ContactListView& Contacts() { return contacts_; }

  void ButtonsChanged() override;
  void ContactsChanged() override { contacts_.ContactsChanged(); }
  void ContactChanged(TPluginWord id) override { contacts_.ContactChanged(id); }
  void XStatusChanged() override;
  void Log(const std::string& line) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnHandlerFailure(const char* what) noexcept override;

 private:
  bool CreateChildren();
  HMENU CreateMainMenu() const;
  HWND CreateChild(const wchar_t* className, DWORD style, int id);
  void Layout();
  void AddTooltip(HWND button, const std::u16string& hint);
  void DrawButton(const DRAWITEMSTRUCT& item) const;
  void OnCommand(int id);
  void SendToPlugin(TPluginWord code, TPluginWord wParam);

  HostModel& model_;
  IPluginChannel& channel_;
  HINSTANCE instance_ = nullptr;
  std::optional<TWindowClassUse> class_;
  TUniqueFont font_;
  ContactListView contacts_;
  HWND log_ = nullptr;
  HWND xstatus_ = nullptr;
  HWND tooltip_ = nullptr;
  std::vector<UniqueWindow> buttons_;
  std::function<void()> closeHandler_;
  std::function<void(const std::string&)> logEcho_;
};

}  // namespace kivo::host
