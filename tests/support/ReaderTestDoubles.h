// A reader window without a window: the view keeps what the logic sets, the
// host keeps what the logic asks of the tray, pop-up and contacts.
#pragma once

#include <algorithm>
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
  void BringToFront() override {}
  TRect GetPlacement() const override { return placement; }
  void SetPlacement(const TRect& rect) override { placement = rect; }
  TSize ScreenSize() const override { return {1280, 1024}; }
  TRect WorkArea() const override { return workArea; }
  void SetCaption(const std::string&) override {}

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
  void RepaintTabs() override {}
  void SetTabsAtBottom(bool) override {}

  void ClearFeedMenu() override { feedMenu = 0; }
  void AddFeedMenuItem(const std::string&, const std::string&, int) override { ++feedMenu; }
  int FeedMenuCount() const override { return feedMenu; }

  void ClearFeedIcons() override { icons.clear(); }
  void AppendDefaultFeedIcon() override { icons.emplace_back(); }
  int FeedIconCount() const override { return static_cast<int>(icons.size()); }
  const TBitmap32* FeedIcon(int index) const override {
    if (index < 0 || index >= FeedIconCount()) return nullptr;
    const auto& icon = icons[static_cast<std::size_t>(index)];
    return icon ? &*icon : nullptr;
  }
  void SetFeedIcon(int index, const TBitmap32& picture) override { icons.at(index) = picture; }
  const TBitmap32* WindowPicture(int) const override { return nullptr; }
  std::optional<int> PopupSpecContacts(const std::vector<TMenuEntry>& items, int, int) override {
    contactMenu = items;
    return contactMenuChoice;
  }
  std::vector<TMenuEntry> contactMenu;
  std::optional<int> contactMenuChoice;

  void ShowLogo(const TBitmap32&, int width) override { logoWidth = width; }
  void HideLogo() override { logoWidth.reset(); }

  void SetGridRows(const std::vector<TGridRow>& value) override {
    rows = value;
    selectedRow = std::min(selectedRow, GridRowCount() - 1);
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
  void ViewerInsertImageAlt(const std::string&) override {}

  void SetStatusText(const std::string& text) override { statusText = text; }
  void RepaintStatus() override {}

  void StartTimer(TReaderTimer timer) override {
    timers[timer] = true;
    ++timerStarts[timer];
  }
  void StopTimer(TReaderTimer timer) override { timers[timer] = false; }
  bool TimerRunning(TReaderTimer timer) const override { return timers.contains(timer) && timers.at(timer); }

  void MovePointerBy(int dy) override { pointerMoves.push_back(dy); }
  void OpenWithShell(const std::string& target) override { opened.push_back(target); }

  // The viewer's text is `pageText`; a selection is a range of it.
  bool ViewerHasSelection() const override { return selection.first != selection.second; }
  void ViewerSelectAll() override { selection = {0, pageText.size()}; }
  std::u16string ViewerSelectedText() const override {
    return pageText.substr(selection.first, selection.second - selection.first);
  }
  void ViewerClearSelection() override { selection = {}; }
  bool ViewerFind(std::u16string_view text) override {
    const std::size_t at = pageText.find(text, selection.second);
    if (at == std::u16string::npos) return false;
    selection = {at, at + text.size()};
    return true;
  }
  void ViewerPage(bool down) override { pages.push_back(down); }
  void CopyToClipboard(const std::u16string& text) override { clipboard = text; }
  void ShowInformation(const std::string& text) override { information.push_back(text); }
  std::optional<std::string> AskText(const std::string& caption, const std::string& prompt) override {
    asked.push_back(caption + "/" + prompt);
    return answer;
  }

  std::u16string pageText;
  std::pair<std::size_t, std::size_t> selection;
  std::optional<std::u16string> clipboard;
  std::vector<bool> pages;  // true: down
  std::vector<std::string> asked;
  std::vector<std::string> information;
  std::optional<std::string> answer;
  bool visible = false, gridVisible = true;
  TRect placement = TRect::OfSize(100, 100, 600, 400);
  TRect workArea{0, 0, 1280, 994};
  std::vector<std::string> tabs;
  std::vector<std::string> opened;  // what went to the shell
  int selectedTab = -1, feedMenu = 0, selectedRow = 1, gridHeight = 150, scrollPos = 0;
  std::vector<std::optional<TBitmap32>> icons;  // nullopt: the default icon
  std::optional<int> logoWidth;
  std::vector<TGridRow> rows;
  std::string html, statusText;
  std::vector<std::pair<std::string, std::optional<TBitmap32>>> images;
  std::map<TReaderTimer, bool> timers;
  std::map<TReaderTimer, int> timerStarts;
  std::vector<int> pointerMoves;
};

class FakeReaderHost final : public IReaderHost {
 public:
  TRSS* Feeds() override { return feeds; }
  TPluginGlobals& Globals() override { return globals; }
  bool TrayBlinking() const override { return blinking; }
  void SetTrayBlinking(bool value) override { blinking = value; }
  void ShowNotification(TNotice notice, const std::string& caption, const std::string& text,
                        int feed) override {
    notifications.emplace_back(caption, text);
    notices.push_back({notice, feed});
  }
  void SetContactNew(int feed, bool hasNew) override { contactNew[feed] = hasNew; }
  void SetContactCounts(int feed, int unread, int total) override { contactCounts[feed] = {unread, total}; }
  void ReportFailure(std::string_view what) noexcept override { failures.emplace_back(what); }

  TRSS* feeds = nullptr;
  std::vector<std::pair<TNotice, int>> notices;
  TPluginGlobals globals;
  bool blinking = false;
  std::vector<std::pair<std::string, std::string>> notifications;
  std::map<int, bool> contactNew;
  std::map<int, std::pair<int, int>> contactCounts;
  std::vector<std::string> failures;
};

}  // namespace kivo::testing
