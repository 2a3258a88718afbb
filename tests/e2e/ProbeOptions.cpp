#include "tests/e2e/ProbeOptions.h"

#include <optional>
#include <string>

#include "options/DialogControls.h"
#include "ui/win32/Prompts.h"

namespace kivo_probe {
namespace {

using kivo::ControlId;
using kivo::TOptionsButton;
using kivo::TOptionsControl;

HWND gOptions = nullptr;

constexpr int kCheck = ControlId(TOptionsControl::CheckProxy);
constexpr int kTyped = ControlId(TOptionsControl::EditProxy);
constexpr int kEcho = ControlId(TOptionsControl::EditUser);  // what the parent heard typed
constexpr int kPage = ControlId(TOptionsControl::EditPass);  // the page picked
constexpr int kAnswers = ControlId(TOptionsControl::Edit1);  // what the questions got
constexpr int kPages = ControlId(TOptionsButton::ListBox2);
constexpr int kAsk = ControlId(TOptionsControl::BitBtn2);
constexpr int kOk = ControlId(TOptionsButton::BitBtn1);

std::wstring Wide(const std::string& text1251) {
  std::wstring wide(text1251.size(), L'\0');
  wide.resize(static_cast<std::size_t>(MultiByteToWideChar(1251, 0, text1251.data(),
                                                           static_cast<int>(text1251.size()), wide.data(),
                                                           static_cast<int>(wide.size()))));
  return wide;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  return text;
}

// A prompt, then a message box on what it got, as the add-feed button asks.
std::wstring AskBoth(HWND window) {
  const std::optional<std::string> address = kivo::InputQuery(window, "Probe", "Address", "");
  if (!address) return L"prompt cancelled";
  const int chosen = kivo::ShowMessageBox(window, "Add " + *address + "?", "Probe", MB_OKCANCEL);
  return (chosen == IDOK ? L"" : L"declined ") + Wide(*address);
}

void OnCommand(HWND window, int id, int code) {
  if (id == kTyped && code == EN_CHANGE)
    SetDlgItemTextW(window, kEcho, TextOf(GetDlgItem(window, kTyped)).c_str());
  if (id == kPages && code == LBN_SELCHANGE) {
    const auto page = SendDlgItemMessageW(window, kPages, LB_GETCURSEL, 0, 0);
    SetDlgItemTextW(window, kPage, (L"page " + std::to_wstring(page)).c_str());
  }
  if (id == kAsk && code == BN_CLICKED) SetDlgItemTextW(window, kAnswers, AskBoth(window).c_str());
  if (id == kOk && code == BN_CLICKED) ShowWindow(window, SW_HIDE);
}

LRESULT CALLBACK OptionsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_COMMAND) OnCommand(window, LOWORD(wParam), HIWORD(wParam));
  } catch (...) {
    SetDlgItemTextW(window, kAnswers, L"failed");
  }
  if (message == WM_CLOSE) {
    ShowWindow(window, SW_HIDE);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void AddControl(HWND parent, const wchar_t* className, DWORD style, int id, int row,
                const wchar_t* text = L"") {
  CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, 10 + row * 28, 200, 24, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace

void RegisterOptionsClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.hInstance = instance;
  windowClass.lpfnWndProc = OptionsProc;
  windowClass.lpszClassName = kivo::kOptionsWindowClass;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&windowClass);
}

void UnregisterOptionsClass(HINSTANCE instance) {
  UnregisterClassW(kivo::kOptionsWindowClass, instance);
}

void ShowOptions(HINSTANCE instance) {
  if (gOptions == nullptr) {
    gOptions = CreateWindowExW(0, kivo::kOptionsWindowClass, L"Probe options", WS_OVERLAPPEDWINDOW, 120, 120,
                               240, 300, nullptr, nullptr, instance, nullptr);
    AddControl(gOptions, L"BUTTON", BS_AUTOCHECKBOX, kCheck, 0, L"Proxy");
    AddControl(gOptions, L"EDIT", WS_BORDER | ES_AUTOHSCROLL, kTyped, 1);
    AddControl(gOptions, L"EDIT", WS_BORDER | ES_AUTOHSCROLL, kEcho, 2);
    AddControl(gOptions, L"EDIT", WS_BORDER | ES_AUTOHSCROLL, kPage, 3);
    AddControl(gOptions, L"EDIT", WS_BORDER | ES_AUTOHSCROLL, kAnswers, 4);
    AddControl(gOptions, L"LISTBOX", WS_BORDER | LBS_NOTIFY, kPages, 5);
    AddControl(gOptions, L"BUTTON", BS_PUSHBUTTON, kAsk, 7, L"Add");
    AddControl(gOptions, L"BUTTON", BS_PUSHBUTTON, kOk, 8, L"OK");
    for (const wchar_t* page : {L"General", L"Feed list", L"Other"})
      SendDlgItemMessageW(gOptions, kPages, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(page));
  }
  ShowWindow(gOptions, SW_SHOWNOACTIVATE);
}

void DestroyOptions() {
  if (gOptions != nullptr) DestroyWindow(gOptions);
  gOptions = nullptr;
}

}  // namespace kivo_probe
