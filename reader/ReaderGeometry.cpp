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

TWindowRect RestoredPlacement(const TWindowRect& stored, TScreenSize screen) {
  return PlaceReaderWindow(stored, stored, screen);
}

TWindowRect TReaderWindow::SnapToWorkArea(const TWindowRect& rect) const {
  const TWorkArea area = services_.View->WorkArea();
  TWindowRect snapped = rect;
  if (Near(snapped.Left, area.Left)) snapped.Left = area.Left;
  if (Near(snapped.Left + snapped.Width, area.Right)) snapped.Left = area.Right - snapped.Width;
  if (Near(snapped.Top, area.Top)) snapped.Top = area.Top;
  if (Near(snapped.Top + snapped.Height, area.Bottom)) snapped.Top = area.Bottom - snapped.Height;
  return snapped;
}

void TReaderWindow::FormShow() {
  IReaderView& view = *services_.View;
  if (const tchannels* feed = Feed(CurrentFeed())) {
    view.SetGridVisible(feed->ShowPanel);
    view.SetGridHeight(feed->PanelSize);
  }
  view.RedrawSplitter();
}

void TReaderWindow::FormResize() {
  IReaderView& view = *services_.View;
  if (services_.Skin) services_.Skin->SetWidth(view.GetPlacement().Width);
  const int titleWidth = view.GridWidth() - kMarkColumnWidth - kDateColumnWidth - kGridFrameWidth;
  view.SetGridColumnWidths(kMarkColumnWidth, std::max(titleWidth, 0), kDateColumnWidth);
  view.RedrawSplitter();
}

void TReaderWindow::Panel2MouseDown(int offsetInBar) {
  dragOffset_ = offsetInBar;
  dragging_ = true;
  moved_ = false;
}

void TReaderWindow::Panel2MouseMove(bool leftButton, int yInGrid) {
  IReaderView& view = *services_.View;
  if (!leftButton || !dragging_ || !view.GridVisible()) {
    dragging_ = false;
    return;
  }
  moved_ = true;
  view.SetGridHeight(yInGrid - dragOffset_);
  if (tchannels* feed = Feed(CurrentFeed())) feed->PanelSize = yInGrid - dragOffset_;
}

void TReaderWindow::Image1MouseUp() {
  dragging_ = false;
}

void TReaderWindow::Panel2Click() {
  IReaderView& view = *services_.View;
  const int current = CurrentFeed();
  tchannels* feed = Feed(current);
  if (feed) feed->PanelSize = view.GridHeight();
  if (moved_) return;
  const bool shown = !view.GridVisible();
  view.SetGridVisible(shown);
  if (feed) feed->ShowPanel = shown;
  view.MovePointerBy(shown ? view.GridHeight() : -view.GridHeight());
  // The viewer showed the feed page until now.
  if (shown && feed) feed->ScrollPos = view.ViewerScrollPos();
  ShowFeed(current);
}

}  // namespace kivo
