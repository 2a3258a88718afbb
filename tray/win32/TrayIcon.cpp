#include "tray/win32/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>

#include "base/Text1251.h"
#include "lang/LanguageTexts.h"
#include "platform/win32/ThisModule.h"

namespace kivo {

namespace {

constexpr UINT kTrayCallback = WM_APP + 1;
constexpr UINT kTrayIconId = 1;

}  // namespace

TTrayIcon::TTrayIcon(ITrayIconHost& host)
    : class_(L"TKivoRssTrayWindow", &TWindowBase::WindowProc), host_(host) {
  // A message-only window: it receives the icon's mouse messages and is never shown.
  Create(0, class_.Name(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
  icon_.Reset(static_cast<HICON>(LoadImageW(ThisModule(), L"ICO1", IMAGE_ICON, 16, 16, LR_LOADTRANSPARENT)));
}

TTrayIcon::~TTrayIcon() {
  SetVisible(false);
  Destroy();
}

NOTIFYICONDATAW TTrayIcon::IconData() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = Handle();
  data.uID = kTrayIconId;
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = kTrayCallback;
  data.hIcon = icon_.Get();
  const std::u16string tip = WinToUtf16(Lang.lang_main_form_caption);
  const std::size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
  std::copy_n(tip.begin(), length, data.szTip);
  return data;
}

// The shell may refuse (no notification area); the flag still says what was asked for.
void TTrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  NOTIFYICONDATAW data = IconData();
  Shell_NotifyIconW(visible ? NIM_ADD : NIM_DELETE, &data);
  visible_ = visible;
}

LRESULT TTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallback && LOWORD(lParam) == WM_LBUTTONDBLCLK) {
    host_.ToggleReaderWindow();
    return 0;
  }
  return TWindowBase::HandleMessage(message, wParam, lParam);
}

}  // namespace kivo
