// A reader window without a window: the view keeps what the logic sets, the
// host keeps what the logic asks of the tray, pop-up and contacts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "reader/ReaderView.h"

namespace kivo::testing {

class FakeReaderView final : public IReaderView {
 public:
  bool Visible() const override { return visible; }
  void SetVisible(bool value) override { visible = value; }
  void BringToFront() override { ++broughtToFront; }
  TWindowRect GetPlacement() const override { return placement; }
  void SetPlacement(const TWindowRect& rect) override { placement = rect; }
  TScreenSize ScreenSize() const override { return screen; }
  TWorkArea WorkArea() const override { return workArea; }
  void SetCaption(const std::string& text) override { caption = text; }

  void ClearTabs() override {
    tabs.clear();
    selectedTab = -1;
  }
  void AddTab(const std::string& text) override {
    tabs.push_back(text);
    if (selectedTab < 0) selectedTab = 0;
  }
  int TabCount() const override { return static_cast<int>(tabs.size()); }
  int SelectedTab() const override { return selectedTab; }
  void SetSelectedTab(int index) override { selectedTab = index; }
  void RepaintTabs() override { ++tabRepaints; }
  void SetTabsAtBottom(bool bottom) override { tabsAtBottom = bottom; }

  void ClearFeedMenu() override { feedMenu.clear(); }
  void AddFeedMenuItem(const std::string& text, const std::string&, int) override {
    feedMenu.push_back(text);
  }
  int FeedMenuCount() const override { return static_cast<int>(feedMenu.size()); }

  void ClearFeedIcons() override { icons.clear(); }
  void AppendDefaultFeedIcon() override { icons.emplace_back(); }
  int FeedIconCount() const override { return static_cast<int>(icons.size()); }
  void SetFeedIcon(int index, const TBitmap32& picture) override { icons.at(index) = picture; }

  void ShowLogo(const TBitmap32&, int width) override { logoWidth = width; }
  void HideLogo() override { logoWidth.reset(); }

  void SetGridRows(const std::vector<TGridRow>& value) override {
    rows = value;
    if (selectedRow >= GridRowCount()) selectedRow = GridRowCount() - 1;
  }
  void SetGridRow(int row, const TGridRow& cells) override { rows.at(row) = cells; }
  int GridRowCount() const override { return static_cast<int>(rows.size()); }
  int SelectedRow() const override { return selectedRow; }
  void SetSelectedRow(int row) override { selectedRow = row; }
  bool GridVisible() const override { return gridVisible; }
  void SetGridVisible(bool value) override { gridVisible = value; }
  int GridHeight() const override { return gridHeight; }
  void SetGridHeight(int height) override { gridHeight = height; }

  void ViewerClear() override { html.clear(); }
  void ViewerSetSystemColors() override {}
  void ViewerLoadHtml(const std::string& page) override { html = page; }
  int ViewerScrollPos() const override { return scrollPos; }
  void ViewerScrollTo(int y) override { scrollPos = y; }
  void ViewerInsertImage(const std::string& source, std::optional<TBitmap32> picture) override {
    images.emplace_back(source, std::move(picture));
  }

  void SetStatusText(const std::string& text) override { statusText = text; }
  void RepaintStatus() override { ++statusRepaints; }

  void StartTimer(TReaderTimer timer) override {
    timers[timer] = true;
    ++timerStarts[timer];
  }
  void StopTimer(TReaderTimer timer) override { timers[timer] = false; }
  bool TimerRunning(TReaderTimer timer) const override {
    const auto found = timers.find(timer);
    return found != timers.end() && found->second;
  }

  void MovePointerBy(int dy) override { pointerMoves.push_back(dy); }
  void OpenWithShell(const std::string& target) override { opened.push_back(target); }

  bool visible = false;
  int broughtToFront = 0;
  TWindowRect placement{100, 100, 600, 400};
  TScreenSize screen{1280, 1024};
  TWorkArea workArea{0, 0, 1280, 994};
  std::string caption;
  std::vector<std::string> tabs;
  int selectedTab = -1;
  int tabRepaints = 0;
  bool tabsAtBottom = false;
  std::vector<std::string> feedMenu;
  std::vector<std::optional<TBitmap32>> icons;  // nullopt: the default icon
  std::optional<int> logoWidth;
  std::vector<TGridRow> rows;
  int selectedRow = 1;
  bool gridVisible = true;
  int gridHeight = 150;
  std::string html;
  int scrollPos = 0;
  std::vector<std::pair<std::string, std::optional<TBitmap32>>> images;
  std::string statusText;
  int statusRepaints = 0;
  std::map<TReaderTimer, bool> timers;
  std::map<TReaderTimer, int> timerStarts;
  std::vector<int> pointerMoves;
  std::vector<std::string> opened;
};

class FakeReaderHost final : public IReaderHost {
 public:
  TRSS* Feeds() override { return feeds; }
  TPluginGlobals& Globals() override { return globals; }
  bool TrayBlinking() const override { return blinking; }
  void SetTrayBlinking(bool value) override { blinking = value; }
  void ShowNotification(const std::string& caption, const std::string& text) override {
    notifications.emplace_back(caption, text);
  }
  void SetContactNew(int feed, bool hasNew) override { contactNew[feed] = hasNew; }
  void SetContactCounts(int feed, int unread, int total) override { contactCounts[feed] = {unread, total}; }
  void OpenOptions() override { ++optionsOpened; }

  TRSS* feeds = nullptr;
  TPluginGlobals globals;
  bool blinking = false;
  std::vector<std::pair<std::string, std::string>> notifications;
  std::map<int, bool> contactNew;
  std::map<int, std::pair<int, int>> contactCounts;
  int optionsOpened = 0;
};

}  // namespace kivo::testing
