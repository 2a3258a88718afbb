#include "reader/win32/ThemeGrid.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/win32/Gdi.h"

namespace kivo {

namespace {

constexpr wchar_t kClassName[] = L"TKivoThemeGrid";
constexpr int kRowPitch = TThemeGrid::kRowHeight + TThemeGrid::kLineWidth;
constexpr int kWheelRows = 3;

COLORREF BackgroundOf(const TCellLook& look) {
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  if (look.Background == TCellLook::Back::OddRow) {
    return gdi::ToColorRef(OddRowColor(gdi::FromColorRef(window)));
  }
  return window;
}

COLORREF TextColorOf(const TCellLook& look, bool selected) {
  if (!look.SystemTextColor) return gdi::ToColorRef(look.TextColor);
  return GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
}

}  // namespace

TThemeGrid::TThemeGrid(HWND parent, int controlId, const TPictureList& pictures, TThemeGridEvents events)
    : class_(kClassName, &TWindowBase::WindowProc), pictures_(pictures), events_(std::move(events)) {
  Create(0, class_.Name(), L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPSIBLINGS, 0, 0, 100, 110, parent,
         reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
}

TThemeGrid::~TThemeGrid() {
  Destroy();
}

void TThemeGrid::SetRows(const std::vector<TGridRow>& rows) {
  rows_ = rows;
  selected_ = std::clamp(selected_, 1, std::max(1, RowCount() - 1));
  topRow_ = 1;
  UpdateScrollBar();
  InvalidateRect(Handle(), nullptr, FALSE);
}

// Marking a whole list sets every row: only a new row changes the scroll bar,
// and only a row in sight needs painting (each call is a trip to the server).
void TThemeGrid::SetRow(int row, const TGridRow& cells) {
  if (row < 0) return;
  const bool added = row >= RowCount();
  if (added) rows_.resize(static_cast<std::size_t>(row) + 1);
  rows_[static_cast<std::size_t>(row)] = cells;
  if (added) UpdateScrollBar();
  const bool inSight = row == 0 || (row >= topRow_ && row <= topRow_ + VisibleDataRows());
  if (!inSight) return;
  const RECT rect{0, CellRect(0, row).top, 1 << 15, CellRect(0, row).bottom + kLineWidth};
  InvalidateRect(Handle(), &rect, FALSE);
}

const TGridRow* TThemeGrid::Row(int row) const {
  if (row < 0 || row >= RowCount()) return nullptr;
  return &rows_[static_cast<std::size_t>(row)];
}

void TThemeGrid::SetSelectedRow(int row) {
  if (row < 1) return;
  selected_ = row;
  EnsureVisible(row);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TThemeGrid::SetColumnWidths(int c0, int c1, int c2) {
  widths_ = {c0, std::max(c1, 0), c2};
  InvalidateRect(Handle(), nullptr, FALSE);
}

RECT TThemeGrid::CellRect(int column, int row) const {
  int left = 0;
  for (int c = 0; c < column; ++c) left += widths_[static_cast<std::size_t>(c)] + kLineWidth;
  const int top = row == 0 ? 0 : (row - topRow_ + 1) * kRowPitch;
  return RECT{left, top, left + widths_[static_cast<std::size_t>(column)], top + kRowHeight};
}

int TThemeGrid::VisibleDataRows() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return std::max(1, static_cast<int>(client.bottom - kRowPitch) / kRowPitch);
}

int TThemeGrid::RowAt(int y) const {
  if (y < kRowPitch) return -1;
  const int row = topRow_ + (y - kRowPitch) / kRowPitch;
  return row < RowCount() ? row : -1;
}

void TThemeGrid::UpdateScrollBar() {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 1;
  info.nMax = std::max(1, RowCount() - 1);
  info.nPage = static_cast<UINT>(VisibleDataRows());
  info.nPos = topRow_;
  SetVerticalScrollBar(Handle(), info);
}

void TThemeGrid::ScrollTo(int topRow) {
  const int last = std::max(1, RowCount() - VisibleDataRows());
  const int clamped = std::clamp(topRow, 1, last);
  if (clamped == topRow_) return;
  topRow_ = clamped;
  UpdateScrollBar();
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TThemeGrid::EnsureVisible(int row) {
  if (row < topRow_) ScrollTo(row);
  if (row >= topRow_ + VisibleDataRows()) ScrollTo(row - VisibleDataRows() + 1);
}

void TThemeGrid::SelectByUser(int row) {
  if (row < 1 || row >= RowCount()) return;
  const bool changed = row != selected_;
  SetSelectedRow(row);
  if (changed && events_.Click) events_.Click();
}

void TThemeGrid::OnLeftDown(int y) {
  SetFocus(Handle());
  const int row = RowAt(y);
  // The class has no CS_DBLCLKS (the shared registration): double clicks are told apart here.
  const DWORD now = GetMessageTime();
  const bool twice = row == lastClickRow_ && now - lastClickTime_ <= GetDoubleClickTime();
  lastClickTime_ = now;
  lastClickRow_ = row;
  if (row < 1) return;
  if (row != selected_) {
    SelectByUser(row);
  } else if (events_.Click && !twice) {
    events_.Click();
  }
  if (twice && events_.DoubleClick) {
    lastClickRow_ = -1;
    events_.DoubleClick();
  }
}

void TThemeGrid::OnKey(WPARAM key) {
  switch (key) {
    case VK_UP:
      SelectByUser(selected_ - 1);
      break;
    case VK_DOWN:
      SelectByUser(selected_ + 1);
      break;
    case VK_PRIOR:
      SelectByUser(std::max(1, selected_ - VisibleDataRows()));
      break;
    case VK_NEXT:
      SelectByUser(std::min(RowCount() - 1, selected_ + VisibleDataRows()));
      break;
    case VK_HOME:
      SelectByUser(1);
      break;
    case VK_END:
      SelectByUser(RowCount() - 1);
      break;
    default:
      break;
  }
}

void TThemeGrid::PaintCell(HDC dc, int column, int row, const RECT& rect) {
  const bool selected = row == selected_ && row > 0;
  const TCellLook look = events_.DrawCell ? events_.DrawCell(column, row, selected) : TCellLook{};
  const int skin = look.Background == TCellLook::Back::Selected ? 1
                   : look.Background == TCellLook::Back::Header ? 0
                                                                : -1;
  const TBitmap32* strip = skin >= 0 && events_.SkinBitmap ? events_.SkinBitmap(skin) : nullptr;
  if (strip != nullptr) {
    gdi::Fill(dc, rect, GetSysColor(skin == 1 ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    // The strip is as wide as the window: each cell takes it from its left end.
    gdi::DrawPiece(dc, rect, *strip);
  } else {
    gdi::Fill(dc, rect, skin == 0 ? GetSysColor(COLOR_BTNFACE) : BackgroundOf(look));
  }
  if (look.Picture >= 0) pictures_.Draw(dc, look.Picture, rect.left + 1, rect.top);
  if (column == 0 || look.Text.empty()) return;
  const TSelectedObject selectedFont(dc, look.Bold ? boldFont_.Get() : font_.Get());
  int x = rect.left + 2;
  if (look.Centered) {
    SIZE size{};
    const std::wstring wide = gdi::Wide(look.Text);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    x = rect.left + (rect.right - rect.left - size.cx) / 2;
  }
  gdi::TextAt(dc, x, rect.top + 1, look.Text, TextColorOf(look, selected), rect);
}

void TThemeGrid::Paint() {
  const TPaintDc target(Handle());
  RECT client{};
  GetClientRect(Handle(), &client);
  const TBackBuffer buffer(target.Get(), SIZE{client.right, client.bottom});
  const HDC dc = buffer.Dc();
  gdi::Fill(dc, client, GetSysColor(COLOR_WINDOW));
  const int lastRow = std::min(RowCount() - 1, topRow_ + VisibleDataRows());
  for (int row = 0; row <= lastRow; row = row == 0 ? topRow_ : row + 1) {
    for (int column = 0; column < 3; ++column) {
      const RECT cell = CellRect(column, row);
      gdi::Frame(dc, RECT{cell.left, cell.top, cell.right + kLineWidth, cell.bottom + kLineWidth},
                 GetSysColor(COLOR_BTNFACE));
      PaintCell(dc, column, row, cell);
    }
  }
  buffer.Present();
}

LRESULT TThemeGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      UpdateScrollBar();
      ScrollTo(topRow_);
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftDown(GET_Y_LPARAM(lParam));
      return 0;
    case WM_RBUTTONDOWN: {
      POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(Handle(), &screen);
      if (events_.RightDown) events_.RightDown(RowAt(GET_Y_LPARAM(lParam)), screen);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (events_.MouseMoveOver) events_.MouseMoveOver(GET_Y_LPARAM(lParam));
      return 0;
    case WM_KEYDOWN:
      OnKey(wParam);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_MOUSEWHEEL:
      // With the focus here and the pointer elsewhere, the window routes the wheel.
      if (!PointerOver(Handle(), lParam)) return SendMessageW(GetParent(Handle()), message, wParam, lParam);
      ScrollTo(topRow_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * kWheelRows);
      return 0;
    case WM_VSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_ALL;
      GetScrollInfo(Handle(), SB_VERT, &info);
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          ScrollTo(topRow_ - 1);
          break;
        case SB_LINEDOWN:
          ScrollTo(topRow_ + 1);
          break;
        case SB_PAGEUP:
          ScrollTo(topRow_ - VisibleDataRows());
          break;
        case SB_PAGEDOWN:
          ScrollTo(topRow_ + VisibleDataRows());
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          ScrollTo(info.nTrackPos);
          break;
        default:
          break;
      }
      return 0;
    }
    default:
      return TWindowBase::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace kivo
