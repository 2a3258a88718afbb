#include "options/win32/DialogViewBase.h"

#include <stdexcept>

#include "base/Text1251.h"
#include "platform/win32/ThisModule.h"
#include "ui/win32/Gdi.h"

namespace kivo {

namespace {

constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kYellow = RGB(255, 255, 0);

}  // namespace

TDialogViewBase::TDialogViewBase()
    : white_(CreateSolidBrush(RGB(255, 255, 255))),
      silver_(CreateSolidBrush(kSilver)),
      yellow_(CreateSolidBrush(kYellow)),
      font_(gdi::GuiFont(false)) {}

HWND TDialogViewBase::Add(const wchar_t* className, DWORD style, int id, int page, int x, int y, int width,
                          int height, DWORD exStyle) {
  const DWORD visible = page < 0 || page == page_ ? WS_VISIBLE : 0;
  HWND control =
      CreateWindowExW(exStyle, className, L"", WS_CHILD | visible | style, x, y, width, height, Handle(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
  if (control == nullptr) throw std::runtime_error("control not created");
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  placed_.push_back({id, page});
  return control;
}

void TDialogViewBase::ShowPage(int page) {
  page_ = page;
  for (const TPlaced& placed : placed_) {
    if (placed.page >= 0) ShowWindow(Item(placed.id), placed.page == page ? SW_SHOWNA : SW_HIDE);
  }
}

void TDialogViewBase::SetColourOf(int id, TControlColour colour) {
  colours_[id] = colour;
  InvalidateRect(Item(id), nullptr, TRUE);
}

void TDialogViewBase::SetTextOf(int id, const std::string& text) {
  TFill fill(*this);
  SetWindowTextW(Item(id), gdi::Wide(text).c_str());
}

std::string TDialogViewBase::TextOf(int id) const {
  HWND control = Item(id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf16ToWin(std::u16string(text.begin(), text.end()));
}

void TDialogViewBase::SetCheckedOf(int id, bool checked) {
  TFill fill(*this);
  SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TDialogViewBase::CheckedOf(int id) const {
  return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TDialogViewBase::PlaceCentred(int width, int height) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
  const int outerWidth = rect.right - rect.left;
  const int outerHeight = rect.bottom - rect.top;
  SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2, outerWidth, outerHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialogViewBase::ShowWindowOf(bool visible) {
  ShowWindow(Handle(), visible ? SW_SHOW : SW_HIDE);
}

HBRUSH TDialogViewBase::BrushOf(TControlColour colour) const {
  switch (colour) {
    case TControlColour::White:
      return white_.Get();
    case TControlColour::Silver:
      return silver_.Get();
    case TControlColour::Yellow:
      return yellow_.Get();
    default:
      return GetSysColorBrush(COLOR_BTNFACE);
  }
}

LRESULT TDialogViewBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORSTATIC) {
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    HDC dc = reinterpret_cast<HDC>(wParam);
    const auto text = textColours_.find(id);
    if (text != textColours_.end()) SetTextColor(dc, text->second);
    const auto found = colours_.find(id);
    if (found == colours_.end() && text != textColours_.end()) {
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    if (found != colours_.end()) {
      LOGBRUSH brush{};
      GetObjectW(BrushOf(found->second), sizeof brush, &brush);
      SetBkColor(dc,
                 found->second == TControlColour::ButtonFace ? GetSysColor(COLOR_BTNFACE) : brush.lbColor);
      return reinterpret_cast<LRESULT>(BrushOf(found->second));
    }
  }
  return TDialogBase::HandleMessage(message, wParam, lParam);
}

}  // namespace kivo
