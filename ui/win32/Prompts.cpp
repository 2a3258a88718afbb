#include "ui/win32/Prompts.h"

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

struct TPromptState {
  std::wstring Value;
  std::string Failure;
};

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<TPromptState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  try {
    switch (message) {
      case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, kPromptEditId, reinterpret_cast<TPromptState*>(lParam)->Value.c_str());
        return TRUE;  // the edit takes the focus with its text selected
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
          state->Value = TextOf(GetDlgItem(dialog, kPromptEditId));
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        }
        return FALSE;
      default:
        return FALSE;
    }
  } catch (const std::exception& error) {
    if (state != nullptr) state->Failure = error.what();
  } catch (...) {
    if (state != nullptr) state->Failure = "unknown exception";
  }
  EndDialog(dialog, IDABORT);
  return TRUE;
}

}  // namespace

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
  const INT_PTR result = DialogBoxIndirectParamW(ThisModule(), dialog.Get(), owner, &PromptProc,
                                                 reinterpret_cast<LPARAM>(&state));
  if (!state.Failure.empty()) throw std::runtime_error(state.Failure);
  if (result == -1) throw std::runtime_error("prompt not shown");
  if (result != IDOK) return std::nullopt;
  return Utf16ToWin(std::u16string(state.Value.begin(), state.Value.end()));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, gdi::Wide(text).c_str(), gdi::Wide(caption).c_str(), flags);
}

}  // namespace kivo
