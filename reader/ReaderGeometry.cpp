// Placement, edge snapping, resizing and the splitter bar of the reader window.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "reader/ReaderWindow.h"

namespace kivo {

namespace {

constexpr int kSnapDistance = 5;
constexpr int kLogoHeight = 25;
constexpr int kMarkColumnWidth = 20;
constexpr int kDateColumnWidth = 170;
constexpr int kGridFrameWidth = 27;

bool Near(int a, int b) {
  return std::abs(a - b) <= kSnapDistance;
}

}  // namespace

int LogoWidth(int width, int height) {
  if (height == 0) height = 1;
  return static_cast<int>(std::nearbyint(static_cast<double>(width) / height * kLogoHeight));
}

TRect PlaceReaderWindow(const TRect& stored, const TRect& current, TSize screen) {
  if (stored.Left == 0) {
    return TRect::OfSize(screen.Width / 2 - current.Width() / 2, screen.Height / 2 - current.Height() / 2,
                         current.Width(), current.Height());
  }
  int left = stored.Left;
  int top = stored.Top;
  int width = stored.Width();
  int height = stored.Height();
  if (screen.Width < width) width = screen.Width - 20;
  if (screen.Height < height) height = screen.Height - 20;
  if (screen.Width <= left) left = screen.Width - 20;
  if (screen.Height <= top) top = screen.Height - 20;
  if (width < 500) width = 500;
  if (height < 300) height = 300;
  return TRect::OfSize(left, top, width, height);
}

TRect RestoredPlacement(const TRect& stored, TSize screen) {
  return PlaceReaderWindow(stored, stored, screen);
}

TRect TReaderWindow::SnapToWorkArea(const TRect& rect) const {
  const TRect area = view_.WorkArea();
  const int width = rect.Width();
  const int height = rect.Height();
  int left = rect.Left;
  int top = rect.Top;
  if (Near(left, area.Left)) left = area.Left;
  if (Near(left + width, area.Right)) left = area.Right - width;
  if (Near(top, area.Top)) top = area.Top;
  if (Near(top + height, area.Bottom)) top = area.Bottom - height;
  return TRect::OfSize(left, top, width, height);
}

void TReaderWindow::FormShow() {
  if (const tchannels* feed = Feed(CurrentFeed())) {
    view_.SetGridVisible(feed->ShowPanel);
    view_.SetGridHeight(feed->PanelSize);
  }
  view_.RedrawSplitter();
}

void TReaderWindow::FormResize() {
  if (services_.Skin) services_.Skin->SetWidth(view_.GetPlacement().Width());
  const int titleWidth = view_.GridWidth() - kMarkColumnWidth - kDateColumnWidth - kGridFrameWidth;
  view_.SetGridColumnWidths(kMarkColumnWidth, std::max(titleWidth, 0), kDateColumnWidth);
  view_.RedrawSplitter();
}

void TReaderWindow::Panel2MouseDown(int offsetInBar) {
  dragOffset_ = offsetInBar;
  dragging_ = true;
  moved_ = false;
}

void TReaderWindow::Panel2MouseMove(bool leftButton, int yInGrid) {
  if (!leftButton || !dragging_ || !view_.GridVisible()) {
    dragging_ = false;
    return;
  }
  moved_ = true;
  view_.SetGridHeight(yInGrid - dragOffset_);
  if (tchannels* feed = Feed(CurrentFeed())) feed->PanelSize = yInGrid - dragOffset_;
}

void TReaderWindow::Image1MouseUp() {
  dragging_ = false;
}

void TReaderWindow::Panel2Click() {
  const int current = CurrentFeed();
  tchannels* feed = Feed(current);
  if (feed) feed->PanelSize = view_.GridHeight();
  if (moved_) return;
  const bool shown = !view_.GridVisible();
  view_.SetGridVisible(shown);
  if (feed) feed->ShowPanel = shown;
  view_.MovePointerBy(shown ? view_.GridHeight() : -view_.GridHeight());
  // The viewer showed the feed page until now.
  if (shown && feed) feed->ScrollPos = view_.ViewerScrollPos();
  ShowFeed(current);
}

}  // namespace kivo
