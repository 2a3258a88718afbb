#include "options/win32/FormOptions2.h"

#include <commctrl.h>

#include "options/DialogControls.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Prompts.h"

namespace kivo {

namespace {

using C = TFeedSettingsControl;
using B = TFeedSettingsButton;

constexpr int kClientWidth = 359;
constexpr int kClientHeight = 341;
constexpr int kPageTop = 100;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER;

enum TPrivateId { Label1 = 1800, Label2, Label3, Label4, Label5, Label6, Label7, UpDownPeriod };

int Id(C control) {
  return ControlId(control);
}
int Id(B control) {
  return ControlId(control);
}

}  // namespace

TFormOptions2::TFormOptions2() : class_(kFeedSettingsWindowClass, &TWindowBase::WindowProc) {
  Create(WS_EX_TOPMOST, class_.Name(), L"", kStyle, 0, 0, kClientWidth, kClientHeight, nullptr, nullptr);
  SetDefaultButton(Id(B::BitBtn1));
  CreateControls();
  PlaceCentred(kClientWidth, kClientHeight);
  assotiatelanguage();
  languageHook_ = TAssotiateLanguageHook(TLangWindow::FeedSettings, [this] { assotiatelanguage(); });
}

TFormOptions2::~TFormOptions2() {
  languageHook_ = TAssotiateLanguageHook();
  Destroy();
}

void TFormOptions2::CreateControls() {
  Add(L"STATIC", 0, Label5, -1, 10, 12, 90, 16);
  Add(L"EDIT", kEdit, Id(C::EditChName), -1, 104, 10, 245, 21);
  Add(L"STATIC", 0, Label7, -1, 10, 42, 90, 16);
  Add(L"EDIT", kEdit, Id(C::EditchUrl), -1, 104, 40, 245, 21);
  Add(WC_TABCONTROLW, WS_TABSTOP, Id(B::PageControl1), -1, 8, 72, kClientWidth - 16, 222);
  const C main[] = {C::CheckSpecContact, C::Checkhorlines, C::CheckLoadImages, C::CheckBaloonCh,
                    C::CheckDoubleTags};
  int y = kPageTop + 8;
  for (C check : main) {
    Add(L"BUTTON", kCheck, Id(check), 0, 20, y, 320, 20);
    y += 26;
  }
  Add(L"BUTTON", kCheck, Id(C::CheckUpdates), 1, 20, kPageTop + 8, 320, 20);
  Add(L"BUTTON", kCheck, Id(C::CheckNotLoad), 1, 40, kPageTop + 34, 300, 20);
  Add(L"BUTTON", kCheck, Id(C::CheckExtCheck), 1, 40, kPageTop + 60, 300, 20);
  Add(L"STATIC", 0, Label4, 1, 20, kPageTop + 96, 180, 16);
  HWND period = Add(L"EDIT", kEdit | ES_NUMBER, Id(C::SpinPeriod), 1, 210, kPageTop + 94, 70, 21);
  HWND spin = Add(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                  UpDownPeriod, 1, 0, 0, 0, 0);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(period), 0);
  SendMessageW(spin, UDM_SETRANGE32, 1, 1200);
  const std::pair<int, C> tags[] = {
      {Label1, C::EditTitle}, {Label2, C::EditText1}, {Label3, C::EditText2}, {Label6, C::EditCategory}};
  y = kPageTop + 8;
  for (const auto& [label, edit] : tags) {
    Add(L"STATIC", 0, label, 2, 20, y + 3, 120, 16);
    Add(L"EDIT", kEdit, Id(edit), 2, 150, y, 180, 21);
    y += 30;
  }
  Add(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, Id(B::BitBtn2), 2, 150, y + 4, 100, 25);
  Add(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, Id(B::BitBtn1), -1, kClientWidth - 98, kClientHeight - 36, 90,
      25);
  // The tab control is drawn under the pages' controls.
  SetWindowPos(Item(Id(B::PageControl1)), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFormOptions2::assotiatelanguage() {
  SetWindowTextW(Handle(), gdi::Wide(Lang.lang_opt2_form_caption).c_str());
  const std::pair<int, const std::string*> captions[] = {
      {Id(C::CheckUpdates), &Lang.lang_opt2_check_check_new},
      {Id(C::CheckNotLoad), &Lang.lang_opt2_check_dont_load},
      {Label4, &Lang.lang_opt2_label_period},
      {Id(C::Checkhorlines), &Lang.lang_opt2_label_divider},
      {Id(C::CheckLoadImages), &Lang.lang_opt2_label_load_images},
      {Id(C::CheckBaloonCh), &Lang.lang_opt_label_showbaloon},
      {Label1, &Lang.lang_opt2_label_title},
      {Label2, &Lang.lang_opt2_label_text},
      {Label3, &Lang.lang_opt2_label_date},
      {Label6, &Lang.lang_opt2_label_category},
      {Label5, &Lang.lang_opt2_label_feedname},
      {Label7, &Lang.lang_opt2_label_feedaddr},
      {Id(C::CheckDoubleTags), &Lang.lang_opt2_Check_Double_Tags},
      {Id(C::CheckExtCheck), &Lang.lang_opt2_check_wide_checknew},
      {Id(C::CheckSpecContact), &Lang.lang_opt2_label_showspeccont},
  };
  for (const auto& [id, text] : captions) SetTextOf(id, *text);
  SetTextOf(Id(B::BitBtn1), "OK");
  SetTextOf(Id(B::BitBtn2), "Default");
  HWND tabs = Item(Id(B::PageControl1));
  const int page = Page();
  TabCtrl_DeleteAllItems(tabs);
  int index = 0;
  for (const std::string* text :
       {&Lang.lang_opt2_label_TabMain, &Lang.lang_opt2_label_TabUpdate, &Lang.lang_opt2_label_TabPlus}) {
    std::wstring caption = gdi::Wide(*text);
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = caption.data();
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&tab));
  }
  TabCtrl_SetCurSel(tabs, page);
}

void TFormOptions2::SetChecked(TFeedSettingsControl control, bool checked) {
  SetCheckedOf(Id(control), checked);
}

void TFormOptions2::SetEnabled(TFeedSettingsControl control, bool enabled) {
  EnableWindow(Item(Id(control)), enabled ? TRUE : FALSE);
}

void TFormOptions2::SetText(TFeedSettingsControl control, const std::string& text) {
  SetTextOf(Id(control), text);
}

void TFormOptions2::SetPage(int page) {
  TabCtrl_SetCurSel(Item(Id(B::PageControl1)), page);
  ShowPage(page);
}

void TFormOptions2::Show() {
  ShowWindowOf(true);
  BringToFront();
}

void TFormOptions2::ShowMessage(const std::string& text) {
  ShowMessageBox(Handle(), text, Lang.lang_opt2_form_caption, MB_OK);
}

void TFormOptions2::OnCommand(int id, int code) {
  if (controller_ == nullptr || Filling()) return;
  if (id == IDCANCEL) return controller_->Close();
  if (id == Id(B::BitBtn1)) return controller_->Ok();
  if (id == Id(B::BitBtn2)) return controller_->Default();
  const int control = id - kDialogControlBase;
  if (control < 0 || control > static_cast<int>(C::EditCategory)) return;
  const auto named = static_cast<C>(control);
  if (code == BN_CLICKED) controller_->OnChecked(named, CheckedOf(id));
  if (code == EN_CHANGE) controller_->OnText(named, TextOf(id));
}

LRESULT TFormOptions2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (static_cast<int>(header.idFrom) == Id(B::PageControl1) && header.code == TCN_SELCHANGE) {
        ShowPage(TabCtrl_GetCurSel(header.hwndFrom));
      }
      return 0;
    }
    default:
      return TDialogViewBase::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace kivo
