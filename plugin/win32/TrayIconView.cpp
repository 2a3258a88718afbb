#include "plugin/win32/TrayIconView.h"

#include <algorithm>
#include <stdexcept>

#include "feeds/TextDecoding.h"
#include "options/UnitLang.h"
#include "plugin/win32/ThisModule.h"

namespace kivo {

namespace {

constexpr UINT kTrayCallback = WM_APP + 1;
constexpr UINT kTrayIconId = 1;

}  // namespace

TTrayIconView::TTrayIconView(std::function<void()> onDoubleClick)
    : class_(L"TKivoRssTrayWindow", &TTrayIconView::WindowProc), onDoubleClick_(std::move(onDoubleClick)) {
  window_ =
      CreateWindowExW(0, class_.Name(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
  if (window_ == nullptr) throw std::runtime_error("tray window not created");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  icon_.Reset(static_cast<HICON>(LoadImageW(ThisModule(), L"ICO1", IMAGE_ICON, 16, 16, LR_LOADTRANSPARENT)));
}

TTrayIconView::~TTrayIconView() {
  SetVisible(false);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

NOTIFYICONDATAW TTrayIconView::IconData() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
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
void TTrayIconView::SetVisible(bool visible) {
  if (visible == visible_) return;
  NOTIFYICONDATAW data = IconData();
  Shell_NotifyIconW(visible ? NIM_ADD : NIM_DELETE, &data);
  visible_ = visible;
}

LRESULT CALLBACK TTrayIconView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* tray = reinterpret_cast<TTrayIconView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kTrayCallback && tray != nullptr && LOWORD(lParam) == WM_LBUTTONDBLCLK &&
      tray->onDoubleClick_) {
    tray->onDoubleClick_();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kivo
