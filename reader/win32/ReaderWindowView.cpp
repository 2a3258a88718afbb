#include "reader/win32/ReaderWindowView.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "feeds/FeedMessages.h"
#include "imaging/win32/ImageLists.h"
#include "lang/LanguageTexts.h"
#include "reader/ReaderCommands.h"
#include "reader/win32/FeedTabs.h"
#include "reader/win32/ReaderProbe.h"
#include "reader/win32/SplitterBar.h"
#include "reader/win32/StatusBar.h"
#include "reader/win32/ToolBar.h"
#include "ui/win32/Clipboard.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Prompts.h"
#include "viewer/win32/HtmlViewerControl.h"

namespace kivo {

namespace {

constexpr UINT kKeyCommandMessage = WM_APP + 40;
constexpr UINT kLayoutMessage = WM_APP + 41;

// The reader window whose keys the message hook previews; one per plugin.
TReaderWindowView* gKeyPreviewWindow = nullptr;

constexpr int kDesignClientWidth = 578;
constexpr int kDesignClientHeight = 342;
constexpr int kTopStripHeight = TToolBar::kHeight;
constexpr int kMinGridHeight = 0;

constexpr int kIdTabs = 10;
constexpr int kIdGrid = 11;
constexpr int kIdViewer = 12;
constexpr int kIdStatus = 13;
constexpr int kIdSplitter = 14;

constexpr std::array<UINT, 3> kTimerIntervals = {10000, 3000, 60000};  // by TReaderTimer

UINT_PTR TimerId(TReaderTimer timer) {
  return static_cast<UINT_PTR>(timer) + 1;
}

TColor SysColor(int index) {
  return gdi::FromColorRef(GetSysColor(index));
}

}  // namespace

TReaderWindowView::TReaderWindowView(tgradientsclass* skin, IReaderHost& host)
    : class_(L"TForm1", &TWindowBase::WindowProc),
      skin_(skin),
      host_(host),
      probeMessage_(RegisterWindowMessageW(kReaderProbeMessage)),
      pictures_(WindowPictures()),
      feedIcons_(16, 16) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  RECT frame{0, 0, kDesignClientWidth, kDesignClientHeight};
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Created centred on the screen; a stored placement moves it later.
  Create(0, class_.Name(), gdi::Wide(Lang.lang_main_form_caption).c_str(), kStyle,
         (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width,
         height, nullptr, nullptr);
  CreateControls();
  Layout();
  languageHook_ =
      TAssotiateLanguageHook(TLangWindow::Reader, [this] { SetCaption(Lang.lang_main_form_caption); });
  gKeyPreviewWindow = this;
  keyPreview_ =
      SetWindowsHookExW(WH_GETMESSAGE, &TReaderWindowView::KeyPreview, nullptr, GetCurrentThreadId());
}

TReaderWindowView::~TReaderWindowView() {
  if (keyPreview_ != nullptr) UnhookWindowsHookEx(keyPreview_);
  if (gKeyPreviewWindow == this) gKeyPreviewWindow = nullptr;
  languageHook_ = TAssotiateLanguageHook();
  logic_ = nullptr;
  for (int timer = 0; timer < 3; ++timer) KillTimer(Handle(), static_cast<UINT_PTR>(timer) + 1);
  if (viewer_) RemoveWindowSubclass(viewer_->Handle(), &TReaderWindowView::ViewerWheelFilter, kIdViewer);
  viewer_.reset();
  splitter_.reset();
  grid_.reset();
  status_.reset();
  tabs_.reset();
  toolBar_.reset();
  Destroy();
}

void TReaderWindowView::OnHandlerFailure(const char* what) noexcept {
  host_.ReportFailure(what);
}

// ---- controls and layout

void TReaderWindowView::CreateControls() {
  toolBar_ = std::make_unique<TToolBar>(Handle(), pictures_);
  CreateTabs();
  status_ = std::make_unique<TStatusBar>(Handle(), kIdStatus, pictures_, [this](int panel) {
    return logic_ ? std::optional(logic_->StatusBar1DrawPanel(panel)) : std::nullopt;
  });
  CreateGrid();
  CreateSplitter();
  CreateViewer();
  // The tab control lies under the controls shown on its pages.
  SetWindowPos(tabs_->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TReaderWindowView::CreateTabs() {
  TFeedTabsEvents events;
  events.Look = [this](int index, bool selected) {
    return logic_ ? std::optional(logic_->TabControl1DrawTab(index, selected)) : std::nullopt;
  };
  events.SkinBitmap = [this](int index) { return SkinBitmap(index); };
  events.Changing = [this] {
    if (logic_) logic_->TabControl1Changing();
  };
  events.Change = [this] {
    if (logic_) logic_->TabControl1Change();
  };
  events.Click = [this](int index) {
    if (logic_) logic_->TabControl1MouseUp(index);
  };
  tabs_ = std::make_unique<TFeedTabs>(Handle(), kIdTabs, feedIcons_, std::move(events));
}

void TReaderWindowView::CreateGrid() {
  TThemeGridEvents events;
  events.DrawCell = [this](int column, int row, bool selected) {
    return logic_ ? logic_->StringGrid1DrawCell(column, row, selected) : TCellLook{};
  };
  events.SkinBitmap = [this](int index) { return SkinBitmap(index); };
  events.Click = [this] {
    if (logic_) logic_->StringGrid1Click();
  };
  events.RightDown = [this](int row, POINT screen) {
    if (logic_) logic_->StringGrid1MouseDown(row);
    ShowGridMenu(Handle(), screen, pictures_);
  };
  events.DoubleClick = [this] {
    if (logic_) logic_->StringGrid1DblClick();
  };
  grid_ = std::make_unique<TThemeGrid>(Handle(), kIdGrid, pictures_, std::move(events));
}

void TReaderWindowView::CreateSplitter() {
  TSplitterBar::TEvents events;
  events.Down = [this](int offset) {
    if (logic_) logic_->Panel2MouseDown(offset);
  };
  events.Move = [this](bool leftButton, POINT screen) {
    ScreenToClient(grid_->Handle(), &screen);
    if (logic_) logic_->Panel2MouseMove(leftButton, screen.y);
  };
  events.Up = [this](bool inside) {
    if (!logic_) return;
    logic_->Image1MouseUp();
    if (inside) logic_->Panel2Click();
  };
  events.Picture = [this] { return SkinBitmap(2); };
  splitter_ = std::make_unique<TSplitterBar>(Handle(), kIdSplitter, std::move(events));
}

void TReaderWindowView::CreateViewer() {
  viewer_ = std::make_unique<THtmlViewerControl>(Handle(), kIdViewer);
  THtmlViewerEvents events;
  events.LinkClick = [this](const std::string& target) {
    return logic_ != nullptr && logic_->htmlLite1HotSpotClick(target);
  };
  events.ImageRequest = [this](const std::string& source) {
    return logic_ != nullptr && logic_->htmlLite1ImageRequest(source);
  };
  events.RightClick = [this](POINT screen, const std::optional<std::string>& link) {
    if (logic_ == nullptr) return;
    logic_->htmlLite1RightClick(link);
    ShowViewerMenu(Handle(), screen, logic_->N21Visible(), pictures_);
  };
  viewer_->SetEvents(std::move(events));
  SetWindowSubclass(viewer_->Handle(), &TReaderWindowView::ViewerWheelFilter, kIdViewer, 0);
}

void TReaderWindowView::Layout() {
  layoutPending_ = false;
  if (!tabs_ || !status_ || !grid_ || !splitter_) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  const int statusHeight = status_->FitToParent();
  const int tabsHeight = std::max(0, static_cast<int>(client.bottom) - kTopStripHeight - statusHeight);
  tabs_->Place(RECT{0, kTopStripHeight, client.right, kTopStripHeight + tabsHeight});
  const RECT page = tabs_->PageRect();
  const int width = std::max(0, static_cast<int>(page.right - page.left));
  int y = page.top;
  const int gridHeight =
      std::clamp(gridHeight_, kMinGridHeight,
                 std::max(kMinGridHeight, static_cast<int>(page.bottom) - y - TSplitterBar::kHeight));
  if (((GetWindowLongPtrW(grid_->Handle(), GWL_STYLE) & WS_VISIBLE) != 0) != gridVisible_)
    ShowWindow(grid_->Handle(), gridVisible_ ? SW_SHOWNA : SW_HIDE);
  if (gridVisible_) {
    MoveIfMoved(grid_->Handle(), RECT{page.left, y, page.left + width, y + gridHeight});
    y += gridHeight;
  }
  MoveIfMoved(splitter_->Handle(), RECT{page.left, y, page.left + width, y + TSplitterBar::kHeight});
  y += TSplitterBar::kHeight;
  if (viewer_) viewer_->SetBounds(page.left, y, width, std::max(0, static_cast<int>(page.bottom) - y));
  InvalidateRect(Handle(), nullptr, FALSE);
}

const TBitmap32* TReaderWindowView::SkinBitmap(int index) const {
  if (skin_ == nullptr || index < 0 || index >= tgradientsclass::kBitmaps) return nullptr;
  const TBitmap32& bitmap = skin_->Bitmap(index);
  return bitmap.Width > 0 ? &bitmap : nullptr;
}

void TReaderWindowView::PaintTopStrip() {
  const TPaintDc paint(Handle());
  const HDC dc = paint.Get();
  RECT client{};
  GetClientRect(Handle(), &client);
  // The whole client: the tab control covers only its row of tabs, and the
  // page's edges around the controls are ours (the controls are clipped out).
  gdi::Fill(dc, client, GetSysColor(COLOR_BTNFACE));
  if (logo_) DrawPicture(dc, client.right - logoWidth_, 0, *logo_, logoWidth_, kTopStripHeight);
}

// ---- events

void TReaderWindowView::OnTimer(UINT_PTR id) {
  if (logic_ == nullptr) return;
  switch (id) {
    case 1:
      logic_->CheckNewTimerTimer();
      break;
    case 2:
      logic_->Timer1Timer();
      break;
    case 3:
      logic_->TimerSaveReadedTimer();
      break;
    default:
      break;
  }
}

bool TReaderWindowView::OnWorkerNotice(UINT message, LPARAM lParam) {
  const int feed = static_cast<int>(lParam);
  switch (message) {
    case WM_FEED_LOADED:
      if (logic_) logic_->OnFeedLoaded(feed);
      return true;
    case WM_FEED_CHANGED:
      if (logic_) logic_->OnFeedChanged(feed);
      return true;
    case WM_FEED_PROGRESS:
      if (logic_) logic_->OnFeedProgress(feed);
      return true;
    case WM_ITEM_CACHES_READ:
      if (logic_) logic_->OnItemCachesRead();
      return true;
    case WM_IMAGE_LOADED:
      if (logic_) logic_->OnImageLoaded();
      return true;
    default:
      return false;
  }
}

void TReaderWindowView::OnMoveOrSize(RECT& rect) const {
  if (logic_ == nullptr) return;
  const TRect snapped = logic_->SnapToWorkArea({rect.left, rect.top, rect.right, rect.bottom});
  rect = RECT{snapped.Left, snapped.Top, snapped.Right, snapped.Bottom};
}

// The wheel goes to the theme list or the viewer under the pointer, wherever
// the focus is; anywhere else it does nothing.
void TReaderWindowView::RouteWheel(WPARAM wParam, LPARAM lParam) {
  for (const HWND target : {grid_ ? grid_->Handle() : nullptr, viewer_ ? viewer_->Handle() : nullptr}) {
    if (target != nullptr && IsWindowVisible(target) && PointerOver(target, lParam)) {
      SendMessageW(target, WM_MOUSEWHEEL, wParam, lParam);
      return;
    }
  }
}

// The viewer scrolls itself by the wheel: it keeps only the turns made over it.
LRESULT CALLBACK TReaderWindowView::ViewerWheelFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                      UINT_PTR, DWORD_PTR) {
  if (message == WM_MOUSEWHEEL && !PointerOver(window, lParam)) {
    return SendMessageW(GetParent(window), message, wParam, lParam);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void TReaderWindowView::OnThemeChanged() {
  if (skin_ != nullptr) {
    skin_->ThemeChanged(TSkinColors{SysColor(COLOR_BTNFACE), SysColor(COLOR_MENUHILIGHT),
                                    SysColor(COLOR_GRADIENTACTIVECAPTION), 0xFFFFFF});
  }
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

// The window sees the keys of its controls first, as a form with KeyPreview
// does: a key that is a command of the window never reaches the control.
LRESULT CALLBACK TReaderWindowView::KeyPreview(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && gKeyPreviewWindow != nullptr) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    try {
      if (gKeyPreviewWindow->PreviewKey(*message)) message->message = WM_NULL;
    } catch (...) {
      gKeyPreviewWindow->OnHandlerFailure("key preview");
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The command runs from the window's own message, not inside the hook: find
// opens a prompt with a message loop of its own.
bool TReaderWindowView::PreviewKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || logic_ == nullptr) return false;
  if (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd)) return false;
  const TKeyCommand command = KeyCommandOf(
      {static_cast<int>(message.wParam), GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0});
  if (command == TKeyCommand::None) return false;
  PostMessageW(Handle(), kKeyCommandMessage, static_cast<WPARAM>(command), 0);
  return true;
}

LRESULT TReaderWindowView::OnProbe(WPARAM wParam, LPARAM lParam) {
  const TProbeSubject subject{*this, logic_, host_.Feeds(), *grid_, tabs_->HotTab()};
  return AnswerReaderProbe(static_cast<TReaderProbe>(wParam), static_cast<int>(lParam), subject);
}

LRESULT TReaderWindowView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == probeMessage_ && probeMessage_ != 0) return OnProbe(wParam, lParam);
  if (message == kKeyCommandMessage) {
    if (logic_) logic_->RunKeyCommand(static_cast<TKeyCommand>(wParam));
    return 0;
  }
  if (message == kLayoutMessage) {
    if (layoutPending_) Layout();
    return 0;
  }
  if (OnWorkerNotice(message, lParam)) return 0;
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_SIZE:
      Layout();
      if (logic_) logic_->FormResize();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam != FALSE && logic_) logic_->FormShow();
      break;
    case WM_MOVING:
    case WM_SIZING:
      OnMoveOrSize(*reinterpret_cast<RECT*>(lParam));
      return TRUE;
    case WM_MOUSEWHEEL:
      RouteWheel(wParam, lParam);
      return 0;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      OnThemeChanged();
      break;
    case WM_PAINT:
      PaintTopStrip();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MEASUREITEM:
      if (MeasureFeedMenuItem(Handle(), *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (DrawFeedMenuItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), TabCount(), pictures_,
                           feedIcons_))
        return TRUE;
      break;
    case WM_CLOSE:
      // Closing only hides: the window lives until the plugin stops.
      ShowWindow(Handle(), SW_HIDE);
      return 0;
    default:
      break;
  }
  return TWindowBase::HandleMessage(message, wParam, lParam);
}

// ---- IReaderView

bool TReaderWindowView::Visible() const {
  return IsWindowVisible(Handle()) != FALSE;
}

void TReaderWindowView::SetVisible(bool visible) {
  ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TReaderWindowView::BringToFront() {
  ShowWindow(Handle(), IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(Handle());
}

TRect TReaderWindowView::GetPlacement() const {
  RECT rect{};
  GetWindowRect(Handle(), &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void TReaderWindowView::SetPlacement(const TRect& rect) {
  SetWindowPos(Handle(), nullptr, rect.Left, rect.Top, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

TSize TReaderWindowView::ScreenSize() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

TRect TReaderWindowView::WorkArea() const {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return {area.left, area.top, area.right, area.bottom};
}

void TReaderWindowView::SetCaption(const std::string& caption) {
  SetWindowTextW(Handle(), gdi::Wide(caption).c_str());
}

void TReaderWindowView::ClearTabs() {
  tabs_->Clear();
  ScheduleLayout();
}

void TReaderWindowView::AddTab(const std::string& text) {
  tabs_->Add(text);
  ScheduleLayout();
}

// A start adds a tab per feed: one layout after the last, not one per tab.
void TReaderWindowView::ScheduleLayout() {
  if (layoutPending_) return;
  layoutPending_ = true;
  PostMessageW(Handle(), kLayoutMessage, 0, 0);
}

int TReaderWindowView::TabCount() const {
  return tabs_->Count();
}

int TReaderWindowView::SelectedTab() const {
  return tabs_->Selected();
}

void TReaderWindowView::SetSelectedTab(int index) {
  tabs_->SetSelected(index);
  // Several rows of tabs move when another row is selected.
  Layout();
}

void TReaderWindowView::RepaintTabs() {
  tabs_->Repaint();
}

void TReaderWindowView::SetTabsAtBottom(bool bottom) {
  tabs_->SetAtBottom(bottom);
  Layout();
}

void TReaderWindowView::AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) {
  feedMenu_.push_back({caption, hint, tag});
}

void TReaderWindowView::AppendDefaultFeedIcon() {
  if (const TBitmap32* picture = pictures_.At(0)) feedIcons_.Append(*picture);
}

void TReaderWindowView::ShowLogo(const TBitmap32& picture, int width) {
  logo_ = picture;
  logoWidth_ = width;
  RECT strip{0, 0, 1 << 15, kTopStripHeight};
  InvalidateRect(Handle(), &strip, FALSE);
}

void TReaderWindowView::HideLogo() {
  logo_.reset();
  RECT strip{0, 0, 1 << 15, kTopStripHeight};
  InvalidateRect(Handle(), &strip, FALSE);
}

void TReaderWindowView::SetGridRows(const std::vector<TGridRow>& rows) {
  grid_->SetRows(rows);
}

void TReaderWindowView::SetGridRow(int row, const TGridRow& cells) {
  grid_->SetRow(row, cells);
}

int TReaderWindowView::GridRowCount() const {
  return grid_->RowCount();
}

int TReaderWindowView::SelectedRow() const {
  return grid_->SelectedRow();
}

void TReaderWindowView::SetSelectedRow(int row) {
  grid_->SetSelectedRow(row);
}

void TReaderWindowView::SetGridVisible(bool visible) {
  if (visible == gridVisible_ && !layoutPending_) return;
  gridVisible_ = visible;
  Layout();
}

void TReaderWindowView::SetGridHeight(int height) {
  height = std::max(height, kMinGridHeight);
  if (height == gridHeight_ && !layoutPending_) return;
  gridHeight_ = height;
  Layout();
}

int TReaderWindowView::GridWidth() const {
  const RECT page = tabs_->PageRect();
  return page.right - page.left;
}

void TReaderWindowView::SetGridColumnWidths(int c0, int c1, int c2) {
  grid_->SetColumnWidths(c0, c1, c2);
}

void TReaderWindowView::RedrawSplitter() {
  InvalidateRect(splitter_->Handle(), nullptr, FALSE);
}

void TReaderWindowView::ViewerClear() {
  if (viewer_) viewer_->Clear();
}

void TReaderWindowView::ViewerSetSystemColors() {
  if (viewer_) viewer_->SetColors(SysColor(COLOR_WINDOW), SysColor(COLOR_WINDOWTEXT));
}

void TReaderWindowView::ViewerLoadHtml(const std::string& html) {
  if (viewer_) viewer_->LoadHtml(html);
}

int TReaderWindowView::ViewerScrollPos() const {
  return viewer_ ? viewer_->ScrollPos() : 0;
}

void TReaderWindowView::ViewerScrollTo(int y) {
  if (viewer_) viewer_->ScrollTo(y);
}

void TReaderWindowView::ViewerInsertImage(const std::string& source, std::optional<TBitmap32> picture) {
  if (viewer_) viewer_->InsertImage(source, std::move(picture));
}

void TReaderWindowView::ViewerInsertImageAlt(const std::string& source) {
  if (viewer_) viewer_->InsertImageAlt(source);
}

void TReaderWindowView::SetStatusText(const std::string& text) {
  status_->SetText(text);
}

void TReaderWindowView::RepaintStatus() {
  status_->Repaint();
}

void TReaderWindowView::StartTimer(TReaderTimer timer) {
  const auto index = static_cast<std::size_t>(timer);
  SetTimer(Handle(), TimerId(timer), kTimerIntervals[index], nullptr);
  timers_[index] = true;
}

void TReaderWindowView::StopTimer(TReaderTimer timer) {
  KillTimer(Handle(), TimerId(timer));
  timers_[static_cast<std::size_t>(timer)] = false;
}

bool TReaderWindowView::TimerRunning(TReaderTimer timer) const {
  return timers_[static_cast<std::size_t>(timer)];
}

void TReaderWindowView::MovePointerBy(int dy) {
  POINT pointer{};
  if (GetCursorPos(&pointer)) SetCursorPos(pointer.x, pointer.y + dy);
}

void TReaderWindowView::OpenWithShell(const std::string& target) {
  ShellExecuteW(nullptr, L"open", gdi::Wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TReaderWindowView::PopupMenu1At(int x, int y) {
  ShowPopupMenu1(Handle(), x, y);
}

bool TReaderWindowView::ViewerHasSelection() const {
  return viewer_->View().HasSelection();
}

void TReaderWindowView::ViewerSelectAll() {
  viewer_->SelectAll();
}

std::u16string TReaderWindowView::ViewerSelectedText() const {
  return viewer_->SelectedText();
}

void TReaderWindowView::ViewerClearSelection() {
  viewer_->ClearSelection();
}

bool TReaderWindowView::ViewerFind(std::u16string_view text) {
  return viewer_->Find(text);
}

void TReaderWindowView::ViewerPage(bool down) {
  viewer_->ScrollPage(down);
}

void TReaderWindowView::CopyToClipboard(const std::u16string& text) {
  PutClipboardText(Handle(), text);
}

void TReaderWindowView::ShowInformation(const std::string& text) {
  ShowMessageBox(Handle(), text, Lang.lang_main_form_caption, MB_OK | MB_ICONINFORMATION);
}

std::optional<std::string> TReaderWindowView::AskText(const std::string& caption, const std::string& prompt) {
  return InputQuery(Handle(), caption, prompt, {});
}

}  // namespace kivo
