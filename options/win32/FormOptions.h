// The options dialog's Win32 view (TFormOptions): five pages chosen by an
// owner-drawn page list; every user action goes to the controller.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/FilePaths.h"
#include "base/PluginWindow.h"
#include "lang/LanguageTexts.h"
#include "options/OptionsController.h"
#include "options/OptionsView.h"
#include "options/win32/DialogViewBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

class TFormOptions final : public TDialogViewBase, public IOptionsView, public IPluginWindow {
 public:
  TFormOptions();
  ~TFormOptions() override;
  // Null until the controller over this view exists, and again before it goes.
  void SetController(TOptionsController* controller) { controller_ = controller; }

  // IOptionsView.
  void SetChecked(TOptionsControl control, bool checked) override;
  void SetEnabled(TOptionsControl control, bool enabled) override;
  void SetText(TOptionsControl control, const std::string& text) override;
  void SetPage(int page) override { ShowPage(page); }
  void Show() override;
  void BringToFront() override;
  void Hide() override { ShowWindowOf(false); }
  void ShowMessage(const std::string& text) override;
  void SetColour(TOptionsControl control, TControlColour colour) override;
  void SetItems(TOptionsControl control, const std::vector<std::string>& items, int selected) override;
  std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                     const std::string& initial) override;
  bool Confirm(const std::string& title, const std::string& text) override;
  std::optional<int> Choose(const std::string& title, const std::string& prompt,
                            const std::vector<std::string>& items) override;
  std::optional<TFilePath> AskOpenFile(const std::string& filterName) override;
  std::optional<TFilePath> AskSaveFile(const std::string& filterName) override;

  // IPluginWindow.
  bool Visible() const override { return IsWindowVisible(Handle()) != FALSE; }
  void SetVisible(bool visible) override { ShowWindowOf(visible); }

  // The second radio button of RadioGroup1 follows the first's identifier.
  static constexpr int kTabsTopId = 1950;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void assotiatelanguage();
  void OnCommand(int id, int code);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void ListBox2DrawItem(const DRAWITEMSTRUCT& item);
  void ListBox1DrawItem(const DRAWITEMSTRUCT& item);
  int SelectedFeed() const;

  TWindowClassUse class_;
  TOptionsController* controller_ = nullptr;
  TAssotiateLanguageHook languageHook_;
};

}  // namespace kivo
