#include "options/win32/FormOptions.h"

#include <commctrl.h>

#include "base/Text1251.h"
#include "options/AddressProbe.h"
#include "options/DialogControls.h"
#include "options/win32/OptionImages.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Prompts.h"

namespace kivo {

namespace {

using C = TOptionsControl;
using B = TOptionsButton;

constexpr int kClientWidth = 494;
constexpr int kClientHeight = 393;
constexpr int kPageListWidth = 129;
constexpr int kPageRow = 22;
constexpr int kFeedRow = 18;
constexpr int kIconSide = 16;
constexpr int kPanelHeight = 41;
constexpr int kLeft = 141;
constexpr int kPageCount = 5;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr COLORREF kFeedSelection = RGB(0, 128, 0);
constexpr COLORREF kOddRow = RGB(239, 239, 239);
constexpr COLORREF kNavy = RGB(0, 0, 128);

// Captions of controls no controller state names.
enum TPrivateId {
  Label1 = 1800,
  Label2,
  Label3,
  Label4,
  Label6,
  Label14,
  GroupBox2,
  LanguageFrame,
  UpDownFont
};

constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;

int Id(C control) {
  return ControlId(control);
}
int Id(B control) {
  return ControlId(control);
}

}  // namespace

TFormOptions::TFormOptions() : class_(kOptionsWindowClass, &TWindowBase::WindowProc) {
  Create(0, class_.Name(), L"", kStyle, 0, 0, kClientWidth, kClientHeight, nullptr, nullptr);
  SetDefaultButton(Id(B::BitBtn1));
  CreateControls();
  PlaceCentred(kClientWidth, kClientHeight);
  assotiatelanguage();
  languageHook_ = TAssotiateLanguageHook(TLangWindow::Options, [this] { assotiatelanguage(); });
}

TFormOptions::~TFormOptions() {
  languageHook_ = TAssotiateLanguageHook();
  Destroy();
}

void TFormOptions::CreateControls() {
  Add(L"LISTBOX", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_TABSTOP, Id(B::ListBox2), -1, 0, 0,
      kPageListWidth, kClientHeight - kPanelHeight);
  Add(L"BUTTON", kPush, Id(B::BitBtn1), -1, kClientWidth - 100, kClientHeight - 33, 90, 25);
  const C general[] = {
      C::CheckLogo,    C::CheckAddOldChannels, C::CheckBox1,          C::CheckTrayIcon, C::CheckshowButton,
      C::CheckContact, C::CheckListContacts,   C::CheckContactsIcons, C::ChecknewLents, C::CheckBaloon};
  int y = 10;
  for (C check : general) {
    const int indent = check == C::CheckListContacts || check == C::CheckContactsIcons ? 20 : 0;
    Add(L"BUTTON", kCheck, Id(check), 0, kLeft + indent, y, 340 - indent, 20);
    y += 26;
  }
  Add(L"STATIC", 0, Label2, 1, kLeft, 8, 340, 16);
  Add(L"LISTBOX", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, Id(C::ListBox1),
      1, kLeft, 26, 343, 246, WS_EX_CLIENTEDGE);
  Add(L"BUTTON", kPush, Id(C::BitBtn2), 1, kLeft, 280, 110, 25);
  Add(L"BUTTON", kPush, Id(B::BitBtn5), 1, kLeft + 116, 280, 110, 25);
  Add(L"BUTTON", kPush, Id(B::BitBtn4), 1, kLeft + 232, 280, 110, 25);
  Add(L"BUTTON", kPush, Id(B::BitBtn7), 1, kLeft, 312, 110, 25);
  Add(L"BUTTON", kPush, Id(B::BitBtn8), 1, kLeft + 116, 312, 110, 25);

  Add(L"STATIC", 0, Label4, 2, kLeft, 10, 340, 16);
  Add(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, Id(C::ComboBox1), 2, kLeft, 28, 220, 200);
  Add(L"BUTTON", BS_GROUPBOX, LanguageFrame, 2, kLeft, 60, 343, 134);
  Add(L"STATIC", 0, Label3, 2, kLeft + 10, 80, 90, 16);
  Add(L"STATIC", 0, Id(C::Label5), 2, kLeft + 104, 80, 230, 16);
  Add(L"STATIC", 0, Id(C::Label12), 2, kLeft + 10, 102, 90, 16);
  Add(L"STATIC", 0, Id(C::Label11), 2, kLeft + 104, 102, 230, 16);
  Add(L"STATIC", 0, Label14, 2, kLeft + 10, 124, 90, 16);
  Add(L"STATIC", 0, Id(C::Label13), 2, kLeft + 104, 124, 230, 60);
  Add(L"BUTTON", BS_GROUPBOX, Id(C::RadioGroup1), 2, kLeft, 202, 343, 48);
  Add(L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, kTabsTopId, 2, kLeft + 10, 222, 150, 20);
  Add(L"BUTTON", BS_AUTORADIOBUTTON, kTabsTopId + 1, 2, kLeft + 180, 222, 150, 20);
  Add(L"STATIC", 0, Label6, 2, kLeft, 264, 150, 16);
  HWND font = Add(L"EDIT", kEdit | ES_NUMBER, Id(C::SpinFontSize), 2, kLeft + 160, 262, 50, 21);
  HWND spin = Add(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, UpDownFont, 2, 0, 0, 0, 0);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(font), 0);
  SendMessageW(spin, UDM_SETRANGE32, 1, 4);

  Add(L"BUTTON", kCheck, Id(C::CheckProxy), 3, kLeft, 10, 340, 20);
  Add(L"BUTTON", BS_GROUPBOX, GroupBox2, 3, kLeft, 36, 343, 170);
  const C labels[] = {C::Label7, C::Label8, C::Label9, C::Label10};
  const C edits[] = {C::EditProxy, C::EditPort, C::EditUser, C::EditPass};
  const int rows[] = {60, 88, 144, 172};
  for (int i = 0; i < 4; ++i) {
    Add(L"STATIC", 0, Id(labels[i]), 3, kLeft + 12, rows[i] + 3, 90, 16);
    Add(L"EDIT", kEdit | (i == 3 ? ES_PASSWORD : 0), Id(edits[i]), 3, kLeft + 110, rows[i], i == 1 ? 80 : 220,
        21);
  }
  SendMessageW(Item(Id(C::EditPass)), EM_SETPASSWORDCHAR, L'#', 0);
  Add(L"BUTTON", kCheck, Id(C::CheckAuth), 3, kLeft + 12, 116, 300, 20);

  Add(L"STATIC", 0, Label1, 4, kLeft, 10, 340, 16);
  Add(L"EDIT", kEdit, Id(C::Edit1), 4, kLeft, 28, 220, 21);
  Add(L"BUTTON", kPush, Id(B::BitBtn6), 4, kLeft, 64, 180, 25);
  for (C value : {C::Label5, C::Label11, C::Label13}) SetTextColourOf(Id(value), kNavy);
  SendMessageW(Item(Id(B::ListBox2)), LB_SETITEMHEIGHT, 0, kPageRow);
  SendMessageW(Item(Id(C::ListBox1)), LB_SETITEMHEIGHT, 0, kFeedRow);
}

void TFormOptions::assotiatelanguage() {
  const auto caption = [this](int id, const std::string& text) { SetTextOf(id, text); };
  SetWindowTextW(Handle(), gdi::Wide(Lang.lang_opt_form_caption).c_str());
  const std::pair<C, const std::string*> checks[] = {
      {C::CheckLogo, &Lang.lang_opt_check_logo},
      {C::CheckAddOldChannels, &Lang.lang_opt_check_accumulateunread},
      {C::CheckBox1, &Lang.lang_opt_label_show_icons},
      {C::CheckTrayIcon, &Lang.lang_opt_label_iconintray},
      {C::CheckshowButton, &Lang.lang_opt_label_iconunderavatar},
      {C::CheckContact, &Lang.lang_opt_label_lineincontacts},
      {C::CheckListContacts, &Lang.opt_check_list_contacts},
      {C::CheckContactsIcons, &Lang.lang_opt_label_lniconsfeeds},
      {C::ChecknewLents, &Lang.lang_opt_label_check_new},
      {C::CheckBaloon, &Lang.lang_opt_label_showbaloon},
      {C::CheckProxy, &Lang.lang_opt_label_use_proxy},
      {C::CheckAuth, &Lang.lang_opt_groupbox_check_auth},
      {C::Label7, &Lang.lang_opt_groupbox_label_adress},
      {C::Label8, &Lang.lang_opt_groupbox_label_port},
      {C::Label9, &Lang.lang_opt_groupbox_label_user},
      {C::Label10, &Lang.lang_opt_groupbox_label_pass},
      {C::Label12, &Lang.lang_opt_label_version},
      {C::RadioGroup1, &Lang.lang_opt_label_tabspos},
  };
  for (const auto& [control, text] : checks) caption(Id(control), *text);
  caption(Label1, Lang.lang_opt_label_string_run);
  caption(Label2, Lang.lang_opt_label_list_threads);
  caption(Label3, Lang.lang_opt_label_author);
  caption(Label4, Lang.lang_opt_label_lang_plug);
  caption(Label6, Lang.lang_opt_label_font_size);
  caption(Label14, Lang.lang_opt_label_info);
  caption(GroupBox2, Lang.lang_opt_groupbox_proxy_settings);
  caption(Id(B::BitBtn1), "OK");
  caption(Id(C::BitBtn2), Lang.lang_opt_butt_add_thread);
  caption(Id(B::BitBtn7), Lang.lang_opt_import_opml);
  caption(Id(B::BitBtn8), Lang.lang_opt_export_opml);
  caption(Id(B::BitBtn4), Lang.lang_opt_butt_del_thread);
  caption(Id(B::BitBtn5), Lang.lang_opt_butt_opt_thread);
  caption(Id(B::BitBtn6), Lang.lang_opt_butt_clear_cash);
  caption(kTabsTopId, Lang.lang_opt_label_tabstop);
  caption(kTabsTopId + 1, Lang.lang_opt_label_tabsbottom);
  HWND pages = Item(Id(B::ListBox2));
  const int selected = static_cast<int>(SendMessageW(pages, LB_GETCURSEL, 0, 0));
  SendMessageW(pages, LB_RESETCONTENT, 0, 0);
  for (const std::string* text :
       {&Lang.lang_opt_list_string1, &Lang.lang_opt_list_string2, &Lang.lang_opt_list_string3,
        &Lang.lang_opt_list_string4, &Lang.lang_opt_list_string5}) {
    SendMessageW(pages, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gdi::Wide(*text).c_str()));
  }
  SendMessageW(pages, LB_SETCURSEL, selected < 0 ? 0 : selected, 0);
}

void TFormOptions::SetChecked(TOptionsControl control, bool checked) {
  SetCheckedOf(Id(control), checked);
}

void TFormOptions::SetEnabled(TOptionsControl control, bool enabled) {
  EnableWindow(Item(Id(control)), enabled ? TRUE : FALSE);
}

void TFormOptions::SetText(TOptionsControl control, const std::string& text) {
  SetTextOf(Id(control), text);
}

// Every opening starts on the first page; the add-feed command then shows
// the feed list with the page list left on its first entry.
void TFormOptions::Show() {
  SendMessageW(Item(Id(B::ListBox2)), LB_SETCURSEL, 0, 0);
  ShowWindowOf(true);
  BringToFront();
}

void TFormOptions::BringToFront() {
  SetForegroundWindow(Handle());
}

void TFormOptions::ShowMessage(const std::string& text) {
  ShowMessageBox(Handle(), text, Lang.lang_opt_form_caption, MB_OK);
}

void TFormOptions::SetColour(TOptionsControl control, TControlColour colour) {
  SetColourOf(Id(control), colour);
}

void TFormOptions::SetItems(TOptionsControl control, const std::vector<std::string>& items, int selected) {
  TFill fill(*this);
  if (control == C::RadioGroup1) {
    for (int i = 0; i < 2; ++i) {
      if (static_cast<std::size_t>(i) < items.size())
        SetTextOf(kTabsTopId + i, items[static_cast<std::size_t>(i)]);
      SetCheckedOf(kTabsTopId + i, i == selected);
    }
    return;
  }
  const bool combo = control == C::ComboBox1;
  HWND list = Item(Id(control));
  SendMessageW(list, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(list, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(gdi::Wide(item).c_str()));
  }
  SendMessageW(list, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

std::optional<std::string> TFormOptions::AskText(const std::string& title, const std::string& prompt,
                                                 const std::string& initial) {
  return InputQuery(Handle(), title, prompt, initial);
}

bool TFormOptions::Confirm(const std::string& title, const std::string& text) {
  return ShowMessageBox(Handle(), text, title, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}

std::optional<int> TFormOptions::Choose(const std::string& title, const std::string& prompt,
                                        const std::vector<std::string>& items) {
  return ChooseFromList(Handle(), title, prompt, items);
}

std::optional<TFilePath> TFormOptions::AskOpenFile(const std::string& filterName) {
  return AskFileName(Handle(), false, filterName, L"opml");
}

std::optional<TFilePath> TFormOptions::AskSaveFile(const std::string& filterName) {
  return AskFileName(Handle(), true, filterName, L"opml");
}

int TFormOptions::SelectedFeed() const {
  return static_cast<int>(SendMessageW(Item(Id(C::ListBox1)), LB_GETCURSEL, 0, 0));
}

void TFormOptions::OnCommand(int id, int code) {
  if (controller_ == nullptr || Filling()) return;
  TOptionsController& c = *controller_;
  if (id == IDCANCEL) return c.Close();
  if (id == Id(B::BitBtn1)) return c.Ok();
  if (id == Id(C::BitBtn2)) return c.AddFeed();
  if (id == Id(B::BitBtn7)) return c.ImportOpml();
  if (id == Id(B::BitBtn8)) return c.ExportOpml();
  if (id == Id(B::BitBtn4)) return c.DeleteFeed(SelectedFeed());
  if (id == Id(B::BitBtn5)) return c.OpenFeedSettings(SelectedFeed());
  if (id == Id(B::BitBtn6)) return c.ClearCache();
  if (id == Id(B::ListBox2) && code == LBN_SELCHANGE) {
    return c.OnPageChosen(static_cast<int>(SendMessageW(Item(id), LB_GETCURSEL, 0, 0)));
  }
  if (id == Id(C::ListBox1) && code == LBN_DBLCLK) return c.OpenFeedSettings(SelectedFeed());
  if (id == Id(C::ComboBox1) && code == CBN_SELCHANGE) {
    return c.OnLanguageChosen(static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)));
  }
  if ((id == kTabsTopId || id == kTabsTopId + 1) && code == BN_CLICKED)
    return c.OnTabsPosition(id - kTabsTopId);
  const int control = id - kDialogControlBase;
  if (control < 0 || control > static_cast<int>(C::Edit1)) return;
  const auto named = static_cast<C>(control);
  if (code == BN_CLICKED) c.OnChecked(named, CheckedOf(id));
  if (code == EN_CHANGE) c.OnText(named, TextOf(id));
}

void TFormOptions::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  if (static_cast<int>(item.CtlID) == Id(B::ListBox2)) ListBox2DrawItem(item);
  if (static_cast<int>(item.CtlID) == Id(C::ListBox1)) ListBox1DrawItem(item);
}

namespace {

std::string ItemText(HWND list, UINT index) {
  const auto length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return Utf16ToWin(std::u16string(text.begin(), text.end()));
}

}  // namespace

void TFormOptions::ListBox2DrawItem(const DRAWITEMSTRUCT& item) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  gdi::Fill(item.hDC, item.rcItem, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SIZE letter{};
  GetTextExtentPoint32W(item.hDC, L"W", 1, &letter);
  gdi::TextAt(item.hDC, item.rcItem.left + 20, item.rcItem.top + (kPageRow - letter.cy) / 2,
              ItemText(item.hwndItem, item.itemID),
              GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT), item.rcItem);
  DrawOptionImage(item.hDC, item.rcItem.left + 1, item.rcItem.top + 3, static_cast<int>(item.itemID));
}

void TFormOptions::ListBox1DrawItem(const DRAWITEMSTRUCT& item) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const COLORREF back = selected ? kFeedSelection : item.itemID % 2 == 1 ? kOddRow : RGB(255, 255, 255);
  gdi::Fill(item.hDC, item.rcItem, back);
  const std::string line = ItemText(item.hwndItem, item.itemID);
  const std::size_t bar = line.find('|');
  const std::string name = bar == std::string::npos ? line : line.substr(bar + 1);
  gdi::TextAt(item.hDC, item.rcItem.left + 38, item.rcItem.top + 2, name,
              selected ? RGB(255, 255, 255) : RGB(0, 0, 0), item.rcItem);
  if (const TBitmap32* icon = controller_ ? controller_->FeedIcon(static_cast<int>(item.itemID)) : nullptr)
    DrawPicture(item.hDC, item.rcItem.left + 1, item.rcItem.top + 1, *icon, kIconSide, kIconSide);
  const TOptionsDraft* draft = controller_ ? controller_->Draft() : nullptr;
  if (draft != nullptr && item.itemID < draft->Feeds.size()) {
    const bool contact = draft->Feeds[item.itemID].Settings.ShowSpecContact;
    DrawOptionImage(item.hDC, item.rcItem.left + 20, item.rcItem.top + 1,
                    contact ? kImageSpecContact : kImageNoContact);
  }
}

LRESULT TFormOptions::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_ADDRESS_PROBED:
      if (controller_ != nullptr) controller_->OnAddressProbed();
      return 0;
    default:
      return TDialogViewBase::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace kivo
