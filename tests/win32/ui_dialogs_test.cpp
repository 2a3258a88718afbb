#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Text1251.h"
#include "ui/win32/DialogBase.h"
#include "ui/win32/Prompts.h"
#include "ui/win32/WindowClass.h"

namespace kivo {
namespace {

std::string Win(const char* utf8) {
  return Utf8ToWin(utf8).value();
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

void Click(HWND dialog, int id) {
  SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// The visible window of the class that this process shows. Other test
// programs share the display, and their prompts have the same classes: acting
// on one of theirs left ours open, and this test waited for it for ever.
struct WindowSearch {
  const wchar_t* ClassName;
  HWND Found;
};

BOOL CALLBACK TakeOwnVisibleWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<WindowSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (process != GetCurrentProcessId() || std::wstring(name) != search.ClassName || !IsWindowVisible(window))
    return TRUE;
  search.Found = window;
  return FALSE;
}

HWND OwnVisibleWindow(const wchar_t* className) {
  WindowSearch search{className, nullptr};
  EnumWindows(&TakeOwnVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// While this thread runs a modal loop, another one waits for the first
// visible window of `className` and acts on it as a user.
class TUserAtDialog {
 public:
  TUserAtDialog(const wchar_t* className, std::function<void(HWND)> act)
      : thread_([=] {
          for (int attempt = 0; attempt < 500; ++attempt) {
            const HWND dialog = OwnVisibleWindow(className);
            if (dialog != nullptr && IsWindowVisible(dialog)) return act(dialog);
            Sleep(10);
          }
        }) {}
  ~TUserAtDialog() { thread_.join(); }
  TUserAtDialog(const TUserAtDialog&) = delete;
  TUserAtDialog& operator=(const TUserAtDialog&) = delete;

 private:
  std::thread thread_;
};

TEST(PromptTest, ConfirmingReturnsTheShownTextAndCancellingReturnsNothing) {
  struct TCase {
    const char* Name;
    const wchar_t* Typed;  // null: the offered value stays
    std::function<void(HWND)> Finish;
    std::optional<std::string> Result;
  };
  const std::vector<TCase> cases = {
      {"typed, OK", L"Новый адрес", [](HWND dialog) { Click(dialog, IDOK); }, Win("Новый адрес")},
      {"offered, OK", nullptr, [](HWND dialog) { Click(dialog, IDOK); }, Win("старый")},
      {"typed, Enter", L"другой",
       [](HWND dialog) { PostMessageW(GetDlgItem(dialog, kPromptEditId), WM_KEYDOWN, VK_RETURN, 0); },
       Win("другой")},
      {"typed, Cancel", L"Новый адрес", [](HWND dialog) { Click(dialog, IDCANCEL); }, std::nullopt},
  };
  for (const TCase& c : cases) {
    std::wstring caption;
    std::wstring prompt;
    std::optional<std::string> result;
    {
      const TUserAtDialog user(kPromptClassName, [&](HWND dialog) {
        caption = TextOf(dialog);
        prompt = TextOf(GetDlgItem(dialog, kPromptTextId));
        if (c.Typed != nullptr) SetDlgItemTextW(dialog, kPromptEditId, c.Typed);
        c.Finish(dialog);
      });
      result = InputQuery(nullptr, Win("Лента"), Win("Адрес ленты:"), Win("старый"));
    }
    EXPECT_EQ(result, c.Result) << c.Name;
    EXPECT_EQ(caption, L"Лента") << c.Name;
    EXPECT_EQ(prompt, L"Адрес ленты:") << c.Name;
  }
}

// A modeless dialog with the usual controls, keeping the buttons it was pressed by.
class TKeysDialog final : public TDialogBase {
 public:
  static constexpr int kEdit = 10;
  static constexpr int kMemo = 11;
  static constexpr int kCheck = 12;

  TKeysDialog() : class_(L"TKivoTestDialog", &TWindowBase::WindowProc) {
    Create(0, class_.Name(), L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr);
    Add(L"EDIT", ES_AUTOHSCROLL, kEdit);
    Add(L"EDIT", ES_MULTILINE | ES_WANTRETURN, kMemo);
    Add(L"BUTTON", BS_AUTOCHECKBOX, kCheck);
    Add(L"BUTTON", BS_DEFPUSHBUTTON, IDOK);
    Add(L"BUTTON", BS_PUSHBUTTON, IDCANCEL);
  }
  ~TKeysDialog() override { Destroy(); }

  std::vector<int> pressed;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) != kCheck) {
      pressed.push_back(LOWORD(wParam));
      return 0;
    }
    return TDialogBase::HandleMessage(message, wParam, lParam);
  }

 private:
  void Add(const wchar_t* className, DWORD style, int id) {
    CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 80, 20, Handle(),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }

  TWindowClassUse class_;
};

TEST(DialogBaseTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
  TKeysDialog dialog;
  struct TCase {
    const char* Name;
    int Control;
    WPARAM Key;
    std::vector<int> Pressed;
  };
  for (const TCase& c : {TCase{"Enter in an edit", TKeysDialog::kEdit, VK_RETURN, {IDOK}},
                         TCase{"Esc in an edit", TKeysDialog::kEdit, VK_ESCAPE, {IDCANCEL}},
                         TCase{"Enter on a check box", TKeysDialog::kCheck, VK_RETURN, {IDOK}},
                         TCase{"Enter on the focused Cancel", IDCANCEL, VK_RETURN, {IDCANCEL}},
                         TCase{"Esc on OK", IDOK, VK_ESCAPE, {IDCANCEL}},
                         TCase{"Enter in a multi-line edit", TKeysDialog::kMemo, VK_RETURN, {}}}) {
    dialog.pressed.clear();
    SendMessageW(GetDlgItem(dialog.Handle(), c.Control), WM_KEYDOWN, c.Key, 0);
    EXPECT_EQ(dialog.pressed, c.Pressed) << c.Name;
  }
  dialog.pressed.clear();
  EnableWindow(GetDlgItem(dialog.Handle(), IDOK), FALSE);
  SendMessageW(GetDlgItem(dialog.Handle(), TKeysDialog::kEdit), WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.pressed, std::vector<int>{IDCANCEL})
      << "a disabled default button stays up; closing cancels";
}

}  // namespace
}  // namespace kivo
