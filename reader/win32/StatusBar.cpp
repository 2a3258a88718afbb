#include "reader/win32/StatusBar.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "ui/win32/Gdi.h"
#include "ui/win32/GdiHandles.h"

namespace kivo {

namespace {

constexpr int kTextPanel = 5;
constexpr int kPanelGap = 2;

int BarHeight() {
  const TUniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  const TSelectedObject font(dc.Get(), GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.Get(), &metrics);
  // The panels hold 16-pixel pictures and a line of text, with their edges.
  return std::max<int>(metrics.tmHeight, 16) + 6;
}

}  // namespace

TStatusBar::TStatusBar(HWND parent, int controlId, const TPictureList& pictures, TLookOf look)
    : class_(kStatusBarClass, &TWindowBase::WindowProc),
      pictures_(pictures),
      look_(std::move(look)),
      height_(BarHeight()) {
  Create(0, class_.Name(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, height_, parent,
         reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
}

void TStatusBar::SetText(const std::string& text) {
  std::wstring wide = gdi::Wide(text);
  if (wide == text_) return;
  text_ = std::move(wide);
  const RECT panel = PanelRect(kTextPanel);
  InvalidateRect(Handle(), &panel, FALSE);
}

void TStatusBar::Repaint() const {
  InvalidateRect(Handle(), nullptr, FALSE);
}

int TStatusBar::FitToParent() const {
  RECT client{};
  GetClientRect(GetParent(Handle()), &client);
  MoveIfMoved(Handle(), RECT{0, client.bottom - height_, client.right, client.bottom});
  return height_;
}

RECT TStatusBar::PanelRect(int panel) const {
  int left = 0;
  for (int i = 0; i < panel; ++i) left += kPanelWidths[static_cast<std::size_t>(i)];
  return RECT{left, 0, left + kPanelWidths[static_cast<std::size_t>(panel)] - kPanelGap, height_};
}

LRESULT TStatusBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case SB_GETPARTS: {
      // The right edges, as the system's bar reports them.
      auto* edges = reinterpret_cast<int*>(lParam);
      int right = 0;
      const int count = std::min<int>(static_cast<int>(wParam), static_cast<int>(kPanelWidths.size()));
      for (int i = 0; i < count; ++i) edges[i] = right += kPanelWidths[static_cast<std::size_t>(i)];
      return static_cast<LRESULT>(kPanelWidths.size());
    }
    default:
      return TWindowBase::HandleMessage(message, wParam, lParam);
  }
}

void TStatusBar::Paint() const {
  const TPaintDc paint(Handle());
  RECT client{};
  GetClientRect(Handle(), &client);
  const TBackBuffer buffer(paint.Get(), SIZE{client.right, client.bottom});
  const HDC dc = buffer.Dc();
  gdi::Fill(dc, client, GetSysColor(COLOR_BTNFACE));
  for (int panel = 0; panel < static_cast<int>(kPanelWidths.size()); ++panel) {
    RECT rect = PanelRect(panel);
    if (panel == kTextPanel) rect.right = std::max(rect.right, client.right);
    DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
    InflateRect(&rect, -1, -1);
    DrawPanel(dc, panel, rect);
  }
  buffer.Present();
}

void TStatusBar::DrawPanel(HDC dc, int panel, const RECT& rect) const {
  if (panel == kTextPanel) {
    const TSelectedObject selected(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT text{rect.left + 2, rect.top, rect.right - 2, rect.bottom};
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    return;
  }
  const std::optional<TStatusPanelLook> look = look_ ? look_(panel) : std::nullopt;
  if (!look) return;
  if (look->Progress) {
    const RECT bar{rect.left + 3, rect.top + 2, rect.right - 3, rect.bottom - 2};
    gdi::Fill(dc, bar, RGB(192, 192, 192));
    const LONG right = std::min<LONG>(bar.right, rect.left + *look->Progress);
    if (right > bar.left)
      gdi::Fill(dc, RECT{bar.left, bar.top, right, bar.bottom}, GetSysColor(COLOR_HOTLIGHT));
    gdi::Frame(dc, bar, RGB(0, 0, 255));
  }
  if (look->Picture >= 0) pictures_.Draw(dc, look->Picture, rect.left + 1, rect.top);
  if (!look->Text.empty()) {
    const TSelectedObject selected(dc, GetStockObject(DEFAULT_GUI_FONT));
    gdi::TextAt(dc, rect.left + 18, rect.top + 1, look->Text, RGB(0, 0, 255), rect);
  }
}

}  // namespace kivo
