// The plugin's notification-area icon over the portable TTrayController: the
// two frames of PngImageList2, the hint, and TrayPopupMenu with the reader
// window's pictures. Its message-only window hears the icon's mouse messages.
#pragma once

#include <windows.h>  // with shellapi.h: Shell_NotifyIconW

#include <vector>

#include "base/Bitmap.h"
#include "lang/LanguageTexts.h"
#include "tray/TrayIcon.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

class TTrayIcon final : public TWindowBase, public ITrayIcon, public ITrayView {
 public:
  // `host` must outlive the icon. `frames`: the icon's two frames (the
  // module's icon stands in for a missing one); `pictures`: the reader
  // window's, by index, for the menu.
  TTrayIcon(ITrayIconHost& host, const std::vector<TBitmap32>& frames, std::vector<TBitmap32> pictures);
  ~TTrayIcon() override;

  // ITrayIcon.
  void SetVisible(bool visible) override { controller_.SetVisible(visible); }
  bool Visible() const override { return controller_.Visible(); }
  bool Blinking() const override { return controller_.Blinking(); }
  void SetBlinking(bool blinking) override { controller_.SetBlinking(blinking); }
  void SetUnreadCount(int unread) override { controller_.SetUnreadCount(unread); }

  // ITrayView.
  void ShowIcon(bool shown) override;
  void SetFrame(int frame) override;
  void SetHint(const std::string& hint) override;
  void SetBlinkTimer(bool running) override;
  TTrayCommand PopupMenu(const std::vector<TTrayMenuItem>& items) override;

  // For tests: the frame and the hint the icon shows.
  int Frame() const { return frame_; }
  const std::wstring& HintText() const { return hint_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  NOTIFYICONDATAW IconData(UINT flags) const;

  TWindowClassUse class_;
  TTrayController controller_;
  std::vector<TUniqueIcon> frames_;
  std::vector<TBitmap32> pictures_;
  int frame_ = 0;
  std::wstring hint_;
  bool added_ = false;
  TAssotiateLanguageHook languageHook_;
};

}  // namespace kivo
