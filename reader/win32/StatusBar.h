// StatusBar1: five panels drawn as the logic's look says (pictures, a text,
// panel 0's progress bar) and panel 5 with the plain status text. A window of
// our own rather than the system's status bar: that one costs 13-17 ms per
// repaint under Wine whatever is drawn in it, and a tab switch, a relayout
// and a mark-all each repaint it.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "reader/ReaderWindow.h"
#include "reader/win32/PictureList.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

inline constexpr wchar_t kStatusBarClass[] = L"TKivoStatusBar";

class TStatusBar final : public TWindowBase {
 public:
  // nullopt: the panel stays blank.
  using TLookOf = std::function<std::optional<TStatusPanelLook>(int panel)>;
  static constexpr std::array<int, 6> kPanelWidths = {106, 100, 60, 60, 60, 300};

  // `pictures` (PngImageList1) must outlive the bar.
  TStatusBar(HWND parent, int controlId, const TPictureList& pictures, TLookOf look);
  ~TStatusBar() override { Destroy(); }

  void SetText(const std::string& text);
  void Repaint() const;
  // Along the bottom of the parent's client area at its full width; the bar's height.
  int FitToParent() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  RECT PanelRect(int panel) const;
  void Paint() const;
  void DrawPanel(HDC dc, int panel, const RECT& rect) const;

  TWindowClassUse class_;
  const TPictureList& pictures_;
  TLookOf look_;
  std::wstring text_;
  int height_ = 0;
};

}  // namespace kivo
