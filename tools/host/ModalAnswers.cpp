#include "tools/host/ModalAnswers.h"

#include <string_view>
#include <utility>

#include "tools/host/Text.h"
#include "tools/host/WindowQuery.h"
#include "ui/win32/Prompts.h"

namespace kivo::host {
namespace {

constexpr wchar_t kMessageBoxClass[] = L"#32770";
constexpr UINT kPollMs = 100;
// A question is left on screen this long before it counts as unanswered.
constexpr ULONGLONG kGraceMs = 1000;
// The text of a message box, where the system puts it.
constexpr int kMessageTextId = 0xFFFF;

ModalAnswers* gCurrent = nullptr;

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The question the user faces now: the enabled one of the prompts and message
// boxes this process shows (a prompt is disabled under its own message box).
HWND OpenQuestion() {
  for (const auto& window : PluginTopWindows()) {
    const bool question = window.ClassName == kPromptClassName || window.ClassName == kMessageBoxClass;
    if (question && window.Visible && IsWindowEnabled(window.Handle)) return window.Handle;
  }
  return nullptr;
}

bool IsPrompt(HWND question) {
  wchar_t name[64] = {};
  GetClassNameW(question, name, static_cast<int>(std::size(name)));
  return std::wstring_view(name) == kPromptClassName;
}

std::string Describe(HWND question) {
  if (IsPrompt(question)) return "the prompt \"" + ToUtf8(TextOf(GetDlgItem(question, kPromptTextId))) + "\"";
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
  if (answer.Kind == script::QuestionKind::Message) return answer.Confirm ? "message ok" : "message cancel";
  return answer.Confirm ? "prompt \"" + ToUtf8(answer.Text) + "\"" : "prompt cancel";
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
  const HWND question = OpenQuestion();
  if (question == nullptr) {
    waiting_ = nullptr;
    return;
  }
  const auto kind = IsPrompt(question) ? script::QuestionKind::Prompt : script::QuestionKind::Message;
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
  const int button = MessageButton(question, answer.Confirm);
  if (button == 0)
    return Dismiss(question, Describe(question) + " has no button for " + DescribeAnswer(answer));
  Press(question, button);
}

// Cancels a question the script did not foresee, so the step ends and fails.
void ModalAnswers::Dismiss(HWND question, const std::string& fault) {
  if (fault_.empty()) fault_ = fault;
  waiting_ = nullptr;
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace kivo::host
