#include "ui/win32/Prompts.h"

#include <commdlg.h>

#include <stdexcept>
#include <string_view>
#include <vector>

#include "base/Text1251.h"
#include "platform/win32/ThisModule.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/WindowClass.h"

namespace kivo {

namespace {

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kListBoxAtom = 0x0083;

// A DLGTEMPLATE with its items, built in memory: no resource script, so the
// DLL carries no dialog resources of its own.
class TDialogTemplate {
 public:
  TDialogTemplate(DWORD style, short width, short height, std::wstring_view className,
                  std::wstring_view caption) {
    Long(style);
    Long(0);  // extended style
    countAt_ = words_.size();
    words_.push_back(0);
    for (const short value : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(value));
    words_.push_back(0);  // no menu
    Text(className);
    Text(caption);
    words_.push_back(8);  // DS_SETFONT: points, then the face
    Text(L"MS Shell Dlg");
  }

  void Add(DWORD style, short x, short y, short width, short height, WORD id, WORD classAtom,
           std::wstring_view text) {
    if (words_.size() % 2 != 0) words_.push_back(0);  // items start on a DWORD
    Long(style | WS_CHILD | WS_VISIBLE);
    Long(0);
    for (const short value : {x, y, width, height}) words_.push_back(static_cast<WORD>(value));
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    Text(text);
    words_.push_back(0);  // no creation data
    ++words_[countAt_];
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Long(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void Text(std::wstring_view text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
  std::size_t countAt_ = 0;
};

// A modal question's dialog procedure. `TState` fills the dialog (Init),
// says whether a command confirms it (Confirms) and reads the answer (Take).
// Nothing may escape into the dialog manager: a failure ends the dialog and
// the caller throws it again.
template <class TState>
INT_PTR CALLBACK QuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<TState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  try {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      reinterpret_cast<TState*>(lParam)->Init(dialog);
      return TRUE;  // the first control takes the focus
    }
    if (message != WM_COMMAND) return FALSE;
    if (state->Confirms(wParam)) {
      state->Take(dialog);
      EndDialog(dialog, IDOK);
      return TRUE;
    }
    if (LOWORD(wParam) != IDCANCEL) return FALSE;
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  } catch (const std::exception& error) {
    if (state != nullptr) state->Failure = error.what();
  } catch (...) {
    if (state != nullptr) state->Failure = "unknown exception";
  }
  EndDialog(dialog, IDABORT);
  return TRUE;
}

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

struct TPromptState {
  std::wstring Value;
  std::string Failure;

  void Init(HWND dialog) const { SetDlgItemTextW(dialog, kPromptEditId, Value.c_str()); }
  static bool Confirms(WPARAM command) { return LOWORD(command) == IDOK; }
  void Take(HWND dialog) { Value = TextOf(GetDlgItem(dialog, kPromptEditId)); }
};

struct TChoiceState {
  std::vector<std::wstring> Items;
  int Chosen = -1;
  std::string Failure;

  void Init(HWND dialog) const {
    const HWND list = GetDlgItem(dialog, kChoiceListId);
    for (const std::wstring& item : Items)
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
  }
  static bool Confirms(WPARAM command) {
    return LOWORD(command) == IDOK || (LOWORD(command) == kChoiceListId && HIWORD(command) == LBN_DBLCLK);
  }
  void Take(HWND dialog) {
    Chosen = static_cast<int>(SendDlgItemMessageW(dialog, kChoiceListId, LB_GETCURSEL, 0, 0));
  }
};

}  // namespace

std::optional<int> ChooseFromList(HWND owner, const std::string& caption, const std::string& prompt,
                                  const std::vector<std::string>& items) {
  const TWindowClassUse windowClass(kChoiceClassName, &DefDlgProcW,
                                    TWindowClassOptions{.WindowExtra = DLGWINDOWEXTRA});
  TDialogTemplate dialog(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 260,
                         130, kChoiceClassName, gdi::Wide(caption));
  dialog.Add(SS_LEFT | SS_NOPREFIX, 7, 7, 246, 10, kPromptTextId, kStaticAtom, gdi::Wide(prompt));
  dialog.Add(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 7, 20, 246,
             84, kChoiceListId, kListBoxAtom, L"");
  dialog.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 149, 109, 50, 14, IDOK, kButtonAtom, L"OK");
  dialog.Add(BS_PUSHBUTTON | WS_TABSTOP, 203, 109, 50, 14, IDCANCEL, kButtonAtom, L"Cancel");
  TChoiceState state;
  for (const std::string& item : items) state.Items.push_back(gdi::Wide(item));
  const INT_PTR result = DialogBoxIndirectParamW(
      ThisModule(), dialog.Get(), owner, &QuestionProc<TChoiceState>, reinterpret_cast<LPARAM>(&state));
  if (!state.Failure.empty()) throw std::runtime_error(state.Failure);
  if (result == -1) throw std::runtime_error("choice not shown");
  if (result != IDOK || state.Chosen < 0 || static_cast<std::size_t>(state.Chosen) >= items.size())
    return std::nullopt;
  return state.Chosen;
}

std::optional<TFilePath> AskFileName(HWND owner, bool save, const std::string& filterName,
                                     const wchar_t* extension) {
  const std::wstring pattern = std::wstring(L"*.") + extension;
  std::wstring filter = gdi::Wide(filterName) + L" (" + pattern + L")";
  filter.push_back(L'\0');
  filter += pattern;
  filter.push_back(L'\0');
  filter += L"*.*";
  filter.push_back(L'\0');
  filter += L"*.*";
  filter.push_back(L'\0');
  std::wstring file(32768, L'\0');  // room for a long path
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = filter.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = file.data();
  request.nMaxFile = static_cast<DWORD>(file.size());
  request.lpstrDefExt = extension;
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                  (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
  if (!chosen) return std::nullopt;
  file.resize(file.find(L'\0'));
  return TFilePath(std::move(file));
}

std::optional<std::string> InputQuery(HWND owner, const std::string& caption, const std::string& prompt,
                                      const std::string& value) {
  // A dialog of our own class must have the dialog manager's window bytes.
  const TWindowClassUse windowClass(kPromptClassName, &DefDlgProcW,
                                    TWindowClassOptions{.WindowExtra = DLGWINDOWEXTRA});
  TDialogTemplate dialog(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 62,
                         kPromptClassName, gdi::Wide(caption));
  dialog.Add(SS_LEFT | SS_NOPREFIX, 7, 7, 186, 10, kPromptTextId, kStaticAtom, gdi::Wide(prompt));
  dialog.Add(ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 186, 12, kPromptEditId, kEditAtom,
             L"");
  dialog.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 41, 50, 14, IDOK, kButtonAtom, L"OK");
  dialog.Add(BS_PUSHBUTTON | WS_TABSTOP, 143, 41, 50, 14, IDCANCEL, kButtonAtom, L"Cancel");
  TPromptState state{gdi::Wide(value), {}};
  const INT_PTR result = DialogBoxIndirectParamW(
      ThisModule(), dialog.Get(), owner, &QuestionProc<TPromptState>, reinterpret_cast<LPARAM>(&state));
  if (!state.Failure.empty()) throw std::runtime_error(state.Failure);
  if (result == -1) throw std::runtime_error("prompt not shown");
  if (result != IDOK) return std::nullopt;
  return Utf16ToWin(std::u16string(state.Value.begin(), state.Value.end()));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, gdi::Wide(text).c_str(), gdi::Wide(caption).c_str(), flags);
}

}  // namespace kivo
