// What both option dialogs' views share: fixed-size client areas centred on
// the screen, child controls placed on pages that are shown one at a time,
// the controller's colours, and the 8-bit texts of the controls.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "options/OptionsView.h"
#include "ui/win32/DialogBase.h"
#include "ui/win32/GdiHandles.h"

namespace kivo {

class TDialogViewBase : public TDialogBase {
 public:
  TDialogViewBase();

 protected:
  // `page` -1: on every page.
  HWND Add(const wchar_t* className, DWORD style, int id, int page, int x, int y, int width, int height,
           DWORD exStyle = 0);
  HWND Item(int id) const { return GetDlgItem(Handle(), id); }
  void ShowPage(int page);
  int Page() const { return page_; }
  void SetColourOf(int id, TControlColour colour);
  void SetTextColourOf(int id, COLORREF colour) { textColours_[id] = colour; }
  void SetTextOf(int id, const std::string& text);
  std::string TextOf(int id) const;
  void SetCheckedOf(int id, bool checked);
  bool CheckedOf(int id) const;
  // The window's size for a client area of `width` x `height`, centred on the screen.
  void PlaceCentred(int width, int height);
  void ShowWindowOf(bool visible);
  // While the controller fills the controls, their notifications are not its user's.
  bool Filling() const { return filling_ > 0; }
  struct TFill {
    explicit TFill(TDialogViewBase& view) : view_(view) { ++view_.filling_; }
    ~TFill() { --view_.filling_; }
    TFill(const TFill&) = delete;
    TFill& operator=(const TFill&) = delete;
    TDialogViewBase& view_;
  };
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct TPlaced {
    int id;
    int page;
  };
  HBRUSH BrushOf(TControlColour colour) const;
  std::vector<TPlaced> placed_;
  std::map<int, TControlColour> colours_;
  std::map<int, COLORREF> textColours_;
  TUniqueBrush white_;
  TUniqueBrush silver_;
  TUniqueBrush yellow_;
  TUniqueFont font_;
  int page_ = 0;
  int filling_ = 0;
};

}  // namespace kivo
