// The plugin's notification-area icon: the module's icon "ICO1" with the
// reader window's caption as hint; a double click asks the host to toggle the
// reader window. Shown and hidden by adding and removing it.
#pragma once

#include <windows.h>  // with shellapi.h: Shell_NotifyIconW

#include "tray/TrayIcon.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

class TTrayIcon final : public TWindowBase, public ITrayIcon {
 public:
  // `host` must outlive the icon.
  explicit TTrayIcon(ITrayIconHost& host);
  ~TTrayIcon() override;

  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  NOTIFYICONDATAW IconData() const;

  TWindowClassUse class_;
  ITrayIconHost& host_;
  TUniqueIcon icon_;
  bool visible_ = false;
};

}  // namespace kivo
