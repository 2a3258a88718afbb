// The host's contact list: every special contact is a row the plugin draws
// (51); hovering shows the plugin's hint (58, 59); double click (52) and right
// click (53) go to the plugin.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

#include "tools/host/HostModel.h"
#include "tools/host/HostSession.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo::host {

class HintWindow final : public TWindowBase {
 public:
  static constexpr const wchar_t* kClassName = L"KivoHostHint";

  explicit HintWindow(IPluginChannel& channel) : channel_(channel) {}
  ~HintWindow() override { Destroy(); }
  bool Create(HWND owner);
  // Asks the plugin for the size (58) and shows the hint there, drawn at once (59).
  bool Show(TPluginWord contactId, POINT screenPosition);
  void Hide();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  IPluginChannel& channel_;
  std::optional<TWindowClassUse> class_;
  TPluginWord contactId_ = 0;
};

class ContactListView final : public TWindowBase {
 public:
  static constexpr const wchar_t* kClassName = L"KivoHostContacts";
  static constexpr int kRowHeight = 20;

  ContactListView(const HostModel& model, IPluginChannel& channel)
      : model_(model), channel_(channel), hint_(channel) {}
  ~ContactListView() override { Destroy(); }
  bool Create(HWND parent);

  void ContactsChanged();
  void ContactChanged(TPluginWord id);
  // What the mouse does, also for scripts; false when there is no such row.
  bool DoubleClick(std::size_t row);
  bool OpenMenu(std::size_t row, POINT screenPosition);
  // The menu at the row's middle, as a right click there opens it.
  bool OpenMenuOnRow(std::size_t row);
  bool ShowHint(std::size_t row);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();
  void DrawRow(HDC dc, std::size_t row, const RECT& rect);
  RECT RowRect(std::size_t row) const;
  std::optional<std::size_t> RowAt(LPARAM clientPoint) const;
  void OnMouseMove(LPARAM clientPoint);
  void OnRightClick(LPARAM clientPoint);

  const HostModel& model_;
  IPluginChannel& channel_;
  std::optional<TWindowClassUse> class_;
  HintWindow hint_;
  std::optional<std::size_t> hoveredRow_;
};

}  // namespace kivo::host
