#include "reader/win32/FeedTabs.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "ui/win32/Gdi.h"

namespace kivo {

TFeedTabs::TFeedTabs(HWND parent, int controlId, const TPictureList& icons, TFeedTabsEvents events)
    : icons_(icons), events_(std::move(events)) {
  Create(0, WC_TABCONTROLW, L"",
         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_MULTILINE | TCS_OWNERDRAWFIXED | TCS_HOTTRACK, 0, 0,
         100, 100, parent, controlId);
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

void TFeedTabs::Clear() {
  TabCtrl_DeleteAllItems(Handle());
  hot_ = -1;
  placed_ = false;
}

void TFeedTabs::Add(const std::string& text) {
  std::wstring wide = gdi::Wide(text);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = wide.data();
  SendMessageW(Handle(), TCM_INSERTITEMW, static_cast<WPARAM>(Count()), reinterpret_cast<LPARAM>(&item));
  placed_ = false;
}

int TFeedTabs::Count() const {
  return TabCtrl_GetItemCount(Handle());
}

int TFeedTabs::Selected() const {
  return TabCtrl_GetCurSel(Handle());
}

void TFeedTabs::SetSelected(int index) {
  // The rows may change places, not their number: the strip stays as placed.
  TabCtrl_SetCurSel(Handle(), index);
}

void TFeedTabs::SetAtBottom(bool bottom) {
  const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
  SetWindowLongPtrW(Handle(), GWL_STYLE,
                    bottom ? (style | TCS_BOTTOM) : (style & ~static_cast<LONG_PTR>(TCS_BOTTOM)));
  placed_ = false;
}

void TFeedTabs::Repaint() const {
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TFeedTabs::Place(const RECT& area) {
  if (placed_ && EqualRect(&area, &placedArea_)) return;
  placed_ = true;
  placedArea_ = area;
  // The rows of tabs depend on the width only: place at the full width first.
  MoveWindow(Handle(), area.left, area.top, area.right - area.left, area.bottom - area.top, FALSE);
  page_ = area;
  TabCtrl_AdjustRect(Handle(), FALSE, &page_);
  const bool bottom = (GetWindowLongPtrW(Handle(), GWL_STYLE) & TCS_BOTTOM) != 0;
  const RECT strip = bottom ? RECT{area.left, page_.bottom, area.right, area.bottom}
                            : RECT{area.left, area.top, area.right, page_.top};
  MoveWindow(Handle(), strip.left, strip.top, strip.right - strip.left,
             std::max(0, static_cast<int>(strip.bottom - strip.top)), TRUE);
}

std::optional<LRESULT> TFeedTabs::OnReflected(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM:
      Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    default:
      return std::nullopt;
  }
}

void TFeedTabs::Draw(const DRAWITEMSTRUCT& item) const {
  const int index = static_cast<int>(item.itemID);
  const std::optional<TTabLook> look =
      events_.Look ? events_.Look(index, (item.itemState & ODS_SELECTED) != 0) : std::nullopt;
  if (!look) return;
  const RECT& rect = item.rcItem;
  gdi::Fill(item.hDC, rect, GetSysColor(COLOR_BTNFACE));
  const TBitmap32* background = events_.SkinBitmap ? events_.SkinBitmap(look->Background) : nullptr;
  if (background != nullptr) gdi::DrawPiece(item.hDC, rect, *background);
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  const TSelectedObject selected(item.hDC, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  const int textColour = index == hot_         ? COLOR_HOTLIGHT
                         : look->HighlightText ? COLOR_HIGHLIGHTTEXT
                                               : COLOR_WINDOWTEXT;
  gdi::TextAt(item.hDC, rect.left + 22 + look->Offset, rect.top + 3, look->Text, GetSysColor(textColour),
              rect);
  if (look->DrawIcon) icons_.Draw(item.hDC, index, rect.left + look->Offset, rect.top + look->Offset);
}

std::optional<LRESULT> TFeedTabs::OnNotify(const NMHDR& header) {
  switch (header.code) {
    case TCN_SELCHANGING:
      if (events_.Changing) events_.Changing();
      return 0;  // the change may go ahead
    case TCN_SELCHANGE:
      if (events_.Change) events_.Change();
      return 0;
    case NM_CLICK: {
      TCHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      ScreenToClient(Handle(), &hit.pt);
      const int index = TabCtrl_HitTest(Handle(), &hit);
      if (index >= 0 && events_.Click) events_.Click(index);
      return 0;
    }
    default:
      return std::nullopt;
  }
}

LRESULT TFeedTabs::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) {
    TCHITTESTINFO hit{};
    hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    SetHot(TabCtrl_HitTest(Handle(), &hit));
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&track);
  } else if (message == WM_MOUSELEAVE) {
    SetHot(-1);
  }
  return CallControl(message, wParam, lParam);
}

void TFeedTabs::SetHot(int index) {
  if (index == hot_) return;
  for (const int tab : {hot_, index}) {
    RECT rect{};
    if (tab >= 0 && TabCtrl_GetItemRect(Handle(), tab, &rect)) InvalidateRect(Handle(), &rect, FALSE);
  }
  hot_ = index;
}

}  // namespace kivo
