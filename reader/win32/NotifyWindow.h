// The pop-up's Win32 half: a layered, topmost tool window that is never
// activated, fed frames by the portable TNotifyPopup.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/FilePaths.h"
#include "reader/NotifyPopup.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

inline constexpr wchar_t kNotifyWindowClass[] = L"TFormNotify";

// The skin: "notifyskin.png" in `pluginFolder` when it decodes, else the
// module's resource, else a plain panel.
TBitmap32 LoadNotifySkin(const TFilePath& pluginFolder);

class TNotifyWindow final : public TWindowBase, public INotifyView, public INotifyWindow {
 public:
  TNotifyWindow(const TBitmap32& skin, std::function<void()> onAction);
  ~TNotifyWindow() override;

  // INotifyWindow.
  void ShowNotify(const std::string& caption, const std::string& text) override;
  bool Visible() const override { return popup_->Visible(); }
  void SetVisible(bool visible) override;

  // The last frame handed to the system, for render tests.
  const TBitmap32& Frame() const { return popup_->Frame(); }
  TNotifyPopup& Popup() { return *popup_; }

  // INotifyView.
  int TextWidth(std::string_view text) override;
  int LineHeight() override;
  TBitmap32 DrawTextLayer(int width, int height, const std::string& caption,
                          const std::vector<std::string>& lines) override;
  TSize ScreenSize() override;
  std::optional<TRect> TaskbarRect() override;
  void StartTimer(TNotifyTimer timer) override;
  void StopTimer(TNotifyTimer timer) override;
  void Present(const TBitmap32& frame, int left, int top) override;
  void Hide() override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  TWindowClassUse class_;
  TUniqueFont font_;
  TUniqueFont bold_;
  TUniqueMemoryDc measure_;
  std::unique_ptr<TNotifyPopup> popup_;
  TPoint shownAt_;
  bool suppressed_ = false;  // hidden by the host: frames wait for the restore or a new notice
};

}  // namespace kivo
