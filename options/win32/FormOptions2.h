// The feed settings dialog's Win32 view (TFormOptions2): name and address at
// the top, three pages under a tab control, OK at the bottom right.
#pragma once

#include <windows.h>

#include <string>

#include "base/PluginWindow.h"
#include "lang/LanguageTexts.h"
#include "options/FeedSettingsController.h"
#include "options/OptionsView.h"
#include "options/win32/DialogViewBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

class TFormOptions2 final : public TDialogViewBase, public IFeedSettingsView, public IPluginWindow {
 public:
  TFormOptions2();
  ~TFormOptions2() override;
  void SetController(TFeedSettingsController* controller) { controller_ = controller; }

  // IFeedSettingsView.
  void SetChecked(TFeedSettingsControl control, bool checked) override;
  void SetEnabled(TFeedSettingsControl control, bool enabled) override;
  void SetText(TFeedSettingsControl control, const std::string& text) override;
  void SetPage(int page) override;
  void Show() override;
  void BringToFront() override { SetForegroundWindow(Handle()); }
  void Hide() override { ShowWindowOf(false); }
  void ShowMessage(const std::string& text) override;

  // IPluginWindow.
  bool Visible() const override { return IsWindowVisible(Handle()) != FALSE; }
  void SetVisible(bool visible) override { ShowWindowOf(visible); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void assotiatelanguage();
  void OnCommand(int id, int code);

  TWindowClassUse class_;
  TFeedSettingsController* controller_ = nullptr;
  TAssotiateLanguageHook languageHook_;
};

}  // namespace kivo
