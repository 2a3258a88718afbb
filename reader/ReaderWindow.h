// TForm1, the reader window, as logic: tabs of feeds, the theme list, the
// viewer, the status bar, the load and update-check workers and their
// notices, the read-mark timers, the splitter and the window geometry. It
// drives an IReaderView and is driven by the view's events (named after the
// controls' handlers) and by the plugin core (IReaderWindow).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/SharedRef.h"
#include "feeds/CheckNewThread.h"
#include "feeds/ItemCacheReads.h"
#include "feeds/LoadThread.h"
#include "imaging/ImageDecoder.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Locale.h"
#include "platform/Thread.h"
#include "platform/UiMessages.h"
#include "reader/ImageQueue.h"
#include "reader/ReaderGeometry.h"
#include "reader/ReaderSkin.h"
#include "reader/ReaderView.h"
#include "reader/ReaderWindowOps.h"

namespace kivo {

// How a tab is drawn.
struct TTabLook {
  std::string Text;    // up to the first "|"
  int Background = 3;  // skin bitmap: 4 news, 5 selected, 3 otherwise
  int Offset = 2;      // 3 for the selected tab without news
  bool HighlightText = false;
  bool DrawIcon = false;  // ImageList2 picture = tab index
};

// How a theme-list cell is drawn.
struct TCellLook {
  bool Bold = false;
  enum class Back { Window, OddRow, Selected, Header } Background = Back::Window;
  TColor TextColor = 0;         // 0x00RRGGBB; window text unless marked
  bool SystemTextColor = true;  // window text / highlight text (selected)
  bool Centered = false;        // header columns 1 and 2
  int Picture = -1;             // column 0: PngImageList1 picture, or -1
  std::string Text;             // columns 1 and 2
};

// One of the five drawn status panels.
struct TStatusPanelLook {
  int Picture = -1;             // PngImageList1, at (left + 1, top)
  std::string Text;             // in blue from left + 18
  std::optional<int> Progress;  // panel 0 while loading: 0..100
};

// What the window works with. View and Host are required. The composition
// root gives every other service; left out, one is the system's where the
// portable code knows it (clock, locale, network, threads) or does nothing
// (no picture decoded, no message posted). A worker the stop lets go may use
// these references until it ends: in the plugin they are process-wide.
// Every service of the window, resolved once by the composition root (the DLL
// gives the system's, tests give fakes).
struct TReaderServices {
  IReaderView& View;
  IReaderHost& Host;
  IClock& Clock;
  const ILocaleFormats& Locale;
  IImageDecoder& ImageDecoder;
  IHttpClient& Http;  // loads and checks
  // The window's own; its workers reach it through a TClosablePoster that
  // the window closes as it goes.
  IMessagePoster& Poster;
  IThreadStarter& FeedThreads;  // loads and checks
  IThreadStarter& PictureThreads;
  TSharedRef<TCheckMailbox> CheckMailbox = MakeShared<TCheckMailbox>();
  TImageDownloadMaker MakeImageDownload = nullptr;  // none: no picture from the network
  TImageFileReader ReadImageFile = nullptr;         // none: no picture from the disk
  tgradientsclass* Skin = nullptr;                  // resized with the window; may be null
};

class TReaderWindow : public IReaderWindow {
 public:
  explicit TReaderWindow(TReaderServices services);
  // Cancels the workers' requests, then waits for every worker, those of the
  // feed table and the pictures', until one deadline (kStopWait from now);
  // those still blocked then go on alone, and the poster is closed to them.
  ~TReaderWindow() override;
  TReaderWindow(const TReaderWindow&) = delete;
  TReaderWindow& operator=(const TReaderWindow&) = delete;

  // Well below the 2 s the messenger gives a plugin to stop.
  static constexpr std::chrono::milliseconds kStopWait{1500};
  // Each load holds a document, its tree and its items at once: loading all
  // of many feeds together could exhaust the messenger's memory.
  static constexpr int kMaxLoadsAtOnce = 4;

  // IReaderWindowOps (the settings code) and IReaderWindow (the plugin core).
  void SetLogoVisible(bool visible) override;
  void settabsposition(int position) override;
  void SetCheckNewTimerEnabled(bool enabled) override;
  TRect GetPlacement() const override;
  void SetPlacement(const TRect& rect) override;
  void ClearFeedMenu() override;
  void ClearTabs() override;
  void ClearFeedIcons() override;
  void AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) override;
  void AddTab(const std::string& text) override;
  void LoadIconOfSite(int index, const TFilePath& path) override;
  void check_new_grid_count(int feedIndex) override;
  bool Visible() const override;
  void SetVisible(bool visible) override;
  void TabControl1Change() override;
  void TrIconDblClick() override;
  void ToolOptionsClick() override;
  void PopupMenu1At(int x, int y) override;
  const TBitmap32* FeedIcon(int index) const override { return view_.FeedIcon(index); }
  const TBitmap32* WindowPicture(int index) const override { return view_.WindowPicture(index); }
  int ShownFeed() const override { return CurrentFeed(); }
  void SelectFeed(int feed) override { SelectTab(feed); }
  std::optional<int> PopupSpecContactsAt(const std::vector<TMenuEntry>& items, int x, int y) override {
    return view_.PopupSpecContacts(items, x, y);
  }
  std::u16string StatusText() override;
  void StartItemCacheReads() override;
  void ShowOnFeed(int feed) override {
    N6Click();
    SelectTab(feed);
  }

  // Commands. A load asked for while kMaxLoadsAtOnce run waits its turn.
  void LoadPage(int feedIndex);
  void ShowFeed(int feedIndex);
  void SelectTab(int feedIndex);
  void ToolButton1Click();  // load the current feed
  void ToolButton5Click();  // load all feeds
  void N6Click();           // show the window
  void N7Click();           // hide the window
  void N3Click();           // copy the selection, or the whole page when none
  // A right click in the viewer: on a link (its address) or not. The menu
  // shows N21 only when it was opened on a link.
  void htmlLite1RightClick(const std::optional<std::string>& link) { menuLink_ = link; }
  bool N21Visible() const { return menuLink_.has_value(); }
  void N21Click();  // copy that link
  void Xstatus1Click() { host_.OpenXStatus(); }
  void N15Click();      // the information message
  void N17Click();      // the about page
  void FndTextClick();  // find a text in the viewer
  void SelectNextTab(bool forward);
  // FormKeyDown: true when the key was a command of the window.
  bool OnKeyDown(const TKeyPress& key);
  void RunKeyCommand(TKeyCommand command);

  // Tabs.
  void TabControl1Changing();
  void TabControl1MouseUp(int tabIndex);
  TTabLook TabControl1DrawTab(int tabIndex, bool selected) const;

  // Theme list.
  void CreateThemes(int feedIndex);
  TCellLook StringGrid1DrawCell(int column, int row, bool selected) const;
  void StringGrid1Click();
  // N: the next unread theme, in this feed after the selected one, else in
  // the next feed that has one, round to the start of this one.
  void SelectNextUnread();
  void StringGrid1MouseDown(int rowUnderPointer);  // right button
  void StringGrid1DblClick();
  void N8Click(int tag);   // N8, N9, N14, N18, N19: the item's tag
  void N11Click(int tag);  // N11, N12
  void makethemeasreadunread(int row, int mark);

  // Timers.
  void Timer1Timer();
  // Saves what only memory holds: read marks, and item caches whose write
  // failed. A failure is noticed, and the timer runs again.
  void TimerSaveReadedTimer();
  void CheckNewTimerTimer();

  // Worker notices (lParam = feed index).
  void OnFeedLoaded(int feedIndex);    // WM_FEED_LOADED
  void OnFeedChanged(int feedIndex);   // WM_FEED_CHANGED
  void OnFeedProgress(int feedIndex);  // WM_FEED_PROGRESS
  void OnImageLoaded();                // WM_IMAGE_LOADED
  void OnItemCachesRead();             // WM_ITEM_CACHES_READ

  // Viewer.
  bool htmlLite1ImageRequest(const std::string& source);
  bool htmlLite1HotSpotClick(const std::string& target);  // true: handled

  // Status bar, panels 0 to 4.
  TStatusPanelLook StatusBar1DrawPanel(int panel) const;

  // Splitter bar.
  void Panel2MouseDown(int offsetInBar);
  void Panel2MouseMove(bool leftButton, int yInGrid);
  void Image1MouseUp();
  void Panel2Click();

  // Geometry.
  void FormShow();
  void FormResize();
  // A moving or sizing rectangle, edges snapped to the work area.
  TRect SnapToWorkArea(const TRect& rect) const;

  int CurrentFeed() const;
  bool LoadWaiting(int feedIndex) const;
  int ViewerTag() const { return viewerTag_; }
  const std::string& BaseAddress() const { return baseAddress_; }
  // The theme list as the logic last filled it; row 0 is the header.
  const std::vector<TGridRow>& GridRows() const { return grid_; }

 private:
  struct TWaitingLoad {
    int Feed;
    std::uint64_t Generation;  // of the record that asked: a reload drops it
  };

  int RunningLoads() const;
  void StartLoad(int feedIndex);
  void StartWaitingLoads();
  void MarkRows(const std::vector<int>& rows, int mark);
  void StopWorkers(TSteadyTime deadline);
  // False when any file could not be written.
  bool SaveFeedFiles();
  void SaveFailed();
  TRSS* Feeds() const;
  tchannels* Feed(int index) const;  // null for an index that names no feed
  TPluginGlobals& Globals() const;
  void ShowLogoOf(const tchannels* feed);
  void SetGridMark(int row, int mark);
  int GridMark(int row) const;  // column 0 as a number, -1 when it is none
  std::string UpdatedFeedsText() const;

  std::optional<std::string> menuLink_;  // the link PopupHTMLMenu was opened on
  const TReaderServices services_;
  IReaderView& view_;
  IReaderHost& host_;
  TSharedRef<TClosablePoster> poster_;
  TSharedRef<THttpCancel> cancel_ = MakeShared<THttpCancel>();  // cancelled as the window goes
  TLoadServices loads_;
  TCheckServices checks_;
  // The start's reading of the item caches.
  TSharedRef<std::atomic<bool>> cacheReadsBusy_ = MakeShared<std::atomic<bool>>(false);
  TSharedRef<std::atomic<bool>> cacheReadsStop_ = MakeShared<std::atomic<bool>>(false);
  TSharedRef<TItemCacheMailbox> cacheReadsMailbox_ = MakeShared<TItemCacheMailbox>();
  std::unique_ptr<TWorker> cacheReads_;
  std::vector<std::string> tabs_;                          // TabControl1's texts
  std::vector<TGridRow> grid_ = std::vector<TGridRow>(2);  // a header and one row, as designed
  int viewerTag_ = -1;
  std::string baseAddress_;
  int dragOffset_ = 0;
  bool dragging_ = false;
  bool moved_ = false;
  bool saveFailureShown_ = false;
  TImageQueue images_;
  TCheckNewScheduler scheduler_;
  std::deque<TWaitingLoad> waitingLoads_;
};

// Pure rules, tested apart.
// The link decision: only targets whose own scheme is http, https or mailto
// (any letter case) go to the shell.
bool OpensWithShell(std::string_view target);
// What the shell gets for a link that opens: spaces, quotes, "<", ">",
// backslashes and control characters percent-encoded, since the handler's
// command line would take them as its own; of a mailto only the subject, body
// and cc fields; at most 2048 characters. Nothing for a link that must not open.
std::optional<std::string> ShellAddress(std::string_view target);
// A title drawn as plain text: numeric character references decoded.
std::string PlainTitle(std::string_view title);
// The odd-row colour: the window colour as 65536 * b + 256 * g + r, minus 0x070702.
TColor OddRowColor(TColor window);
// Why a load failed, as the load-error notice names it; empty when there is
// nothing more to say than that it failed.
std::string LoadFailureText(const TLoadFailure& failure);

}  // namespace kivo
