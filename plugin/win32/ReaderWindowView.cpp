#include "plugin/win32/ReaderWindowView.h"

#include <memory>
#include <stdexcept>
#include <type_traits>

#include "feeds/TextDecoding.h"
#include "plugin/win32/ThisModule.h"

namespace kivo {

namespace {

constexpr int kInitialWidth = 700;
constexpr int kInitialHeight = 500;
constexpr UINT kMenuN1 = 1;

std::wstring WideOf(const std::string& text) {
  const std::u16string wide = WinToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

struct TMenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using TMenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, TMenuDeleter>;

}  // namespace

TReaderWindowView::TReaderWindowView() : class_(L"TForm1", &TReaderWindowView::WindowProc) {
  window_ =
      CreateWindowExW(0, class_.Name(), WideOf(Lang.lang_main_form_caption).c_str(), WS_OVERLAPPEDWINDOW, 0,
                      0, kInitialWidth, kInitialHeight, nullptr, nullptr, ThisModule(), nullptr);
  if (window_ == nullptr) throw std::runtime_error("reader window not created");
  languageHook_ = TAssotiateLanguageHook(TLangWindow::Reader, [this] { assotiatelanguage(); });
}

TReaderWindowView::~TReaderWindowView() {
  DestroyWindow(window_);
}

// Closing only hides: the window lives until the plugin stops.
LRESULT CALLBACK TReaderWindowView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ShowWindow(window, SW_HIDE);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TReaderWindowView::assotiatelanguage() {
  SetWindowTextW(window_, WideOf(Lang.lang_main_form_caption).c_str());
}

TWindowRect TReaderWindowView::GetPlacement() const {
  RECT rect{};
  GetWindowRect(window_, &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void TReaderWindowView::SetPlacement(const TWindowRect& rect) {
  SetWindowPos(window_, nullptr, rect.Left, rect.Top, rect.Width, rect.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TReaderWindowView::AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) {
  feedMenu_.push_back({caption, hint, tag});
}

void TReaderWindowView::LoadIconOfSite(int index, const std::string& path) {
  if (index < 0 || static_cast<std::size_t>(index) >= siteIcons_.size()) {
    siteIcons_.push_back(path);
  } else {
    siteIcons_[static_cast<std::size_t>(index)] = path;
  }
}

bool TReaderWindowView::Visible() const {
  return IsWindowVisible(window_) != FALSE;
}

void TReaderWindowView::SetVisible(bool visible) {
  ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

void TReaderWindowView::BringToFront() {
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void TReaderWindowView::TrIconDblClick() {
  if (Visible()) {
    SetVisible(false);
  } else {
    BringToFront();
  }
}

void TReaderWindowView::N1Click() {
  BringToFront();
}

void TReaderWindowView::PopupMenu1At(int x, int y) {
  const TMenuHandle menu(CreatePopupMenu());
  if (!menu) return;
  AppendMenuW(menu.get(), MF_STRING, kMenuN1, WideOf(Lang.lang_plug_show).c_str());
  // The menu closes on a click elsewhere only while our window is in front.
  SetForegroundWindow(window_);
  const BOOL chosen =
      TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
  if (chosen == static_cast<BOOL>(kMenuN1)) N1Click();
}

}  // namespace kivo
