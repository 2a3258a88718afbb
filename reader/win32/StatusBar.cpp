#include "reader/win32/StatusBar.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <utility>

#include "ui/win32/Gdi.h"

namespace kivo {

namespace {
constexpr std::array<int, 6> kPanelWidths = {106, 100, 60, 60, 60, 300};
constexpr int kTextPanel = 5;
}  // namespace

TStatusBar::TStatusBar(HWND parent, int controlId, const TPictureList& pictures, TLookOf look)
    : pictures_(pictures), look_(std::move(look)) {
  Create(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, controlId);
  std::array<int, kPanelWidths.size()> edges{};
  int right = 0;
  for (std::size_t i = 0; i < kPanelWidths.size(); ++i) edges[i] = right += kPanelWidths[i];
  SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (int panel = 0; panel < kTextPanel; ++panel) {
    SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(SBT_OWNERDRAW | panel), 0);
  }
}

void TStatusBar::SetText(const std::string& text) {
  SendMessageW(Handle(), SB_SETTEXTW, kTextPanel, reinterpret_cast<LPARAM>(gdi::Wide(text).c_str()));
}

void TStatusBar::Repaint() const {
  InvalidateRect(Handle(), nullptr, TRUE);
}

int TStatusBar::FitToParent() const {
  SendMessageW(Handle(), WM_SIZE, 0, 0);
  RECT rect{};
  GetWindowRect(Handle(), &rect);
  return rect.bottom - rect.top;
}

std::optional<LRESULT> TStatusBar::OnReflected(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_DRAWITEM) return std::nullopt;
  DrawPanel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  return TRUE;
}

void TStatusBar::DrawPanel(const DRAWITEMSTRUCT& item) const {
  const RECT& rect = item.rcItem;
  gdi::Fill(item.hDC, rect, GetSysColor(COLOR_BTNFACE));
  const std::optional<TStatusPanelLook> look = look_ ? look_(static_cast<int>(item.itemID)) : std::nullopt;
  if (!look) return;
  if (look->Progress) {
    const RECT bar{rect.left + 3, rect.top + 2, rect.right - 3, rect.bottom - 2};
    gdi::Fill(item.hDC, bar, RGB(192, 192, 192));
    const LONG right = std::min<LONG>(bar.right, rect.left + *look->Progress);
    if (right > bar.left)
      gdi::Fill(item.hDC, RECT{bar.left, bar.top, right, bar.bottom}, GetSysColor(COLOR_HOTLIGHT));
    gdi::Frame(item.hDC, bar, RGB(0, 0, 255));
  }
  if (look->Picture >= 0) pictures_.Draw(item.hDC, look->Picture, rect.left + 1, rect.top);
  if (!look->Text.empty()) {
    const TSelectedObject selected(item.hDC, GetStockObject(DEFAULT_GUI_FONT));
    gdi::TextAt(item.hDC, rect.left + 18, rect.top + 1, look->Text, RGB(0, 0, 255), rect);
  }
}

}  // namespace kivo
