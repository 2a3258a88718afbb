// TFormXstatus on Win32: the number box, the title, the text and OK on the
// tooltip colour, hidden when closed and reused. Texts stay UTF-16 from the
// controls to the host.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "options/win32/DialogViewBase.h"
#include "plugin/XStatus.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

class TFormXstatus final : public TDialogViewBase, public IXStatusView {
 public:
  TFormXstatus();
  ~TFormXstatus() override;

  // IXStatusView.
  void SetController(TXStatusController* controller) override { controller_ = controller; }
  bool Visible() const override { return IsWindowVisible(Handle()) != FALSE; }
  void SetVisible(bool visible) override { ShowWindowOf(visible); }
  void SetNumbers(const std::vector<std::u16string>& entries) override;
  void SelectNumber(int index) override;
  int SelectedNumber() const override;
  void MarkNumberInvalid() override;
  void SetTitle(const std::u16string& title) override;
  std::u16string Title() const override;
  void SetText(const std::u16string& text) override;
  std::vector<std::u16string> TextLines() const override;
  void BringToFront() override { SetForegroundWindow(Handle()); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::u16string WideTextOf(TXStatusControl control) const;

  TWindowClassUse class_;
  TUniqueBrush background_;
  TXStatusController* controller_ = nullptr;
};

}  // namespace kivo
