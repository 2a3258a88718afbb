#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Text1251.h"
#include "ui/win32/Prompts.h"

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

// While this thread runs a modal loop, another one waits for the first
// visible window of `className` and acts on it as a user.
class TUserAtDialog {
 public:
  TUserAtDialog(const wchar_t* className, std::function<void(HWND)> act)
      : thread_([=] {
          for (int attempt = 0; attempt < 500; ++attempt) {
            const HWND dialog = FindWindowW(className, nullptr);
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

}  // namespace
}  // namespace kivo
