#include "tools/host/ContactListView.h"

#include <windowsx.h>

#include <exception>

#include "ui/win32/GdiHandles.h"

namespace kivo::host {
namespace {

constexpr POINT kHintOffset{16, 16};
constexpr COLORREF kListBackground = RGB(255, 255, 255);
constexpr COLORREF kHoverBackground = RGB(230, 238, 250);
constexpr COLORREF kHintBackground = RGB(255, 255, 225);

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

void Fill(HDC dc, const RECT& rect, COLORREF color) {
  TUniqueBrush brush(CreateSolidBrush(color));
  FillRect(dc, &rect, brush.Get());
}

// Draws one contact through the plugin; the rectangle is in `dc` coordinates.
void SendDraw(IPluginChannel& channel, TPluginWord code, TPluginWord contactId, HDC dc, RECT rect) {
  TPluginMessage message{};
  message.Code = code;
  message.WParam = contactId;
  message.LParam = reinterpret_cast<TPluginWord>(dc);
  message.XParam = reinterpret_cast<TPluginWord>(&rect);
  channel.SendToPlugin(message);
}

}  // namespace

bool HintWindow::Create(HWND owner) {
  try {
    class_.emplace(kClassName, &TWindowBase::WindowProc, TWindowClassOptions{.Background = nullptr});
    TWindowBase::Create(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP, 0, 0,
                        0, 0, owner, nullptr);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

bool HintWindow::Show(TPluginWord contactId, POINT screenPosition) {
  TPluginMessage message{};
  message.Code = PM_CONTACT_HINT_SIZE;
  message.WParam = contactId;
  channel_.SendToPlugin(message);
  const int width = static_cast<int>(message.LParam);
  const int height = static_cast<int>(message.XParam);
  if (width <= 0 || height <= 0) return false;
  contactId_ = contactId;
  SetWindowPos(Handle(), HWND_TOPMOST, screenPosition.x + kHintOffset.x, screenPosition.y + kHintOffset.y,
               width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateWindow(Handle());
  return true;
}

void HintWindow::Hide() {
  ShowWindow(Handle(), SW_HIDE);
}

LRESULT HintWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      break;
  }
  return TWindowBase::HandleMessage(message, wParam, lParam);
}

void HintWindow::Paint() {
  TPaintDc paint(Handle());
  TBackBuffer buffer(paint.Get(), ClientSize(Handle()));
  const RECT rect{0, 0, ClientSize(Handle()).cx, ClientSize(Handle()).cy};
  Fill(buffer.Dc(), rect, kHintBackground);
  SendDraw(channel_, PM_CONTACT_HINT_DRAW, contactId_, buffer.Dc(), rect);
  buffer.Present();
}

bool ContactListView::Create(HWND parent) {
  try {
    class_.emplace(kClassName, &TWindowBase::WindowProc,
                   TWindowClassOptions{.Style = CS_DBLCLKS, .Background = nullptr});
    TWindowBase::Create(WS_EX_CLIENTEDGE, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                        nullptr);
  } catch (const std::exception&) {
    return false;
  }
  return hint_.Create(parent);
}

void ContactListView::ContactsChanged() {
  hint_.Hide();
  InvalidateRect(Handle(), nullptr, FALSE);
}

void ContactListView::ContactChanged(TPluginWord id) {
  const auto& contacts = model_.Contacts();
  for (std::size_t row = 0; row < contacts.size(); ++row) {
    const RECT rect = RowRect(row);
    if (contacts[row] == id) InvalidateRect(Handle(), &rect, FALSE);
  }
}

bool ContactListView::DoubleClick(std::size_t row) {
  if (row >= model_.Contacts().size()) return false;
  TPluginMessage message{};
  message.Code = PM_CONTACT_DBLCLICK;
  message.WParam = model_.Contacts()[row];
  channel_.SendToPlugin(message);
  return true;
}

bool ContactListView::OpenMenu(std::size_t row, POINT screenPosition) {
  if (row >= model_.Contacts().size()) return false;
  TPluginMessage message{};
  message.Code = PM_CONTACT_MENU;
  message.WParam = model_.Contacts()[row];
  message.LParam = reinterpret_cast<TPluginWord>(&screenPosition);
  channel_.SendToPlugin(message);
  return true;
}

bool ContactListView::OpenMenuOnRow(std::size_t row) {
  const RECT rect = RowRect(row);
  POINT position{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  ClientToScreen(Handle(), &position);
  return OpenMenu(row, position);
}

bool ContactListView::ShowHint(std::size_t row) {
  if (row >= model_.Contacts().size()) return false;
  const RECT rect = RowRect(row);
  POINT position{rect.left, rect.top};
  ClientToScreen(Handle(), &position);
  return hint_.Show(model_.Contacts()[row], position);
}

LRESULT ContactListView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      return 0;
    case WM_MOUSEHOVER:
      if (const auto row = RowAt(lParam)) ShowHint(*row);
      return 0;
    case WM_MOUSELEAVE:
      hint_.Hide();
      hoveredRow_.reset();
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (const auto row = RowAt(lParam)) DoubleClick(*row);
      return 0;
    case WM_RBUTTONUP:
      OnRightClick(lParam);
      return 0;
    default:
      break;
  }
  return TWindowBase::HandleMessage(message, wParam, lParam);
}

void ContactListView::Paint() {
  TPaintDc paint(Handle());
  const SIZE size = ClientSize(Handle());
  TBackBuffer buffer(paint.Get(), size);
  Fill(buffer.Dc(), RECT{0, 0, size.cx, size.cy}, kListBackground);
  for (std::size_t row = 0; row < model_.Contacts().size(); ++row) DrawRow(buffer.Dc(), row, RowRect(row));
  buffer.Present();
}

void ContactListView::DrawRow(HDC dc, std::size_t row, const RECT& rect) {
  Fill(dc, rect, hoveredRow_ == row ? kHoverBackground : kListBackground);
  SendDraw(channel_, PM_CONTACT_DRAW, model_.Contacts()[row], dc, rect);
}

RECT ContactListView::RowRect(std::size_t row) const {
  const int top = static_cast<int>(row) * kRowHeight;
  return RECT{0, top, ClientSize(Handle()).cx, top + kRowHeight};
}

std::optional<std::size_t> ContactListView::RowAt(LPARAM clientPoint) const {
  const int y = GET_Y_LPARAM(clientPoint);
  if (y < 0) return std::nullopt;
  const auto row = static_cast<std::size_t>(y / kRowHeight);
  if (row >= model_.Contacts().size()) return std::nullopt;
  return row;
}

void ContactListView::OnMouseMove(LPARAM clientPoint) {
  const auto row = RowAt(clientPoint);
  if (row == hoveredRow_) return;
  hint_.Hide();
  hoveredRow_ = row;
  InvalidateRect(Handle(), nullptr, FALSE);
  TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, Handle(), HOVER_DEFAULT};
  TrackMouseEvent(&track);
}

void ContactListView::OnRightClick(LPARAM clientPoint) {
  const auto row = RowAt(clientPoint);
  if (!row) return;
  POINT position{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
  ClientToScreen(Handle(), &position);
  OpenMenu(*row, position);
}

}  // namespace kivo::host
