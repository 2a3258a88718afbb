// StringGrid1: the theme list as a small owner-drawn grid. Three columns, a
// fixed header row, rows 17 pixels high with grid lines, whole-row
// selection; every cell is drawn as the owner's look says.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <vector>

#include "reader/ReaderView.h"
#include "reader/ReaderWindow.h"
#include "reader/win32/PictureList.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

struct TThemeGridEvents {
  std::function<TCellLook(int column, int row, bool selected)> DrawCell;
  std::function<const TBitmap32*(int index)> SkinBitmap;  // null: none
  std::function<void()> Click;                            // the selection changed by the user
  std::function<void(int row, POINT screen)> RightDown;   // row under the pointer, -1 for none
  std::function<void()> DoubleClick;
  std::function<void(int y)> MouseMoveOver;  // forwarded drags of the splitter
};

class TThemeGrid final : public TWindowBase {
 public:
  static constexpr int kRowHeight = 17;
  static constexpr int kLineWidth = 1;

  TThemeGrid(HWND parent, int controlId, const TPictureList& pictures, TThemeGridEvents events);
  ~TThemeGrid() override;

  void SetRows(const std::vector<TGridRow>& rows);
  void SetRow(int row, const TGridRow& cells);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  const TGridRow* Row(int row) const;
  int SelectedRow() const { return selected_; }
  void SetSelectedRow(int row);
  void SetColumnWidths(int c0, int c1, int c2);
  // The data row at a client point, -1 for the header or below the last row.
  int RowAt(int y) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();
  void PaintCell(HDC dc, int column, int row, const RECT& rect);
  RECT CellRect(int column, int row) const;
  int VisibleDataRows() const;
  void ScrollTo(int topRow);
  void UpdateScrollBar();
  void EnsureVisible(int row);
  void SelectByUser(int row);
  void OnLeftDown(int y);
  void OnKey(WPARAM key);

  TWindowClassUse class_;
  TUniqueFont font_ = gdi::GuiFont(false);
  TUniqueFont boldFont_ = gdi::GuiFont(true);
  const TPictureList& pictures_;
  TThemeGridEvents events_;
  std::vector<TGridRow> rows_;
  std::array<int, 3> widths_{20, 200, 170};
  int selected_ = 1;
  int topRow_ = 1;  // the first data row shown
  DWORD lastClickTime_ = 0;
  int lastClickRow_ = -1;
};

}  // namespace kivo
