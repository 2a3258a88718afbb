#include "plugin/win32/FormXstatus.h"

#include "ui/win32/Gdi.h"

namespace kivo {

namespace {

constexpr int kClientWidth = 255;
constexpr int kClientHeight = 166;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kNumberListHeight = 220;  // the drop-down's open height

int Id(TXStatusControl control) {
  return static_cast<int>(control);
}

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

TFormXstatus::TFormXstatus()
    : class_(kXStatusWindowClass, &TWindowBase::WindowProc),
      background_(CreateSolidBrush(GetSysColor(COLOR_INFOBK))) {
  Create(0, class_.Name(), L"FormXstatus", kStyle, 0, 0, kClientWidth, kClientHeight, nullptr, nullptr);
  SetDefaultButton(Id(TXStatusControl::BitBtn1));
  HWND title =
      Add(L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, Id(TXStatusControl::Edit1), -1, 64, 8, 185, 21);
  SendMessageW(title, EM_LIMITTEXT, kXStatusTitleMax, 0);
  HWND text =
      Add(L"EDIT", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP | WS_BORDER,
          Id(TXStatusControl::Memo1), -1, 8, 40, 241, 89);
  SendMessageW(text, EM_LIMITTEXT, kXStatusTextMax, 0);
  Add(L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, Id(TXStatusControl::BitBtn1), -1, 184, 136, 65, 25);
  SetWindowTextW(Item(Id(TXStatusControl::BitBtn1)), L"OK");
  Add(L"COMBOBOX", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, Id(TXStatusControl::ComboBox1), -1, 8, 8, 49,
      kNumberListHeight);
  PlaceCentred(kClientWidth, kClientHeight);
}

TFormXstatus::~TFormXstatus() {
  controller_ = nullptr;
  Destroy();
}

void TFormXstatus::SetNumbers(const std::vector<std::u16string>& entries) {
  HWND box = Item(Id(TXStatusControl::ComboBox1));
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& entry : entries)
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)));
}

void TFormXstatus::SelectNumber(int index) {
  SendMessageW(Item(Id(TXStatusControl::ComboBox1)), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// A typed number counts when it names an entry, as a chosen one does.
int TFormXstatus::SelectedNumber() const {
  HWND box = Item(Id(TXStatusControl::ComboBox1));
  const std::u16string typed = WideTextOf(TXStatusControl::ComboBox1);
  const int count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) continue;
    std::u16string entry(static_cast<std::size_t>(length) + 1, u'\0');
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(static_cast<std::size_t>(length));
    if (entry == typed) return i;
  }
  return -1;
}

void TFormXstatus::MarkNumberInvalid() {
  HWND box = Item(Id(TXStatusControl::ComboBox1));
  MessageBeep(MB_ICONWARNING);
  SetFocus(box);
  SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TFormXstatus::SetTitle(const std::u16string& title) {
  SetWindowTextW(Item(Id(TXStatusControl::Edit1)), Wide(title));
}

std::u16string TFormXstatus::Title() const {
  return WideTextOf(TXStatusControl::Edit1);
}

// The control keeps its lines apart with CR LF.
void TFormXstatus::SetText(const std::u16string& text) {
  std::u16string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines += u"\r\n";
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      lines += c;
    }
  }
  SetWindowTextW(Item(Id(TXStatusControl::Memo1)), Wide(lines));
}

std::vector<std::u16string> TFormXstatus::TextLines() const {
  const std::u16string text = WideTextOf(TXStatusControl::Memo1);
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::u16string TFormXstatus::WideTextOf(TXStatusControl control) const {
  HWND item = Item(Id(control));
  const int length = GetWindowTextLengthW(item);
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

LRESULT TFormXstatus::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (controller_ == nullptr) return 0;
      if (LOWORD(wParam) == Id(TXStatusControl::BitBtn1) && HIWORD(wParam) == BN_CLICKED) {
        controller_->BitBtn1Click();
      } else if (LOWORD(wParam) == IDCANCEL) {
        controller_->FormKeyPress(27);
      }
      return 0;
    case WM_CLOSE:
      ShowWindowOf(false);
      return 0;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(Handle(), &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, background_.Get());
      return 1;
    }
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_INFOBK));
      return reinterpret_cast<LRESULT>(background_.Get());
    default:
      return TDialogViewBase::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace kivo
