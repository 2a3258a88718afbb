// The theme list (StringGrid1) of the reader window and the read marks.
#include <algorithm>
#include <charconv>
#include <cstdint>

#include "base/Text1251.h"
#include "feeds/PageComposition.h"
#include "feeds/ReadMarks.h"
#include "lang/LanguageTexts.h"
#include "reader/ReaderWindow.h"

namespace kivo {

namespace {

constexpr TColor kGreenText = 0x008000;
constexpr TColor kBlueText = 0x0000FF;
constexpr TColor kRedText = 0xFF0000;

std::optional<int> ParseMark(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Lets Timer1 run exactly when it ran before a marking command.
void KeepTimer1(IReaderView& view, bool running) {
  if (view.TimerRunning(TReaderTimer::Timer1) == running) return;
  if (running) {
    view.StartTimer(TReaderTimer::Timer1);
  } else {
    view.StopTimer(TReaderTimer::Timer1);
  }
}

TGridRow ThemeRow(const tchannelrecord& theme) {
  return {std::to_string(theme.Mark), Utf16ToWin(theme.Title), Utf16ToWin(theme.Date)};
}

}  // namespace

void TReaderWindow::CreateThemes(int feedIndex) {
  const tchannels* feed = Feed(feedIndex);
  if (!feed) return;
  grid_.assign(1, TGridRow{"", Lang.lang_main_list_title, Lang.lang_main_list_date});
  for (const tchannelrecord& theme : feed->Items) grid_.push_back(ThemeRow(theme));
  if (grid_.size() == 1) grid_.emplace_back();
  view_.SetGridRows(grid_);
  check_new_grid_count(feedIndex);
}

void TReaderWindow::check_new_grid_count(int feedIndex) {
  tchannels* feed = Feed(feedIndex);
  if (!feed) return;
  feed->NewCount = feed->Mark2Count = feed->Mark3Count = feed->Mark4Count = 0;
  for (const tchannelrecord& theme : feed->Items) {
    switch (theme.Mark) {
      case 0:
        ++feed->NewCount;
        break;
      case 2:
        ++feed->Mark2Count;
        break;
      case 3:
        ++feed->Mark3Count;
        break;
      case 4:
        ++feed->Mark4Count;
        break;
      default:
        break;
    }
  }
  // The tray's hint sums them; a feed's contact shows them in per-feed mode.
  host_.SetContactCounts(feedIndex, feed->NewCount, static_cast<int>(feed->Items.size()));
}

int TReaderWindow::GridMark(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= grid_.size()) return -1;
  return ParseMark(grid_[static_cast<std::size_t>(row)].Mark).value_or(-1);
}

TCellLook TReaderWindow::StringGrid1DrawCell(int column, int row, bool selected) const {
  TCellLook look;
  const int mark = GridMark(row);
  look.Bold = mark == 0 || mark > 1;
  if (selected) {
    look.Background = TCellLook::Back::Selected;
  } else if (row == 0) {
    look.Background = TCellLook::Back::Header;
    look.Bold = true;
  } else {
    look.Background = row % 2 == 1 ? TCellLook::Back::OddRow : TCellLook::Back::Window;
  }
  if (mark >= 2 && mark <= 4) {
    look.SystemTextColor = false;
    look.TextColor = mark == 2 ? kGreenText : mark == 3 ? kBlueText : kRedText;
  }
  look.Centered = row == 0 && column >= 1;
  if (column == 0) {
    if (mark >= 0 && mark <= 4) look.Picture = mark + 1;
  } else if (row >= 0 && static_cast<std::size_t>(row) < grid_.size()) {
    const TGridRow& cells = grid_[static_cast<std::size_t>(row)];
    look.Text = PlainTitle(column == 1 ? cells.Title : cells.Date);
  }
  return look;
}

void TReaderWindow::StringGrid1Click() {
  tchannels* feed = Feed(viewerTag_);
  const int row = view_.SelectedRow();
  const int theme = row - 1;
  images_.Reset();  // the pictures of the page shown until now are no longer wanted
  if (!feed || theme < 0 || static_cast<std::size_t>(theme) >= feed->Items.size()) {
    view_.ViewerClear();
    return;
  }
  if (feed->HasNew) {
    feed->HasNew = false;
    host_.SetContactNew(viewerTag_, false);
    view_.RepaintTabs();
  }
  view_.StopTimer(TReaderTimer::Timer1);
  view_.StartTimer(TReaderTimer::Timer1);
  if (static_cast<std::size_t>(row) < grid_.size())
    feed->SelectedTheme = grid_[static_cast<std::size_t>(row)].Title;
  view_.ViewerLoadHtml(MakeThemePage(feed->Items[static_cast<std::size_t>(theme)], Globals().FontSize));
  view_.ViewerScrollTo(0);
}

void TReaderWindow::SelectNextUnread() {
  const int tabs = view_.TabCount();
  const int current = CurrentFeed();
  if (current < 0 || current >= tabs) return;
  const auto unreadFrom = [this](int feedIndex, std::size_t first, std::size_t end) -> int {
    const tchannels* feed = Feed(feedIndex);
    if (!feed) return -1;
    end = std::min(end, feed->Items.size());
    for (std::size_t theme = first; theme < end; ++theme) {
      if (feed->Items[theme].Mark == 0) return static_cast<int>(theme);
    }
    return -1;
  };
  const int selected = view_.GridVisible() ? std::max(view_.SelectedRow() - 1, -1) : -1;
  // Step 0 is the rest of this feed, step `tabs` its start up to the selection.
  for (int step = 0; step <= tabs; ++step) {
    const int feedIndex = (current + step) % tabs;
    const std::size_t first = step == 0 ? static_cast<std::size_t>(selected + 1) : 0;
    const std::size_t end = step == tabs ? static_cast<std::size_t>(std::max(selected, 0)) : SIZE_MAX;
    const int theme = unreadFrom(feedIndex, first, end);
    if (theme < 0) continue;
    SelectTab(feedIndex);
    if (!view_.GridVisible()) {
      view_.SetGridVisible(true);
      if (tchannels* feed = Feed(feedIndex)) feed->ShowPanel = true;
    }
    view_.SetSelectedRow(theme + 1);
    StringGrid1Click();
    return;
  }
}

void TReaderWindow::StringGrid1MouseDown(int rowUnderPointer) {
  if (rowUnderPointer < 1 || rowUnderPointer >= view_.GridRowCount()) return;
  if (rowUnderPointer == view_.SelectedRow()) return;
  view_.SetSelectedRow(rowUnderPointer);
  StringGrid1Click();
}

void TReaderWindow::StringGrid1DblClick() {
  N8Click(1);
}

void TReaderWindow::N8Click(int tag) {
  const bool timerRan = view_.TimerRunning(TReaderTimer::Timer1);
  const int row = view_.SelectedRow();
  if (row >= 1) {
    // Choosing the mark a theme already has makes it read.
    const int current = std::max(GridMark(row), 0);
    makethemeasreadunread(row, current == tag ? 1 : tag);
  }
  KeepTimer1(view_, timerRan);
}

void TReaderWindow::N11Click(int tag) {
  const bool timerRan = view_.TimerRunning(TReaderTimer::Timer1);
  std::vector<int> rows;
  for (int row = 1; static_cast<std::size_t>(row) < grid_.size(); ++row) {
    if (GridMark(row) < 2) rows.push_back(row);
  }
  MarkRows(rows, tag);
  KeepTimer1(view_, timerRan);
}

void TReaderWindow::makethemeasreadunread(int row, int mark) {
  MarkRows({row}, mark);
}

// All rows at once: the marks text is rewritten and the counts are taken once.
void TReaderWindow::MarkRows(const std::vector<int>& rows, int mark) {
  tchannels* feed = Feed(viewerTag_);
  if (!feed) return;
  std::vector<std::string> keys;
  for (const int row : rows) {
    const int theme = row - 1;
    if (theme < 0 || static_cast<std::size_t>(theme) >= feed->Items.size()) continue;
    tchannelrecord& record = feed->Items[static_cast<std::size_t>(theme)];
    record.Mark = mark;
    keys.push_back(ThemeKey(record));
    SetGridMark(row, mark);
  }
  if (!keys.empty()) {
    SetReadMarks(*Feeds(), viewerTag_, keys, mark);
    check_new_grid_count(viewerTag_);
  }
  view_.RepaintStatus();
  // Saved a minute after the first change, however many follow.
  if (!view_.TimerRunning(TReaderTimer::TimerSaveReaded)) view_.StartTimer(TReaderTimer::TimerSaveReaded);
}

void TReaderWindow::SetGridMark(int row, int mark) {
  if (row < 1 || static_cast<std::size_t>(row) >= grid_.size()) return;
  TGridRow& cells = grid_[static_cast<std::size_t>(row)];
  cells.Mark = std::to_string(mark);
  view_.SetGridRow(row, cells);
}

void TReaderWindow::Timer1Timer() {
  view_.StopTimer(TReaderTimer::Timer1);
  const tchannels* feed = Feed(viewerTag_);
  const int row = view_.SelectedRow();
  const int theme = row - 1;
  if (!feed || theme < 0 || static_cast<std::size_t>(theme) >= feed->Items.size()) {
    view_.ViewerClear();
    return;
  }
  if (feed->Items[static_cast<std::size_t>(theme)].Mark == 0) makethemeasreadunread(row, 1);
}

void TReaderWindow::TimerSaveReadedTimer() {
  view_.StopTimer(TReaderTimer::TimerSaveReaded);
  if (!SaveFeedFiles()) SaveFailed();
}

bool TReaderWindow::SaveFeedFiles() {
  TRSS* rss = Feeds();
  if (!rss) return true;
  bool saved = true;
  for (tchannels& feed : rss->Channels) {
    saved = WriteReadMarks(feed) && saved;
    saved = SaveUnsavedItemCache(feed) && saved;
  }
  return saved;
}

}  // namespace kivo
