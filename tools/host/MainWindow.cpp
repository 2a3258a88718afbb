#include "tools/host/MainWindow.h"

#include <commctrl.h>

#include <exception>

#include "tools/host/Text.h"

namespace kivo::host {
namespace {

constexpr int kButtonSize = 26;
constexpr int kIconSize = 16;
constexpr int kButtonRowHeight = kButtonSize + 4;
constexpr int kContactListWidth = 240;
constexpr int kXStatusHeight = 22;
constexpr int kMaxLogLines = 2000;

constexpr int kLogId = 10;
constexpr int kXStatusId = 11;
constexpr int kFirstButtonId = 1000;
constexpr int kMenuOptions = 100;
constexpr int kMenuHide = 101;
constexpr int kMenuRestore = 102;

}  // namespace

MainWindow::~MainWindow() {
  if (Handle() != nullptr) DestroyWindow(Handle());
}

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
  instance_ = instance;
  font_.Reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  try {
    class_.emplace(kClassName, &TWindowBase::WindowProc);
    TWindowBase::Create(0, kClassName, L"KivoHost", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                        CW_USEDEFAULT, 760, 520, nullptr, CreateMainMenu());
  } catch (const std::exception&) {
    return false;
  }
  if (!CreateChildren()) return false;
  XStatusChanged();
  Layout();
  ShowWindow(Handle(), showCommand);
  UpdateWindow(Handle());
  return true;
}

HMENU MainWindow::CreateMainMenu() const {
  HMENU plugin = CreatePopupMenu();
  AppendMenuW(plugin, MF_STRING, kMenuOptions, L"&Options");
  AppendMenuW(plugin, MF_STRING, kMenuHide, L"&Hide windows");
  AppendMenuW(plugin, MF_STRING, kMenuRestore, L"&Restore windows");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(plugin), L"&Plugin");
  return bar;
}

bool MainWindow::CreateChildren() {
  log_ = CreateChild(L"LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, kLogId);
  xstatus_ = CreateChild(L"STATIC", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, kXStatusId);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                             Handle(), nullptr, instance_, nullptr);
  return log_ != nullptr && xstatus_ != nullptr && contacts_.Create(Handle());
}

HWND MainWindow::CreateChild(const wchar_t* className, DWORD style, int id) {
  HWND child = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, Handle(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  return child;
}

void MainWindow::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int middle = client.bottom - kButtonRowHeight - kXStatusHeight;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    MoveWindow(buttons_[i].Get(), 2 + static_cast<int>(i) * (kButtonSize + 2), 2, kButtonSize, kButtonSize,
               TRUE);
  }
  MoveWindow(contacts_.Handle(), 0, kButtonRowHeight, kContactListWidth, middle, TRUE);
  MoveWindow(log_, kContactListWidth, kButtonRowHeight, client.right - kContactListWidth, middle, TRUE);
  MoveWindow(xstatus_, 4, client.bottom - kXStatusHeight, client.right - 8, kXStatusHeight, TRUE);
}

bool MainWindow::ClickButton(std::size_t index) {
  if (index >= buttons_.size()) return false;
  const int id = kFirstButtonId + static_cast<int>(index);
  SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(buttons_[index].Get()));
  return true;
}

void MainWindow::ButtonsChanged() {
  buttons_.clear();
  const auto& buttons = model_.Buttons();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    HWND button = CreateChild(L"BUTTON", BS_OWNERDRAW, kFirstButtonId + static_cast<int>(i));
    AddTooltip(button, buttons[i].Hint);
    buttons_.emplace_back(button);
  }
  Layout();
}

// The plugin's icon is 16 x 16, drawn centred on a push-button face.
void MainWindow::DrawButton(const DRAWITEMSTRUCT& item) const {
  const auto index = static_cast<std::size_t>(static_cast<int>(item.CtlID) - kFirstButtonId);
  RECT face = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  if (index >= model_.Buttons().size()) return;
  const int offset = pushed ? 1 : 0;
  const int left = (face.left + face.right - kIconSize) / 2 + offset;
  const int top = (face.top + face.bottom - kIconSize) / 2 + offset;
  DrawIconEx(item.hDC, left, top, model_.Buttons()[index].Icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
}

void MainWindow::AddTooltip(HWND button, const std::u16string& hint) {
  std::wstring text(AsWide(hint));
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(button);
  tool.lpszText = text.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::XStatusChanged() {
  const XStatus& status = model_.CurrentXStatus();
  const std::wstring text = L"X-status " + std::to_wstring(status.Number) + L": " +
                            std::wstring(AsWide(status.Title.Text())) + L" \u2014 " +
                            std::wstring(AsWide(status.Text.Text()));
  SetWindowTextW(xstatus_, text.c_str());
}

void MainWindow::Log(const std::string& line) {
  if (logEcho_) logEcho_(line);
  if (log_ == nullptr) return;
  const std::wstring text = WideFromUtf8(line);
  if (SendMessageW(log_, LB_GETCOUNT, 0, 0) >= kMaxLogLines) SendMessageW(log_, LB_DELETESTRING, 0, 0);
  const LRESULT index = SendMessageW(log_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(log_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      if (closeHandler_) closeHandler_();
      return 0;
    case WM_DESTROY:
      // The buttons die with their parent.
      for (auto& button : buttons_) button.Release();
      buttons_.clear();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return TWindowBase::HandleMessage(message, wParam, lParam);
}

void MainWindow::OnHandlerFailure(const char* what) noexcept {
  try {
    Log(std::string("host window: ") + what);
  } catch (...) {
    // Nowhere left to tell.
  }
}

void MainWindow::OnCommand(int id) {
  const auto button = static_cast<std::size_t>(id - kFirstButtonId);
  if (id >= kFirstButtonId && button < model_.Buttons().size()) {
    SendToPlugin(PM_BUTTON_CLICK, model_.Buttons()[button].Id);
  } else if (id == kMenuOptions) {
    SendToPlugin(PM_SHOW_OPTIONS, 0);
  } else if (id == kMenuHide || id == kMenuRestore) {
    SendToPlugin(PM_HIDE_WINDOWS, id == kMenuHide ? 1 : 0);
  }
}

void MainWindow::SendToPlugin(TPluginWord code, TPluginWord wParam) {
  TPluginMessage message{};
  message.Code = code;
  message.WParam = wParam;
  channel_.SendToPlugin(message);
}

}  // namespace kivo::host
