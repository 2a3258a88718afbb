// TabControl1: one owner-drawn tab per feed. It draws its tabs as the logic's
// look says, tracks the tab under the mouse itself (owner-drawn tabs get no
// hot state from the control) and reports selection changes and clicks.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "reader/ReaderWindow.h"
#include "reader/win32/PictureList.h"
#include "ui/win32/Control.h"

namespace kivo {

struct TFeedTabsEvents {
  std::function<std::optional<TTabLook>(int index, bool selected)> Look;  // nullopt: not drawn
  std::function<const TBitmap32*(int index)> SkinBitmap;                  // null: none
  std::function<void()> Changing;
  std::function<void()> Change;
  std::function<void(int index)> Click;
};

class TFeedTabs final : public TControl {
 public:
  // `icons` (ImageList2, by feed index) must outlive the tabs.
  TFeedTabs(HWND parent, int controlId, const TPictureList& icons, TFeedTabsEvents events);

  void Clear();
  void Add(const std::string& text);
  int Count() const;
  int Selected() const;  // -1 with no tabs
  void SetSelected(int index);
  void SetAtBottom(bool bottom);
  void Repaint() const;
  // The page under the tabs, in the parent's client coordinates.
  // The control covers only its row of tabs within `area` (parent
  // coordinates): a tab control as large as the page repaints all of it, a
  // quarter of a second at each repaint under Wine. The page is left to the
  // controls on it and to the parent.
  void Place(const RECT& area);
  RECT PageRect() const { return page_; }
  int HotTab() const { return hot_; }

 protected:
  std::optional<LRESULT> OnReflected(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Draw(const DRAWITEMSTRUCT& item) const;
  std::optional<LRESULT> OnNotify(const NMHDR& header);
  void SetHot(int index);

  const TPictureList& icons_;
  TFeedTabsEvents events_;
  int hot_ = -1;
  RECT page_{};
  // The area of the last placing while nothing that moves the rows changed
  // since: placing costs the control two moves.
  bool placed_ = false;
  RECT placedArea_{};
};

}  // namespace kivo
