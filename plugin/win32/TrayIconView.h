// The plugin's notification-area icon: the module's icon "ICO1" with the
// reader window's caption as hint; a double click runs `onDoubleClick`.
// Shown and hidden by adding and removing it.
#pragma once

#include <windows.h>  // with shellapi.h: Shell_NotifyIconW

#include <functional>

#include "platform/win32/GdiHandles.h"
#include "plugin/PluginHost.h"
#include "plugin/win32/WindowClass.h"

namespace kivo {

class TTrayIconView final : public ITrayIcon {
 public:
  explicit TTrayIconView(std::function<void()> onDoubleClick);
  ~TTrayIconView() override;
  TTrayIconView(const TTrayIconView&) = delete;
  TTrayIconView& operator=(const TTrayIconView&) = delete;

  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  NOTIFYICONDATAW IconData() const;

  TWindowClassUse class_;
  HWND window_ = nullptr;
  TUniqueIcon icon_;
  bool visible_ = false;
  std::function<void()> onDoubleClick_;
};

}  // namespace kivo
