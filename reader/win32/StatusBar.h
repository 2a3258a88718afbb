// StatusBar1: five panels drawn as the logic's look says (pictures, a text,
// panel 0's progress bar) and panel 5 with the plain status text.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "reader/ReaderWindow.h"
#include "reader/win32/PictureList.h"
#include "ui/win32/Control.h"

namespace kivo {

class TStatusBar final : public TControl {
 public:
  // nullopt: the panel stays blank.
  using TLookOf = std::function<std::optional<TStatusPanelLook>(int panel)>;

  // `pictures` (PngImageList1) must outlive the bar.
  TStatusBar(HWND parent, int controlId, const TPictureList& pictures, TLookOf look);

  void SetText(const std::string& text);
  void Repaint() const;
  // Follows the parent's width; the bar's height.
  int FitToParent() const;

 protected:
  std::optional<LRESULT> OnReflected(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void DrawPanel(const DRAWITEMSTRUCT& item) const;

  const TPictureList& pictures_;
  TLookOf look_;
};

}  // namespace kivo
