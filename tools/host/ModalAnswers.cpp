#include "tools/host/ModalAnswers.h"

#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "tools/host/Screenshot.h"
#include "tools/host/Text.h"
#include "tools/host/WindowQuery.h"
#include "ui/win32/Prompts.h"

namespace kivo::host {
namespace {

constexpr wchar_t kMessageBoxClass[] = L"#32770";
constexpr wchar_t kMenuClass[] = L"#32768";
constexpr UINT kPollMs = 100;
// A question is left on screen this long before it counts as unanswered.
constexpr ULONGLONG kGraceMs = 1000;
// The text of a message box, where the system puts it.
constexpr int kMessageTextId = 0xFFFF;
// The file name in the system's file dialogs: the combo box of the Explorer
// style (cmb13), or the edit of the older one (edt1).
constexpr int kFileNameIds[] = {0x047C, 0x0480};

ModalAnswers* gCurrent = nullptr;

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The question the user faces now: the enabled one of the prompts, choices,
// file dialogs and message boxes this process shows (a question is disabled
// under a message box of its own). A pop-up menu counts only when the script
// waits for one: the system may show menu windows of its own.
HWND OpenQuestion(bool menus) {
  for (const auto& window : PluginTopWindows()) {
    const bool question = window.ClassName == kPromptClassName || window.ClassName == kChoiceClassName ||
                          window.ClassName == kMessageBoxClass || (menus && window.ClassName == kMenuClass);
    if (question && window.Visible && IsWindowEnabled(window.Handle)) return window.Handle;
  }
  return nullptr;
}

HWND FileNameControl(HWND question) {
  for (const int id : kFileNameIds) {
    if (HWND control = GetDlgItem(question, id)) return control;
  }
  return nullptr;
}

script::QuestionKind KindOf(HWND question) {
  wchar_t name[64] = {};
  GetClassNameW(question, name, static_cast<int>(std::size(name)));
  if (std::wstring_view(name) == kPromptClassName) return script::QuestionKind::Prompt;
  if (std::wstring_view(name) == kChoiceClassName) return script::QuestionKind::Choice;
  if (std::wstring_view(name) == kMenuClass) return script::QuestionKind::Menu;
  return FileNameControl(question) != nullptr ? script::QuestionKind::File : script::QuestionKind::Message;
}

std::string Describe(HWND question) {
  switch (KindOf(question)) {
    case script::QuestionKind::Prompt:
      return "the prompt \"" + ToUtf8(TextOf(GetDlgItem(question, kPromptTextId))) + "\"";
    case script::QuestionKind::Choice:
      return "the choice \"" + ToUtf8(TextOf(GetDlgItem(question, kPromptTextId))) + "\"";
    case script::QuestionKind::File:
      return "the file dialog \"" + ToUtf8(TextOf(question)) + "\"";
    case script::QuestionKind::Menu:
      return "a pop-up menu";
    case script::QuestionKind::Message:
      break;
  }
  return "the message \"" + ToUtf8(TextOf(GetDlgItem(question, kMessageTextId))) + "\"";
}

void Press(HWND question, int button) {
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(question, button)));
}

// A message box says OK or Yes, Cancel or No.
int MessageButton(HWND question, bool confirm) {
  const int first = confirm ? IDOK : IDCANCEL;
  const int second = confirm ? IDYES : IDNO;
  if (GetDlgItem(question, first) != nullptr) return first;
  return GetDlgItem(question, second) != nullptr ? second : 0;
}

std::string DescribeAnswer(const script::QueueAnswer& answer) {
  const char* kinds[] = {"prompt", "message", "choice", "file", "menu"};
  const std::string kind = kinds[static_cast<int>(answer.Kind)];
  if (!answer.Confirm) return kind + " cancel";
  if (answer.Kind == script::QuestionKind::Message) return "message ok";
  return kind + " \"" + ToUtf8(answer.Text) + "\"";
}

}  // namespace

ModalAnswers::ModalAnswers() {
  gCurrent = this;
  timer_ = SetTimer(nullptr, 0, kPollMs, &ModalAnswers::OnTimer);
}

ModalAnswers::~ModalAnswers() {
  if (timer_ != 0) KillTimer(nullptr, timer_);
  gCurrent = nullptr;
}

std::string ModalAnswers::DescribeUnused() const {
  std::string text;
  for (const auto& answer : answers_) text += (text.empty() ? "" : ", ") + DescribeAnswer(answer);
  return text;
}

bool ModalAnswers::AllAnswered() const {
  return answers_.empty() && OpenQuestion(false) == nullptr;
}

std::string ModalAnswers::TakeFault() {
  return std::exchange(fault_, {});
}

void CALLBACK ModalAnswers::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  // Runs inside the plugin's modal loops: nothing may escape.
  try {
    if (gCurrent != nullptr) gCurrent->Poll();
  } catch (...) {
  }
}

void ModalAnswers::Poll() {
  const bool menuAwaited = !answers_.empty() && answers_.front().Kind == script::QuestionKind::Menu;
  const HWND question = OpenQuestion(menuAwaited);
  if (question == nullptr) {
    waiting_ = nullptr;
    return;
  }
  const auto kind = KindOf(question);
  if (answers_.empty()) {
    if (question != waiting_) {
      waiting_ = question;
      waitingSince_ = GetTickCount64();
    } else if (GetTickCount64() - waitingSince_ >= kGraceMs) {
      Dismiss(question, Describe(question) + " found no answer queued");
    }
    return;
  }
  const script::QueueAnswer answer = answers_.front();
  if (answer.Kind != kind) {
    Dismiss(question, Describe(question) + " opened where the " + DescribeAnswer(answer) + " was expected");
    return;
  }
  answers_.pop_front();
  waiting_ = nullptr;
  if (kind == script::QuestionKind::Prompt) {
    if (answer.Confirm) SetDlgItemTextW(question, kPromptEditId, answer.Text.c_str());
    Press(question, answer.Confirm ? IDOK : IDCANCEL);
    return;
  }
  if (kind == script::QuestionKind::Choice) {
    const HWND list = GetDlgItem(question, kChoiceListId);
    const auto entry = answer.Confirm ? std::stoi(answer.Text) : 0;
    if (answer.Confirm && entry >= SendMessageW(list, LB_GETCOUNT, 0, 0))
      return Dismiss(question, Describe(question) + " has no entry " + ToUtf8(answer.Text));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    Press(question, answer.Confirm ? IDOK : IDCANCEL);
    return;
  }
  if (kind == script::QuestionKind::Menu) return AnswerMenu(question, answer);
  if (kind == script::QuestionKind::File) {
    if (answer.Confirm) SetWindowTextW(FileNameControl(question), answer.Text.c_str());
    Press(question, answer.Confirm ? IDOK : IDCANCEL);
    return;
  }
  const int button = MessageButton(question, answer.Confirm);
  if (button == 0)
    return Dismiss(question, Describe(question) + " has no button for " + DescribeAnswer(answer));
  Press(question, button);
}

// A menu's own loop reads the keyboard: Home selects the first item whatever
// was selected at the opening, the arrow keys (which skip separators) go on
// to the item, and Enter chooses it.
void ModalAnswers::AnswerMenu(HWND menu, const script::QueueAnswer& answer) {
  if (!answer.Shot.empty()) {
    std::error_code ignored;  // a folder that cannot be made fails the picture below
    std::filesystem::create_directories(std::filesystem::path(answer.Shot).parent_path(), ignored);
    std::string error;
    if (!SaveWindowBitmap(menu, answer.Shot, error) && fault_.empty()) fault_ = "menu picture: " + error;
  }
  if (!answer.Confirm) {
    EndMenu();
    return;
  }
  const auto items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
  const auto id = static_cast<UINT>(std::stoi(answer.Text));
  int steps = 0;
  for (int i = 0, count = GetMenuItemCount(items); i < count; ++i) {
    if ((GetMenuState(items, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0) continue;
    ++steps;
    if (GetMenuItemID(items, i) != id) continue;
    PostMessageW(menu, WM_KEYDOWN, VK_HOME, 0);
    for (int step = 1; step < steps; ++step) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    return;
  }
  Dismiss(menu, "the menu has no item " + ToUtf8(answer.Text));
}

// Cancels a question the script did not foresee, so the step ends and fails.
void ModalAnswers::Dismiss(HWND question, const std::string& fault) {
  if (fault_.empty()) fault_ = fault;
  waiting_ = nullptr;
  if (KindOf(question) == script::QuestionKind::Menu) {
    EndMenu();
    return;
  }
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace kivo::host
