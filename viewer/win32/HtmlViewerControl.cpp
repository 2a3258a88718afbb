#include "viewer/win32/HtmlViewerControl.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "ui/win32/Clipboard.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"
#include "viewer/win32/GdiCanvas.h"

namespace kivo {

namespace {

constexpr wchar_t kClassName[] = L"KivoHtmlViewer";
constexpr int kLineStep = 16;
constexpr int kWheelLines = 3;
// A press and release closer than this is a click, not a selection.
constexpr int kClickSlop = 3;
// Pictures arriving one by one are laid out together, at most this often:
// each layout costs the whole page.
constexpr UINT_PTR kPictureLayoutTimer = 1;
constexpr UINT kPictureLayoutMs = 100;

POINT PointOf(LPARAM lParam) {
  return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

}  // namespace

struct THtmlViewerControl::TImpl final : TWindowBase {
  TImpl(HWND parent, int controlId, THtmlViewOptions options);
  ~TImpl() override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  RECT ClientRect() const;
  void Invalidate() const;
  void Relayout(int width, int height);
  void UpdateScrollBar() const;
  void ScrollToPos(int y);
  void ScrollBy(int delta) { ScrollToPos(view.ScrollPos() + delta); }
  void ReportImageRequests();
  void PictureArrived();
  void LayOutPictures();
  void CopySelection() const;

  void Paint();
  void PaintTo(HDC target, const RECT& update);
  void OnVerticalScroll(int code);
  void OnWheel(int delta);
  bool OnKey(WPARAM key);
  int PageStep() const { return std::max(kLineStep, static_cast<int>(ClientRect().bottom)); }
  bool OnSetCursor() const;
  void OnMouseMove(POINT point);
  void OnLeftDown(POINT point);
  void OnLeftUp(POINT point);
  void OnRightUp(POINT point) const;
  void ClickLink(const std::string& target);

  TWindowClassUse windowClass{kClassName, &TWindowBase::WindowProc};
  TGdiFonts fonts;
  THtmlView view;
  THtmlViewerEvents events;
  TDrawnPictures pictures;
  std::unique_ptr<TDibSurface> backBuffer;
  bool pictureLayoutDue = false;
  POINT pressedAt{};
  bool pressed = false;
  bool dragged = false;
  bool trackingLeave = false;
  int wheelRemainder = 0;
};

THtmlViewerControl::TImpl::TImpl(HWND parent, int controlId, THtmlViewOptions options)
    : view(fonts, std::move(options)) {
  Create(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP, 0, 0, 0, 0, parent,
         reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
  UpdateScrollBar();
}

THtmlViewerControl::TImpl::~TImpl() {
  Destroy();
}

LRESULT THtmlViewerControl::TImpl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wParam), ClientRect());
      return 0;
    case WM_SIZE:
      Relayout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_TIMER:
      if (wParam != kPictureLayoutTimer) break;
      LayOutPictures();
      return 0;
    case WM_VSCROLL:
      OnVerticalScroll(LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (OnKey(wParam)) return 0;
      break;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(PointOf(lParam));
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave = false;
      view.ClearHover();
      Invalidate();
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftDown(PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
      OnLeftUp(PointOf(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      pressed = false;
      return 0;
    case WM_RBUTTONUP:
      OnRightUp(PointOf(lParam));
      return 0;
    default:
      break;
  }
  return TWindowBase::HandleMessage(message, wParam, lParam);
}

RECT THtmlViewerControl::TImpl::ClientRect() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return client;
}

void THtmlViewerControl::TImpl::Invalidate() const {
  if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, FALSE);
}

void THtmlViewerControl::TImpl::Relayout(int width, int height) {
  view.SetViewport(width, height);
  UpdateScrollBar();
  Invalidate();
}

void THtmlViewerControl::TImpl::UpdateScrollBar() const {
  if (Handle() == nullptr) return;
  const RECT client = ClientRect();
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  // A bar that comes and goes would change the width and so the layout.
  info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(0, view.DocumentHeight() - 1);
  info.nPage = static_cast<UINT>(std::max(0L, client.bottom - client.top));
  info.nPos = view.ScrollPos();
  SetVerticalScrollBar(Handle(), info);
}

void THtmlViewerControl::TImpl::ScrollToPos(int y) {
  const int before = view.ScrollPos();
  view.ScrollTo(y);
  if (view.ScrollPos() == before) return;
  UpdateScrollBar();
  Invalidate();
}

void THtmlViewerControl::TImpl::ReportImageRequests() {
  for (const std::string& source : view.TakeImageRequests()) {
    const bool answeredLater = events.ImageRequest && events.ImageRequest(source);
    if (!answeredLater) view.InsertImage(source, std::nullopt);
  }
  view.LayOutPictures();
  UpdateScrollBar();
}

void THtmlViewerControl::TImpl::PictureArrived() {
  if (view.LayoutPending() && !pictureLayoutDue)
    pictureLayoutDue = SetTimer(Handle(), kPictureLayoutTimer, kPictureLayoutMs, nullptr) != 0;
  if (view.LayoutPending() && !pictureLayoutDue) LayOutPictures();  // no timer to be had
  Invalidate();
}

void THtmlViewerControl::TImpl::LayOutPictures() {
  if (pictureLayoutDue) KillTimer(Handle(), kPictureLayoutTimer);
  pictureLayoutDue = false;
  view.LayOutPictures();
  UpdateScrollBar();
  Invalidate();
}

void THtmlViewerControl::TImpl::CopySelection() const {
  if (view.HasSelection()) PutClipboardText(Handle(), view.SelectedText());
}

void THtmlViewerControl::TImpl::Paint() {
  TPaintDc paint(Handle());
  PaintTo(paint.Get(), paint.Update());
}

void THtmlViewerControl::TImpl::PaintTo(HDC target, const RECT& update) {
  const RECT client = ClientRect();
  RECT area{};
  if (target == nullptr || !IntersectRect(&area, &update, &client)) return;
  if (!backBuffer || backBuffer->Width() != client.right || backBuffer->Height() != client.bottom) {
    backBuffer = std::make_unique<TDibSurface>(client.right, client.bottom);
  }
  if (!*backBuffer) return;
  {
    TGdiCanvas canvas(backBuffer->Dc(), fonts, &pictures);
    const TRect clip{area.left, area.top, area.right, area.bottom};
    canvas.FillRect(clip, view.Options().Background);
    IntersectClipRect(backBuffer->Dc(), clip.Left, clip.Top, clip.Right, clip.Bottom);
    view.Paint(canvas, clip);
  }
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, backBuffer->Dc(),
         area.left, area.top, SRCCOPY);
}

void THtmlViewerControl::TImpl::OnVerticalScroll(int code) {
  const RECT client = ClientRect();
  const int page = std::max(kLineStep, static_cast<int>(client.bottom));
  switch (code) {
    case SB_LINEUP:
      ScrollBy(-kLineStep);
      break;
    case SB_LINEDOWN:
      ScrollBy(kLineStep);
      break;
    case SB_PAGEUP:
      ScrollBy(-page);
      break;
    case SB_PAGEDOWN:
      ScrollBy(page);
      break;
    case SB_TOP:
      ScrollToPos(0);
      break;
    case SB_BOTTOM:
      ScrollToPos(view.DocumentHeight());
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(Handle(), SB_VERT, &info)) ScrollToPos(info.nTrackPos);
      break;
    }
    default:
      break;
  }
}

void THtmlViewerControl::TImpl::OnWheel(int delta) {
  wheelRemainder += delta;
  const int notches = wheelRemainder / WHEEL_DELTA;
  wheelRemainder -= notches * WHEEL_DELTA;
  if (notches != 0) ScrollBy(-notches * kWheelLines * kLineStep);
}

bool THtmlViewerControl::TImpl::OnKey(WPARAM key) {
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const int page = PageStep();
  if (control && key == 'C') {
    CopySelection();
  } else if (control && key == 'A') {
    view.SelectAll();
    Invalidate();
  } else if (key == VK_UP) {
    ScrollBy(-kLineStep);
  } else if (key == VK_DOWN) {
    ScrollBy(kLineStep);
  } else if (key == VK_PRIOR) {
    ScrollBy(-page);
  } else if (key == VK_NEXT) {
    ScrollBy(page);
  } else if (key == VK_HOME) {
    ScrollToPos(0);
  } else if (key == VK_END) {
    ScrollToPos(view.DocumentHeight());
  } else {
    return false;
  }
  return true;
}

bool THtmlViewerControl::TImpl::OnSetCursor() const {
  POINT point{};
  GetCursorPos(&point);
  ScreenToClient(Handle(), &point);
  const bool overLink = view.LinkAt(point.x, point.y).has_value();
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(overLink ? IDC_HAND : IDC_ARROW)));
  return true;
}

void THtmlViewerControl::TImpl::OnMouseMove(POINT point) {
  if (!trackingLeave) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
    trackingLeave = TrackMouseEvent(&track) != 0;
  }
  if (pressed) {
    if (std::abs(point.x - pressedAt.x) > kClickSlop || std::abs(point.y - pressedAt.y) > kClickSlop) {
      dragged = true;
    }
    if (dragged) {
      const int height = ClientRect().bottom;
      if (point.y < 0) ScrollBy(-kLineStep);
      if (point.y >= height) ScrollBy(kLineStep);
      view.ExtendSelection(point.x, point.y);
      Invalidate();
    }
  }
  if (view.SetHover(point.x, point.y)) Invalidate();
}

void THtmlViewerControl::TImpl::OnLeftDown(POINT point) {
  SetFocus(Handle());
  SetCapture(Handle());
  pressed = true;
  dragged = false;
  pressedAt = point;
  view.BeginSelection(point.x, point.y);
  Invalidate();
}

void THtmlViewerControl::TImpl::OnLeftUp(POINT point) {
  if (!pressed) return;
  const bool wasDragged = dragged;
  pressed = false;
  if (GetCapture() == Handle()) ReleaseCapture();
  if (wasDragged) {
    view.ExtendSelection(point.x, point.y);
    Invalidate();
    return;
  }
  if (const auto link = view.LinkAt(pressedAt.x, pressedAt.y)) ClickLink(*link);
}

void THtmlViewerControl::TImpl::ClickLink(const std::string& target) {
  const bool handled = events.LinkClick && events.LinkClick(target);
  if (handled || !target.starts_with('#')) return;
  const int before = view.ScrollPos();
  if (!view.ScrollToAnchor(std::string_view(target).substr(1)) || view.ScrollPos() == before) return;
  UpdateScrollBar();
  Invalidate();
}

void THtmlViewerControl::TImpl::OnRightUp(POINT point) const {
  if (!events.RightClick) return;
  POINT screen = point;
  ClientToScreen(Handle(), &screen);
  events.RightClick(screen, view.LinkAt(point.x, point.y));
}

THtmlViewerControl::THtmlViewerControl(HWND parent, int controlId, THtmlViewOptions options)
    : impl_(std::make_unique<TImpl>(parent, controlId, std::move(options))) {}

THtmlViewerControl::~THtmlViewerControl() = default;

HWND THtmlViewerControl::Handle() const {
  return impl_->Handle();
}

void THtmlViewerControl::SetEvents(THtmlViewerEvents events) {
  impl_->events = std::move(events);
}

void THtmlViewerControl::SetBounds(int x, int y, int width, int height) {
  // Drawn with the next paint: moved with its redraw, the control and its
  // scroll bar were drawn at once, before the page knew its new width.
  SetWindowPos(impl_->Handle(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  RedrawWindow(impl_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void THtmlViewerControl::LoadHtml(std::string_view html) {
  impl_->pictures.Clear();
  impl_->view.LoadHtml(html);
  impl_->ReportImageRequests();
  impl_->Invalidate();
}

void THtmlViewerControl::Clear() {
  impl_->pictures.Clear();
  impl_->view.Clear();
  impl_->UpdateScrollBar();
  impl_->Invalidate();
}

void THtmlViewerControl::SetColors(TColor background, TColor text) {
  impl_->view.SetColors(background, text);
  impl_->Invalidate();
}

int THtmlViewerControl::ScrollPos() const {
  return impl_->view.ScrollPos();
}

void THtmlViewerControl::ScrollTo(int y) {
  impl_->ScrollToPos(y);
}

void THtmlViewerControl::ScrollPage(bool down) {
  impl_->ScrollBy(down ? impl_->PageStep() : -impl_->PageStep());
}

bool THtmlViewerControl::Find(std::u16string_view text) {
  const bool found = impl_->view.Find(text);
  impl_->UpdateScrollBar();
  impl_->Invalidate();
  return found;
}

void THtmlViewerControl::SelectAll() {
  impl_->view.SelectAll();
  impl_->Invalidate();
}

std::u16string THtmlViewerControl::SelectedText() const {
  return impl_->view.SelectedText();
}

void THtmlViewerControl::ClearSelection() {
  impl_->view.ClearSelection();
  impl_->Invalidate();
}

void THtmlViewerControl::CopySelection() const {
  impl_->CopySelection();
}

void THtmlViewerControl::InsertImage(const std::string& source, std::optional<TBitmap32> picture) {
  impl_->view.InsertImage(source, std::move(picture));
  impl_->PictureArrived();
}

void THtmlViewerControl::InsertImageAlt(const std::string& source) {
  impl_->view.InsertImageAlt(source);
  impl_->PictureArrived();
}

const THtmlView& THtmlViewerControl::View() const {
  return impl_->view;
}

}  // namespace kivo
