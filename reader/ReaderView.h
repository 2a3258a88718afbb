// What the reader window's logic needs of its window: the controls, the
// timers and the system around it. The Win32 window implements it thinly;
// tests give a fake. The logic (reader/ReaderWindow.h) owns every decision;
// the view only shows and reports.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bitmap.h"
#include "base/Geometry.h"
#include "feeds/FeedTable.h"
#include "feeds/PluginGlobals.h"
#include "reader/ReaderWindowOps.h"

namespace kivo {

enum class TReaderTimer { CheckNew, Timer1, TimerSaveReaded };

// The three columns of the theme list, 8-bit texts; row 0 is the header.
struct TGridRow {
  std::string Mark;
  std::string Title;
  std::string Date;
};

class IReaderView {
 public:
  virtual ~IReaderView() = default;

  // The window.
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void BringToFront() = 0;
  virtual TRect GetPlacement() const = 0;
  virtual void SetPlacement(const TRect& rect) = 0;
  virtual TSize ScreenSize() const = 0;
  virtual TRect WorkArea() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;

  // TabControl1: texts as given ("title|wu"); drawing asks the logic.
  virtual void ClearTabs() = 0;
  virtual void AddTab(const std::string& text) = 0;
  virtual int TabCount() const = 0;
  virtual int SelectedTab() const = 0;  // -1 with no tabs
  virtual void SetSelectedTab(int index) = 0;
  virtual void RepaintTabs() = 0;
  virtual void SetTabsAtBottom(bool bottom) = 0;

  // PopupMenu2 (the feeds menu).
  virtual void ClearFeedMenu() = 0;
  virtual void AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) = 0;
  virtual int FeedMenuCount() const = 0;

  // ImageList2: site icons by feed index; the default is PngImageList1 picture 0.
  virtual void ClearFeedIcons() = 0;
  virtual void AppendDefaultFeedIcon() = 0;
  virtual int FeedIconCount() const = 0;
  virtual const TBitmap32* FeedIcon(int index) const = 0;       // null out of range
  virtual const TBitmap32* WindowPicture(int index) const = 0;  // PngImageList1; null out of range
  // PopupSpecContacts at a screen point; the chosen item's tag.
  virtual std::optional<int> PopupSpecContacts(const std::vector<TMenuEntry>& items, int x, int y) = 0;
  virtual void SetFeedIcon(int index, const TBitmap32& picture) = 0;

  // Imagelogo.
  virtual void ShowLogo(const TBitmap32& picture, int width) = 0;
  virtual void HideLogo() = 0;

  // StringGrid1: the rows replace the list; cells are drawn by asking the logic.
  virtual void SetGridRows(const std::vector<TGridRow>& rows) = 0;
  virtual void SetGridRow(int row, const TGridRow& cells) = 0;  // and redraws it
  virtual int GridRowCount() const = 0;
  virtual int SelectedRow() const = 0;
  // Selects without reporting a click; the logic runs the selection itself.
  virtual void SetSelectedRow(int row) = 0;
  virtual bool GridVisible() const = 0;
  virtual void SetGridVisible(bool visible) = 0;
  virtual int GridHeight() const = 0;
  virtual void SetGridHeight(int height) = 0;
  virtual int GridWidth() const { return 0; }
  virtual void SetGridColumnWidths(int /*c0*/, int /*c1*/, int /*c2*/) {}
  // Image1 drawn again from skin bitmap 2.
  virtual void RedrawSplitter() {}

  // htmlLite1; its tag is kept by the logic.
  virtual void ViewerClear() = 0;
  virtual void ViewerSetSystemColors() = 0;  // window and window-text colours
  virtual void ViewerLoadHtml(const std::string& html) = 0;
  virtual int ViewerScrollPos() const = 0;
  virtual void ViewerScrollTo(int y) = 0;
  virtual void ViewerInsertImage(const std::string& source, std::optional<TBitmap32> picture) = 0;
  // The picture does not fit the page's budget: its alternative text stands in.
  virtual void ViewerInsertImageAlt(const std::string& source) = 0;

  // StatusBar1: panel 5's text; the other panels are drawn by asking the logic.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void RepaintStatus() = 0;

  virtual void StartTimer(TReaderTimer timer) = 0;  // restarts a running one
  virtual void StopTimer(TReaderTimer timer) = 0;
  virtual bool TimerRunning(TReaderTimer timer) const = 0;

  // The splitter keeps the mouse pointer on the bar.
  virtual void MovePointerBy(int dy) = 0;
  // The system's default handler for an address, in a normal window.
  virtual void OpenWithShell(const std::string& target) = 0;
  // PopupMenu1 (its one item N1) at a screen point.
  virtual void PopupMenu1At(int /*x*/, int /*y*/) {}

  // The viewer's selection, its search and the clipboard.
  virtual bool ViewerHasSelection() const = 0;
  virtual void ViewerSelectAll() = 0;
  virtual std::u16string ViewerSelectedText() const = 0;
  virtual void ViewerClearSelection() = 0;
  // From the current place, letter case counting: selects and scrolls to the
  // match; false, with nothing changed, when there is none.
  virtual bool ViewerFind(std::u16string_view text) = 0;
  virtual void ViewerPage(bool down) = 0;
  // As Unicode text; nothing is copied when the clipboard cannot be had.
  virtual void CopyToClipboard(const std::u16string& text) = 0;
  // A message box with the information icon and OK, under the window's caption.
  virtual void ShowInformation(const std::string& text) = 0;
  // A one-line prompt; nullopt when cancelled.
  virtual std::optional<std::string> AskText(const std::string& caption, const std::string& prompt) = 0;
};

// The keys the window sees before its controls: a virtual-key code and the
// modifiers held with it.
struct TKeyPress {
  int Key = 0;
  bool Ctrl = false;
  bool Shift = false;
};
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyInsert = 0x2D;
inline constexpr int kKeyC = 'C';
inline constexpr int kKeyF = 'F';
inline constexpr int kKeyF5 = 0x74;
inline constexpr int kKeyN = 'N';

enum class TKeyCommand {
  None,
  Find,
  Copy,
  NextTab,
  PreviousTab,
  Hide,
  LoadFeed,
  LoadAllFeeds,
  PageDown,
  PageUp,
  NextUnread
};

// Beside the Part's keys, those of desktop readers: F5 and Ctrl+F5 load,
// Space and Shift+Space page the viewer, N goes to the next unread theme.
TKeyCommand KeyCommandOf(const TKeyPress& key);

// N2DrawItem: what an item of the feeds menu shows (and of the special
// contacts' menu, whose tag -1 is the options item and -2 adding a feed).
enum class TMenuPicture { None, Window, SiteIcon };  // PngImageList1, ImageList2
struct TFeedMenuLook {
  bool DrawsContent = false;  // picture and caption, only for a tag below the tab count
  TMenuPicture Picture = TMenuPicture::None;
  int Index = -1;
  std::string Caption;  // without a leading "&"
};
TFeedMenuLook FeedMenuItemLook(int tag, int tabCount, std::string_view caption);

// The two pop-ups: news of the feeds, and failed loads and saves ("Info").
enum class TNotice { Update, Error };

// What the reader logic reaches outside its window: the tray icon, the
// pop-up, the special contacts, the plugin's feed table and settings.
class IReaderHost {
 public:
  virtual ~IReaderHost() = default;
  virtual TRSS* Feeds() = 0;  // null while the plugin is stopped
  virtual TPluginGlobals& Globals() = 0;
  virtual bool TrayBlinking() const = 0;
  virtual void SetTrayBlinking(bool blinking) = 0;  // off shows the first frame
  // `feed`: the feed a click on the notice opens, -1 for none.
  virtual void ShowNotification(TNotice notice, const std::string& caption, const std::string& text,
                                int feed) = 0;
  virtual void SetContactNew(int feed, bool hasNew) = 0;
  virtual void SetContactCounts(int feed, int unread, int total) = 0;
  // The options dialog (ToolOptions).
  virtual void OpenOptions() {}
  // The X-status dialog (Xstatus1): made at first use, shown, or brought to the front.
  virtual void OpenXStatus() {}
  // The author text the plugin gives the host, windows-1251.
  virtual std::string PluginAuthor() const { return {}; }
  // A failure the window caught in one of its handlers, for the plugin's log.
  virtual void ReportFailure(std::string_view what) noexcept = 0;
};

}  // namespace kivo
