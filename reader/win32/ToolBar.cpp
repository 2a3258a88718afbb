#include "reader/win32/ToolBar.h"

#include <commctrl.h>

#include <array>

#include "reader/ReaderCommands.h"
#include "ui/win32/Gdi.h"

namespace kivo {

namespace {

constexpr int kButtonWidth = 39;
constexpr int kSeparatorWidth = 8;
constexpr int kPictureSize = 16;

struct TButtonSpec {
  int Command;
  int Picture;
};
constexpr std::array<TButtonSpec, 5> kButtons = {{{kCmdToolButton6, 6},
                                                  {kCmdToolButton1, 9},
                                                  {kCmdToolButton5, 17},
                                                  {kCmdToolOptions, 7},
                                                  {kCmdToolButton3, 8}}};

}  // namespace

class TToolButton final : public TControl {
 public:
  TToolButton(HWND parent, int x, const TButtonSpec& spec, const TPictureList& pictures)
      : picture_(spec.Picture), pictures_(pictures) {
    Create(0, WC_BUTTONW, L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, 0, kButtonWidth, TToolBar::kHeight,
           parent, spec.Command);
  }

 protected:
  std::optional<LRESULT> OnReflected(UINT message, WPARAM, LPARAM lParam) override {
    if (message != WM_DRAWITEM) return std::nullopt;
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }

 private:
  void Draw(const DRAWITEMSTRUCT& item) const {
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    gdi::Fill(item.hDC, item.rcItem, GetSysColor(COLOR_BTNFACE));
    if (pressed) DrawEdge(item.hDC, const_cast<RECT*>(&item.rcItem), BDR_SUNKENOUTER, BF_RECT);
    const int offset = pressed ? 1 : 0;
    pictures_.Draw(item.hDC, picture_, item.rcItem.left + (kButtonWidth - kPictureSize) / 2 + offset,
                   item.rcItem.top + (TToolBar::kHeight - kPictureSize) / 2 + offset);
  }

  int picture_;
  const TPictureList& pictures_;
};

TToolBar::TToolBar(HWND parent, const TPictureList& pictures) {
  int x = 0;
  for (const TButtonSpec& spec : kButtons) {
    x += kSeparatorWidth;
    buttons_.push_back(std::make_unique<TToolButton>(parent, x, spec, pictures));
    x += kButtonWidth;
  }
}

TToolBar::~TToolBar() = default;

}  // namespace kivo
