#include "reader/ReaderWindow.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "base/UrlFunctions.h"
#include "feeds/FeedMessages.h"
#include "feeds/PageComposition.h"
#include "feeds/ReadMarks.h"
#include "lang/LanguageTexts.h"
#include "platform/FileIo.h"
#include "reader/ReaderInfo.h"

namespace kivo {

namespace {

// "Обновились ленты:" in windows-1251.
constexpr std::string_view kUpdatedFeeds = "\xCE\xE1\xED\xEE\xE2\xE8\xEB\xE8\xF1\xFC \xEB\xE5\xED\xF2\xFB:";
constexpr std::string_view kInfoCaption = "Info";
constexpr int kMaxNoticeTitles = 50;
constexpr std::string_view kFindCaption = "\xEF\xEE\xE8\xF1\xEA";  // "поиск"
constexpr std::string_view kFindPrompt =
    "\xE2\xE2\xE5\xE4\xE8\xF2\xE5 \xF2\xE5\xEA\xF1\xF2 \xE4\xEB\xFF \xEF\xEE\xE8\xF1\xEA\xE0";  // "введите
                                                                                                // текст для
                                                                                                // поиска"

std::string TabCaption(std::string_view tabText) {
  return std::string(tabText.substr(0, tabText.find('|')));
}

}  // namespace

TReaderWindow::TReaderWindow(TReaderServices services)
    : services_(std::move(services)),
      view_(services_.View),
      host_(services_.Host),
      poster_(MakeShared<TClosablePoster>(services_.Poster)),
      loads_{.Http = services_.Http,
             .Clock = services_.Clock,
             .ImageDecoder = services_.ImageDecoder,
             .Locale = services_.Locale,
             .Threads = services_.FeedThreads,
             .Poster = poster_,
             .Mailbox = MakeShared<TLoadMailbox>(),
             .Cancel = cancel_},
      checks_{.Http = services_.Http,
              .Clock = services_.Clock,
              .Threads = services_.FeedThreads,
              .Poster = poster_,
              .Mailbox = services_.CheckMailbox,
              .Cancel = cancel_},
      images_(services_.PictureThreads, poster_, services_.ImageDecoder, services_.MakeImageDownload,
              services_.ReadImageFile),
      scheduler_(services_.Clock, services_.CheckMailbox, CheckThreadFactory(Globals(), checks_)) {}

TReaderWindow::~TReaderWindow() {
  // Marks of the last minute are still only in memory: a stop must not lose them.
  if (view_.TimerRunning(TReaderTimer::TimerSaveReaded)) SaveFeedFiles();
  // A stalled server must not hold up the stop, nor may a worker that still
  // does: the messenger waits for the plugin only so long.
  cancel_->Cancel();
  cacheReadsStop_->store(true);
  StopWorkers(std::chrono::steady_clock::now() + kStopWait);
  poster_->Close();
}

void TReaderWindow::StopWorkers(TSteadyTime deadline) {
  images_.Stop(deadline);
  if (cacheReads_) cacheReads_->Stop(deadline);
  TRSS* rss = Feeds();
  if (!rss) return;
  for (tchannels& feed : rss->Channels) rss->RetireWorkers(feed);
  for (const std::unique_ptr<TWorker>& worker : rss->Retired) worker->Stop(deadline);
  rss->Retired.clear();
}

TRSS* TReaderWindow::Feeds() const {
  return host_.Feeds();
}

tchannels* TReaderWindow::Feed(int index) const {
  TRSS* rss = Feeds();
  return rss && rss->IsValid(index) ? &rss->Channels[static_cast<std::size_t>(index)] : nullptr;
}

TPluginGlobals& TReaderWindow::Globals() const {
  return host_.Globals();
}

int TReaderWindow::CurrentFeed() const {
  return view_.SelectedTab();
}

// IReaderWindowOps and IReaderWindow.

void TReaderWindow::SetLogoVisible(bool visible) {
  if (visible) {
    ShowLogoOf(Feed(CurrentFeed()));
  } else {
    view_.HideLogo();
  }
}

void TReaderWindow::settabsposition(int position) {
  view_.SetTabsAtBottom(position == 1);
}

void TReaderWindow::SetCheckNewTimerEnabled(bool enabled) {
  if (enabled) {
    view_.StartTimer(TReaderTimer::CheckNew);
  } else {
    view_.StopTimer(TReaderTimer::CheckNew);
  }
}

TRect TReaderWindow::GetPlacement() const {
  return view_.GetPlacement();
}

void TReaderWindow::SetPlacement(const TRect& rect) {
  view_.SetPlacement(rect);
}

void TReaderWindow::ClearFeedMenu() {
  view_.ClearFeedMenu();
}

void TReaderWindow::ClearTabs() {
  tabs_.clear();
  view_.ClearTabs();
}

void TReaderWindow::ClearFeedIcons() {
  view_.ClearFeedIcons();
}

void TReaderWindow::AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) {
  view_.AddFeedMenuItem(caption, hint, tag);
}

void TReaderWindow::AddTab(const std::string& text) {
  tabs_.push_back(text);
  view_.AddTab(text);
}

void TReaderWindow::LoadIconOfSite(int index, const TFilePath& path) {
  if (index < 0) {
    view_.AppendDefaultFeedIcon();
    index = view_.FeedIconCount() - 1;
  }
  if (index < 0 || !Globals().ShowFeedIcons || !FileExists(path)) return;
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return;
  // An unknown or broken file keeps the default icon.
  if (const std::optional<TBitmap32> icon = DecodePicture(services_.ImageDecoder, *bytes)) {
    view_.SetFeedIcon(index, *icon);
  }
}

bool TReaderWindow::Visible() const {
  return view_.Visible();
}

void TReaderWindow::SetVisible(bool visible) {
  view_.SetVisible(visible);
}

void TReaderWindow::TrIconDblClick() {
  if (Visible()) {
    N7Click();
  } else {
    N6Click();
  }
}

void TReaderWindow::ToolOptionsClick() {
  host_.OpenOptions();
}

void TReaderWindow::PopupMenu1At(int x, int y) {
  view_.PopupMenu1At(x, y);
}

// Commands.

void TReaderWindow::LoadPage(int feedIndex) {
  if (feedIndex < 0) feedIndex = CurrentFeed();
  tchannels* feed = Feed(feedIndex);
  if (!feed) return;
  if ((feed->LoadThread && feed->Run->Loading) || LoadWaiting(feedIndex)) {
    view_.SetStatusText(Lang.lang_file_still_loading);
    return;
  }
  const bool now = RunningLoads() < kMaxLoadsAtOnce;
  if (now) {
    StartLoad(feedIndex);
  } else {
    waitingLoads_.push_back({feedIndex, feed->Generation});
  }
  if (feedIndex == CurrentFeed()) {
    view_.SetStatusText(now ? Lang.lang_file_loading : Lang.lang_file_waiting);
    view_.RepaintStatus();
  }
}

void TReaderWindow::StartLoad(int feedIndex) {
  // The load's conversion compares against the themes held: they must be there.
  ReadPendingItemCache(*Feeds(), feedIndex);
  tchannels& feed = *Feed(feedIndex);
  feed.LoadThread.reset();
  feed.Run->Progress = 0;
  feed.LoadThread = StartLoadThread(*Feeds(), feedIndex, Globals(), loads_);
}

int TReaderWindow::RunningLoads() const {
  const TRSS* rss = Feeds();
  if (!rss) return 0;
  return static_cast<int>(
      std::count_if(rss->Channels.begin(), rss->Channels.end(),
                    [](const tchannels& feed) { return feed.LoadThread && feed.Run->Loading; }));
}

bool TReaderWindow::LoadWaiting(int feedIndex) const {
  const tchannels* feed = Feed(feedIndex);
  return feed && std::any_of(waitingLoads_.begin(), waitingLoads_.end(), [&](const TWaitingLoad& waiting) {
           return waiting.Feed == feedIndex && waiting.Generation == feed->Generation;
         });
}

void TReaderWindow::StartWaitingLoads() {
  while (!waitingLoads_.empty() && RunningLoads() < kMaxLoadsAtOnce) {
    const TWaitingLoad next = waitingLoads_.front();
    waitingLoads_.pop_front();
    const tchannels* feed = Feed(next.Feed);
    if (!feed || feed->Generation != next.Generation || feed->Run->Loading) continue;
    StartLoad(next.Feed);
    if (next.Feed == CurrentFeed()) view_.RepaintStatus();
  }
}

void TReaderWindow::ShowFeed(int feedIndex) {
  view_.ViewerClear();
  view_.ViewerSetSystemColors();
  images_.Reset();
  // A pending read mark belongs to the theme shown until now; a selection below starts it anew.
  view_.StopTimer(TReaderTimer::Timer1);
  tchannels* feed = Feed(feedIndex);
  if (!feed) return;
  ReadPendingItemCache(*Feeds(), feedIndex);
  if (!feed->ShowPanel) {
    if (!feed->PageComposed) MakeFeedPage(*Feeds(), feedIndex, Globals().FontSize, services_.Locale);
    view_.ViewerLoadHtml(feed->PageHtml);
    view_.ViewerScrollTo(feed->ScrollPos);
    return;
  }
  view_.ViewerClear();
  CreateThemes(feedIndex);
  int row = 1;
  for (std::size_t r = 1; r < grid_.size(); ++r) {
    if (grid_[r].Title == feed->SelectedTheme) {
      row = static_cast<int>(r);
      break;
    }
  }
  if (view_.SelectedRow() != row) {
    view_.SetSelectedRow(row);
    StringGrid1Click();
  }
}

void TReaderWindow::SelectTab(int feedIndex) {
  if (feedIndex == CurrentFeed() || feedIndex < 0 || feedIndex >= view_.TabCount()) return;
  TabControl1Changing();
  view_.SetSelectedTab(feedIndex);
  TabControl1Change();
}

void TReaderWindow::ToolButton1Click() {
  LoadPage(-1);
}

void TReaderWindow::ToolButton5Click() {
  const TRSS* rss = Feeds();
  for (int i = 0; rss && i <= rss->High(); ++i) LoadPage(i);
}

void TReaderWindow::N6Click() {
  if (host_.TrayBlinking()) host_.SetTrayBlinking(false);
  if (!view_.Visible()) view_.SetVisible(true);
  view_.BringToFront();
}

void TReaderWindow::N7Click() {
  if (view_.Visible()) view_.SetVisible(false);
}

// With nothing selected the whole page is taken, and left unselected.
std::u16string TReaderWindow::StatusText() {
  if (view_.ViewerHasSelection()) return view_.ViewerSelectedText();
  view_.ViewerSelectAll();
  std::u16string text = view_.ViewerSelectedText();
  view_.ViewerClearSelection();
  return text;
}

void TReaderWindow::N3Click() {
  view_.CopyToClipboard(StatusText());
}

void TReaderWindow::N21Click() {
  if (menuLink_) view_.CopyToClipboard(WinToUtf16(*menuLink_));
}

void TReaderWindow::N15Click() {
  view_.ShowInformation(FeedInformationText(Feeds(), CurrentFeed(), services_.Locale, host_.PluginAuthor()));
}

// The page stays until a feed or a theme is shown again.
void TReaderWindow::N17Click() {
  view_.ViewerClear();
  view_.ViewerLoadHtml(AboutPageHtml());
}

void TReaderWindow::FndTextClick() {
  const auto text = view_.AskText(std::string(kFindCaption), std::string(kFindPrompt));
  if (!text || text->empty()) return;
  view_.ViewerFind(WinToUtf16(*text));
}

void TReaderWindow::SelectNextTab(bool forward) {
  const int count = view_.TabCount();
  if (count <= 0) return;
  int index = CurrentFeed() + (forward ? 1 : -1);
  if (index >= count) index = 0;
  if (index < 0) index = count - 1;
  SelectTab(index);
}

TKeyCommand KeyCommandOf(const TKeyPress& key) {
  if (key.Ctrl && key.Key == kKeyF) return TKeyCommand::Find;
  if (key.Ctrl && (key.Key == kKeyC || key.Key == kKeyInsert)) return TKeyCommand::Copy;
  if (key.Ctrl && key.Key == kKeyTab) return key.Shift ? TKeyCommand::PreviousTab : TKeyCommand::NextTab;
  if (key.Key == kKeyEscape) return TKeyCommand::Hide;
  if (key.Key == kKeyF5) return key.Ctrl ? TKeyCommand::LoadAllFeeds : TKeyCommand::LoadFeed;
  if (key.Key == kKeySpace && !key.Ctrl) return key.Shift ? TKeyCommand::PageUp : TKeyCommand::PageDown;
  if (key.Key == kKeyN && !key.Ctrl && !key.Shift) return TKeyCommand::NextUnread;
  return TKeyCommand::None;
}

bool TReaderWindow::OnKeyDown(const TKeyPress& key) {
  const TKeyCommand command = KeyCommandOf(key);
  if (command == TKeyCommand::None) return false;
  RunKeyCommand(command);
  return true;
}

void TReaderWindow::RunKeyCommand(TKeyCommand command) {
  switch (command) {
    case TKeyCommand::Find:
      return FndTextClick();
    case TKeyCommand::Copy:
      return N3Click();
    case TKeyCommand::NextTab:
    case TKeyCommand::PreviousTab:
      return SelectNextTab(command == TKeyCommand::NextTab);
    case TKeyCommand::Hide:
      return N7Click();
    case TKeyCommand::LoadFeed:
      return ToolButton1Click();
    case TKeyCommand::LoadAllFeeds:
      return ToolButton5Click();
    case TKeyCommand::PageDown:
    case TKeyCommand::PageUp:
      return view_.ViewerPage(command == TKeyCommand::PageDown);
    case TKeyCommand::NextUnread:
      return SelectNextUnread();
    case TKeyCommand::None:
      return;
  }
}

// Tabs.

void TReaderWindow::TabControl1Changing() {
  tchannels* feed = Feed(CurrentFeed());
  if (!feed) return;
  if (view_.GridVisible()) {
    const int row = view_.SelectedRow();
    if (row >= 0 && static_cast<std::size_t>(row) < grid_.size()) {
      feed->SelectedTheme = grid_[static_cast<std::size_t>(row)].Title;
    }
  } else {
    feed->ScrollPos = view_.ViewerScrollPos();
  }
  feed->ShowPanel = view_.GridVisible();
  feed->PanelSize = view_.GridHeight();
}

void TReaderWindow::TabControl1Change() {
  const int current = CurrentFeed();
  tchannels* feed = Feed(current);
  if (host_.TrayBlinking() && !(feed && feed->HasNew)) host_.SetTrayBlinking(false);
  for (TGridRow& row : grid_) row = {};
  view_.SetGridRows(grid_);
  if (feed) {
    viewerTag_ = current;
    baseAddress_ = UrlRoot(feed->Url);
    ShowFeed(current);
    view_.SetStatusText(feed->Run->Loading || LoadWaiting(current) ? Lang.lang_file_still_loading
                                                                   : std::string());
    view_.SetGridVisible(feed->ShowPanel);
    view_.SetGridHeight(feed->PanelSize);
    view_.RepaintStatus();
  }
  ShowLogoOf(feed);
}

void TReaderWindow::ShowLogoOf(const tchannels* feed) {
  const TRSS* rss = Feeds();
  if (feed && feed->Logo.Bitmap && rss && rss->LoadLogos) {
    const TBitmap32& logo = *feed->Logo.Bitmap;
    view_.ShowLogo(logo, LogoWidth(logo.Width, logo.Height));
  } else {
    view_.HideLogo();
  }
}

void TReaderWindow::TabControl1MouseUp(int tabIndex) {
  tchannels* feed = Feed(tabIndex);
  if (!feed) return;
  feed->HasNew = false;
  host_.SetContactNew(tabIndex, false);
  view_.RepaintTabs();
}

TTabLook TReaderWindow::TabControl1DrawTab(int tabIndex, bool selected) const {
  TTabLook look;
  if (tabIndex >= 0 && static_cast<std::size_t>(tabIndex) < tabs_.size()) {
    look.Text = PlainTitle(TabCaption(tabs_[static_cast<std::size_t>(tabIndex)]));
  }
  const tchannels* feed = Feed(tabIndex);
  const bool hasNew = feed && feed->HasNew;
  look.Background = hasNew ? 4 : selected ? 5 : 3;
  look.Offset = selected && !hasNew ? 3 : 2;
  look.HighlightText = selected && !hasNew;
  look.DrawIcon = Globals().ShowFeedIcons && tabIndex >= 0 && view_.FeedMenuCount() > tabIndex;
  return look;
}

// Worker notices.

void TReaderWindow::OnFeedLoaded(int feedIndex) {
  TRSS* rss = Feeds();
  if (!rss) return;
  const bool adopted = AdoptLoadResult(*rss, *loads_.Mailbox, feedIndex);
  tchannels* feed = Feed(feedIndex);
  if (!feed) return;
  ReleaseFinishedLoadThread(*feed);
  rss->ReapRetiredWorkers();
  StartWaitingLoads();
  // A notice whose result was already taken, or that belongs to a record a
  // reload replaced, must not re-show, scroll or report the feed now there.
  if (!adopted) return;
  LoadIconOfSite(feedIndex, ChangeFileExt(feed->CacheFile, ".ico"));
  feed->ScrollPos = 0;
  // The feed's contact shows its counts also while another tab is shown.
  check_new_grid_count(feedIndex);
  if (feedIndex == CurrentFeed()) TabControl1Change();
  if (feed->LoadFailure.Kind != TLoadFailure::TKind::None) {
    const std::string reason = LoadFailureText(feed->LoadFailure);
    host_.ShowNotification(
        TNotice::Error, std::string(kInfoCaption),
        Lang.lang_err_load + " - " + feed->Title + (reason.empty() ? "" : " (" + reason + ")"), feedIndex);
  }
  if (feed->ItemCacheUnsaved) SaveFailed();
}

void TReaderWindow::StartItemCacheReads() {
  const TRSS* rss = Feeds();
  if (!rss || cacheReads_) return;
  try {
    cacheReads_ = kivo::StartItemCacheReads(*rss, services_.FeedThreads, cacheReadsBusy_, cacheReadsStop_,
                                            cacheReadsMailbox_, poster_, WM_ITEM_CACHES_READ);
  } catch (...) {
    // No thread: each feed is read when it is first shown or loaded, its counts then.
  }
}

void TReaderWindow::OnItemCachesRead() {
  if (cacheReads_ && !cacheReads_->Busy()) cacheReads_.reset();
  TRSS* rss = Feeds();
  if (!rss) return;
  const std::vector<int> adopted = AdoptItemCacheReads(*rss, *cacheReadsMailbox_);
  for (const int feedIndex : adopted) check_new_grid_count(feedIndex);
  if (!adopted.empty()) view_.RepaintTabs();
}

// A read-only folder or a full disk would say so at every try: once a
// session is enough. What failed stays in memory for the next try.
void TReaderWindow::SaveFailed() {
  if (!view_.TimerRunning(TReaderTimer::TimerSaveReaded)) view_.StartTimer(TReaderTimer::TimerSaveReaded);
  if (saveFailureShown_) return;
  saveFailureShown_ = true;
  host_.ShowNotification(TNotice::Error, std::string(kInfoCaption), Lang.lang_err_save, -1);
}

void TReaderWindow::OnFeedChanged(int feedIndex) {
  TRSS* rss = Feeds();
  if (!rss) return;
  // Only news adopted now counts: a stale or repeated notice must not load,
  // blink and announce the feed again.
  if (!AdoptCheckResult(*rss, *checks_.Mailbox, feedIndex)) return;
  const tchannels* feed = Feed(feedIndex);
  if (!feed || !feed->HasNew || !feed->ShowBaloon) return;
  host_.SetContactNew(feedIndex, true);
  host_.SetTrayBlinking(true);
  if (!feed->NotLoadUpdates) LoadPage(feedIndex);
  view_.RepaintTabs();
  if (!Globals().ShowPopup) return;
  const auto& channels = rss->Channels;
  const auto first = std::find_if(channels.begin(), channels.end(),
                                  [](const tchannels& c) { return c.HasNew && c.ShowBaloon; });
  host_.ShowNotification(TNotice::Update, Lang.lang_main_form_caption, UpdatedFeedsText(),
                         first == channels.end() ? -1 : static_cast<int>(first - channels.begin()));
}

// At most kMaxNoticeTitles titles: the pop-up draws its whole text into one bitmap.
std::string TReaderWindow::UpdatedFeedsText() const {
  std::string text(kUpdatedFeeds);
  text += '\r';
  int titles = 0;
  for (const tchannels& feed : Feeds()->Channels) {
    if (!feed.HasNew || !feed.ShowBaloon) continue;
    if (++titles <= kMaxNoticeTitles) text.append(feed.Title).append("\r");
  }
  if (titles > kMaxNoticeTitles)
    text.append(FillIn(Lang.lang_notify_more, {std::to_string(titles - kMaxNoticeTitles)})).append("\r");
  return text;
}

// Also the notice of a load that failed: its turn passes to the next one waiting.
void TReaderWindow::OnFeedProgress(int feedIndex) {
  StartWaitingLoads();
  if (feedIndex == CurrentFeed() && Feed(feedIndex)) view_.RepaintStatus();
}

// The worker has decoded the picture already: the window's thread only shows it.
void TReaderWindow::OnImageLoaded() {
  std::optional<TLoadedImage> image = images_.ImageLoaded();
  if (!image) return;
  if (image->Image.OverBudget) {
    view_.ViewerInsertImageAlt(image->Source);
  } else {
    view_.ViewerInsertImage(image->Source, std::move(image->Image.Picture));
  }
}

// Viewer.

bool TReaderWindow::htmlLite1ImageRequest(const std::string& source) {
  const tchannels* feed = Feed(viewerTag_);
  return images_.ImageRequest(source, feed && feed->LoadImages, baseAddress_);
}

bool TReaderWindow::htmlLite1HotSpotClick(const std::string& target) {
  const std::optional<std::string> address = ShellAddress(target);
  if (!address) return false;
  view_.OpenWithShell(*address);
  return true;
}

// Status bar.

TStatusPanelLook TReaderWindow::StatusBar1DrawPanel(int panel) const {
  TStatusPanelLook look;
  const tchannels* feed = Feed(CurrentFeed());
  if (!feed) return look;
  const auto counted = [&look](int picture, int count) {
    if (count < 1) return;
    look.Picture = picture;
    look.Text = " - " + std::to_string(count);
  };
  switch (panel) {
    case 0:
      if (feed->Run->Loading) {
        look.Progress = feed->Run->Progress.load();
      } else if (LoadWaiting(CurrentFeed())) {
        look.Text = Lang.lang_file_waiting;
      }
      break;
    case 1:
      look.Picture = feed->NewCount == 0 ? 2 : 1;
      look.Text = " - " + std::to_string(feed->NewCount) + " (" + std::to_string(feed->Items.size()) + ")";
      break;
    case 2:
      counted(3, feed->Mark2Count);
      break;
    case 3:
      counted(4, feed->Mark3Count);
      break;
    case 4:
      counted(5, feed->Mark4Count);
      break;
    default:
      break;
  }
  return look;
}

// Timers.

void TReaderWindow::CheckNewTimerTimer() {
  view_.StopTimer(TReaderTimer::CheckNew);
  TRSS* rss = Feeds();
  if (!rss) return;
  rss->ReapRetiredWorkers();
  if (scheduler_.Tick(*rss, Globals().CheckForNew)) view_.StartTimer(TReaderTimer::CheckNew);
}

}  // namespace kivo
