// The current reader-window view: a hidden top-level window of class "TForm1"
// that keeps what the plugin core sets on it (tabs, feed menu, site icons,
// switches) and places, shows and hides itself for real. The tab control,
// theme list and HTML view come with the full reader window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "options/UnitLang.h"
#include "plugin/PluginHost.h"
#include "plugin/win32/WindowClass.h"

namespace kivo {

class TReaderWindowView final : public IReaderWindow {
 public:
  struct TFeedMenuItem {
    std::string Caption;
    std::string Hint;
    int Tag;
  };

  TReaderWindowView();
  ~TReaderWindowView() override;
  TReaderWindowView(const TReaderWindowView&) = delete;
  TReaderWindowView& operator=(const TReaderWindowView&) = delete;

  HWND Handle() const { return window_; }
  const std::vector<std::string>& Tabs() const { return tabs_; }
  const std::vector<TFeedMenuItem>& FeedMenu() const { return feedMenu_; }
  const std::vector<std::string>& SiteIcons() const { return siteIcons_; }
  bool LogoVisible() const { return logoVisible_; }
  int TabsPosition() const { return tabsPosition_; }
  bool CheckNewTimerEnabled() const { return checkNewTimer_; }

  void SetLogoVisible(bool visible) override { logoVisible_ = visible; }
  void settabsposition(int position) override { tabsPosition_ = position; }
  void SetCheckNewTimerEnabled(bool enabled) override { checkNewTimer_ = enabled; }
  TWindowRect GetPlacement() const override;
  void SetPlacement(const TWindowRect& rect) override;
  void ClearFeedMenu() override { feedMenu_.clear(); }
  void ClearTabs() override { tabs_.clear(); }
  void ClearFeedIcons() override { siteIcons_.clear(); }
  void AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) override;
  void AddTab(const std::string& text) override { tabs_.push_back(text); }
  void LoadIconOfSite(int index, const std::string& path) override;
  void check_new_grid_count(int) override {}

  bool Visible() const override;
  void SetVisible(bool visible) override;
  void TabControl1Change() override {}
  void TrIconDblClick() override;
  void ToolOptionsClick() override {}
  void PopupMenu1At(int x, int y) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void assotiatelanguage();
  void N1Click();
  void BringToFront();

  TWindowClassUse class_;
  HWND window_ = nullptr;
  TAssotiateLanguageHook languageHook_;
  bool logoVisible_ = true;
  int tabsPosition_ = 0;
  bool checkNewTimer_ = false;
  std::vector<std::string> tabs_;
  std::vector<TFeedMenuItem> feedMenu_;
  std::vector<std::string> siteIcons_;
};

}  // namespace kivo
