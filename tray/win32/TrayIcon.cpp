#include "tray/win32/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "platform/win32/ThisModule.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/PictureMenu.h"

namespace kivo {

namespace {

constexpr UINT kTrayCallback = kTrayCallbackMessage;
constexpr UINT kTrayIconId = 1;
constexpr UINT_PTR kBlinkTimerId = 1;
constexpr int kIconSide = 16;

// An icon with the picture's own alpha; null when the picture is unfit.
HICON IconFrom(const TBitmap32& picture) {
  TUniqueBitmap colour = MakeDibSection(picture, TAlphaForm::Straight);
  TUniqueBitmap mask(CreateBitmap(picture.Width, picture.Height, 1, 1, nullptr));
  if (!colour || !mask) return nullptr;
  ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
  return CreateIconIndirect(&info);
}

HICON ModuleIcon() {
  return static_cast<HICON>(
      LoadImageW(ThisModule(), L"ICO1", IMAGE_ICON, kIconSide, kIconSide, LR_LOADTRANSPARENT));
}

}  // namespace

TTrayIcon::TTrayIcon(ITrayIconHost& host, const std::vector<TBitmap32>& frames,
                     std::vector<TBitmap32> pictures)
    : class_(kTrayWindowClass, &TWindowBase::WindowProc),
      controller_(*this, host),
      pictures_(std::move(pictures)) {
  // A message-only window: it receives the icon's mouse messages and is never shown.
  Create(0, class_.Name(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
  for (std::size_t i = 0; i < 2; ++i) {
    HICON icon = i < frames.size() ? IconFrom(frames[i]) : nullptr;
    frames_.emplace_back(icon != nullptr ? icon : ModuleIcon());
  }
  hint_ = gdi::Wide(TTrayController::Hint(0));
  languageHook_ = TAssotiateLanguageHook(TLangWindow::Tray, [this] { controller_.RefreshHint(); });
}

TTrayIcon::~TTrayIcon() {
  languageHook_ = TAssotiateLanguageHook();
  KillTimer(Handle(), kBlinkTimerId);
  ShowIcon(false);
  Destroy();
}

NOTIFYICONDATAW TTrayIcon::IconData(UINT flags) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = Handle();
  data.uID = kTrayIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kTrayCallback;
  data.hIcon = frames_[static_cast<std::size_t>(frame_)].Get();
  const std::size_t length = std::min(hint_.size(), std::size(data.szTip) - 1);
  std::copy_n(hint_.begin(), length, data.szTip);
  return data;
}

// The shell may refuse (no notification area); the controller still knows what was asked for.
void TTrayIcon::ShowIcon(bool shown) {
  if (shown == added_) return;
  NOTIFYICONDATAW data = IconData(NIF_ICON | NIF_MESSAGE | NIF_TIP);
  Shell_NotifyIconW(shown ? NIM_ADD : NIM_DELETE, &data);
  added_ = shown;
}

void TTrayIcon::SetFrame(int frame) {
  frame_ = frame == 1 ? 1 : 0;
  if (!added_) return;
  NOTIFYICONDATAW data = IconData(NIF_ICON);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TTrayIcon::SetHint(const std::string& hint) {
  hint_ = gdi::Wide(hint);
  if (!added_) return;
  NOTIFYICONDATAW data = IconData(NIF_TIP);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TTrayIcon::SetBlinkTimer(bool running) {
  if (running) {
    SetTimer(Handle(), kBlinkTimerId, TTrayController::kBlinkMs, nullptr);
  } else {
    KillTimer(Handle(), kBlinkTimerId);
  }
}

TTrayCommand TTrayIcon::PopupMenu(const std::vector<TTrayMenuItem>& items) {
  TPictureMenu menu;
  if (!menu) return TTrayCommand::None;
  for (const TTrayMenuItem& item : items) {
    if (item.Command == TTrayCommand::None) {
      menu.AddSeparator();
      continue;
    }
    const bool pictured = item.Picture >= 0 && static_cast<std::size_t>(item.Picture) < pictures_.size();
    menu.Add(static_cast<int>(item.Command), item.Caption,
             pictured ? &pictures_[static_cast<std::size_t>(item.Picture)] : nullptr);
  }
  POINT at{};
  GetCursorPos(&at);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(Handle());
  const auto chosen = static_cast<UINT>(TrackPopupMenu(
      menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, Handle(), nullptr));
  PostMessageW(Handle(), WM_NULL, 0, 0);
  for (const TTrayCommand command : {TTrayCommand::N6, TTrayCommand::N7, TTrayCommand::N23}) {
    if (chosen == static_cast<UINT>(command)) return command;
  }
  return TTrayCommand::None;
}

LRESULT TTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallback) {
    switch (LOWORD(lParam)) {
      case WM_LBUTTONUP:
        controller_.OnMouseUp(TTrayButton::Left);
        return 0;
      case WM_RBUTTONUP:
        controller_.OnMouseUp(TTrayButton::Right);
        return 0;
      default:
        return 0;
    }
  }
  if (message == WM_TIMER && wParam == kBlinkTimerId) {
    controller_.OnBlinkTimer();
    return 0;
  }
  return TWindowBase::HandleMessage(message, wParam, lParam);
}

}  // namespace kivo
