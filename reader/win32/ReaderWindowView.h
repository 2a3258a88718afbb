// TForm1 on Win32: the reader window's controls, laid out and drawn as the
// logic (TReaderWindow) answers, with the logic's handlers called from the
// window's events. The view decides nothing itself.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lang/LanguageTexts.h"
#include "reader/ReaderSkin.h"
#include "reader/ReaderView.h"
#include "reader/ReaderWindow.h"
#include "reader/win32/PictureList.h"
#include "reader/win32/ReaderMenus.h"
#include "reader/win32/ThemeGrid.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

class TFeedTabs;
class THtmlViewerControl;
class TSplitterBar;
class TStatusBar;
class TToolBar;

class TReaderWindowView final : public TWindowBase, public IReaderView {
 public:
  // `skin` and `host` must outlive the view; the host answers the test probe
  // and hears of the failures the window caught.
  TReaderWindowView(tgradientsclass* skin, IReaderHost& host);
  ~TReaderWindowView() override;

  // The logic whose handlers the events call; null detaches it.
  void SetLogic(TReaderWindow* logic) { logic_ = logic; }

  // IReaderView.
  bool Visible() const override;
  void SetVisible(bool visible) override;
  void BringToFront() override;
  TRect GetPlacement() const override;
  void SetPlacement(const TRect& rect) override;
  TSize ScreenSize() const override;
  TRect WorkArea() const override;
  void SetCaption(const std::string& caption) override;

  void ClearTabs() override;
  void AddTab(const std::string& text) override;
  int TabCount() const override;
  int SelectedTab() const override;
  void SetSelectedTab(int index) override;
  void RepaintTabs() override;
  void SetTabsAtBottom(bool bottom) override;

  void ClearFeedMenu() override { feedMenu_.clear(); }
  void AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) override;
  int FeedMenuCount() const override { return static_cast<int>(feedMenu_.size()); }

  void ClearFeedIcons() override { feedIcons_.Clear(); }
  void AppendDefaultFeedIcon() override;
  int FeedIconCount() const override { return feedIcons_.Count(); }
  const TBitmap32* FeedIcon(int index) const override { return feedIcons_.At(index); }
  void SetFeedIcon(int index, const TBitmap32& picture) override { feedIcons_.Set(index, picture); }
  const TBitmap32* WindowPicture(int index) const override { return pictures_.At(index); }
  std::optional<int> PopupSpecContacts(const std::vector<TMenuEntry>& items, int x, int y) override;

  void ShowLogo(const TBitmap32& picture, int width) override;
  void HideLogo() override;

  void SetGridRows(const std::vector<TGridRow>& rows) override;
  void SetGridRow(int row, const TGridRow& cells) override;
  int GridRowCount() const override;
  int SelectedRow() const override;
  void SetSelectedRow(int row) override;
  bool GridVisible() const override { return gridVisible_; }
  void SetGridVisible(bool visible) override;
  int GridHeight() const override { return gridHeight_; }
  void SetGridHeight(int height) override;
  int GridWidth() const override;
  void SetGridColumnWidths(int c0, int c1, int c2) override;
  void RedrawSplitter() override;

  void ViewerClear() override;
  void ViewerSetSystemColors() override;
  void ViewerLoadHtml(const std::string& html) override;
  int ViewerScrollPos() const override;
  void ViewerScrollTo(int y) override;
  void ViewerInsertImage(const std::string& source, std::optional<TBitmap32> picture) override;
  void ViewerInsertImageAlt(const std::string& source) override;

  void SetStatusText(const std::string& text) override;
  void RepaintStatus() override;

  void StartTimer(TReaderTimer timer) override;
  void StopTimer(TReaderTimer timer) override;
  bool TimerRunning(TReaderTimer timer) const override;

  void MovePointerBy(int dy) override;
  void OpenWithShell(const std::string& target) override;
  void PopupMenu1At(int x, int y) override;
  bool ViewerHasSelection() const override;
  void ViewerSelectAll() override;
  std::u16string ViewerSelectedText() const override;
  void ViewerClearSelection() override;
  bool ViewerFind(std::u16string_view text) override;
  void ViewerPage(bool down) override;
  void CopyToClipboard(const std::u16string& text) override;
  void ShowInformation(const std::string& text) override;
  std::optional<std::string> AskText(const std::string& caption, const std::string& prompt) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnHandlerFailure(const char* what) noexcept override;

 private:
  void CreateControls();
  void CreateTabs();
  void CreateGrid();
  void CreateSplitter();
  void CreateViewer();
  void Layout();
  void ScheduleLayout();
  void PaintTopStrip();
  const TBitmap32* SkinBitmap(int index) const;
  void OnCommand(int command);
  void OnFeedMenuCommand(int tag);
  void OnTimer(UINT_PTR id);
  bool OnWorkerNotice(UINT message, LPARAM lParam);
  void OnMoveOrSize(RECT& rect) const;
  void RouteWheel(WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ViewerWheelFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data);
  void OnThemeChanged();
  LRESULT OnProbe(WPARAM wParam, LPARAM lParam);
  void ClickSplitter();
  static LRESULT CALLBACK KeyPreview(int code, WPARAM wParam, LPARAM lParam);
  bool PreviewKey(const MSG& message);

  TWindowClassUse class_;
  tgradientsclass* skin_;
  IReaderHost& host_;
  TReaderWindow* logic_ = nullptr;
  UINT probeMessage_ = 0;
  HHOOK keyPreview_ = nullptr;  // this thread's message hook while the window lives

  TPictureList pictures_;   // PngImageList1
  TPictureList feedIcons_;  // ImageList2
  std::unique_ptr<TToolBar> toolBar_;
  std::unique_ptr<TFeedTabs> tabs_;
  std::unique_ptr<TStatusBar> status_;
  std::unique_ptr<TThemeGrid> grid_;
  std::unique_ptr<TSplitterBar> splitter_;
  std::unique_ptr<THtmlViewerControl> viewer_;

  std::vector<TFeedMenuItem> feedMenu_;
  std::optional<TBitmap32> logo_;
  int logoWidth_ = 0;
  bool gridVisible_ = true;
  int gridHeight_ = 110;
  bool layoutPending_ = false;  // tabs changed; kLayoutMessage lays out
  std::array<bool, 3> timers_{};
  // Menus take their captions when they open; the caption follows the language here.
  TAssotiateLanguageHook languageHook_;
};

}  // namespace kivo
