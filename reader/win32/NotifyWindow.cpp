#include "reader/win32/NotifyWindow.h"

#include <algorithm>
#include <utility>

#include "imaging/win32/ImageLists.h"
#include "imaging/win32/ResourceIds.h"
#include "imaging/win32/WicImageDecoder.h"
#include "platform/FileIo.h"
#include "platform/win32/ThisModule.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/LayeredFrame.h"

namespace kivo {

namespace {

constexpr UINT_PTR kSlideTimerId = 1;
constexpr UINT_PTR kScrollTimerId = 2;
constexpr int kPlainWidth = 200;
constexpr int kPlainHeight = 70;
constexpr std::size_t kSkinFileMaxBytes = 4u << 20;

UINT_PTR TimerId(TNotifyTimer timer) {
  return timer == TNotifyTimer::Slide ? kSlideTimerId : kScrollTimerId;
}

// A light panel with a darker caption band and a cross in the close box.
TBitmap32 PlainSkin() {
  TBitmap32 skin{
      kPlainWidth, kPlainHeight,
      std::vector<std::uint32_t>(static_cast<std::size_t>(kPlainWidth) * kPlainHeight, 0xF0F4F4F8)};
  for (int y = 0; y < 21; ++y) std::fill_n(skin.Pixels.begin() + y * kPlainWidth, kPlainWidth, 0xF0D8DEE8);
  for (int i = 3; i < 14; ++i) {
    skin.Pixels[static_cast<std::size_t>(8 + i) * kPlainWidth + kPlainWidth - 25 + i] = 0xFF404040;
    skin.Pixels[static_cast<std::size_t>(8 + i) * kPlainWidth + kPlainWidth - 25 + 16 - i] = 0xFF404040;
  }
  return skin;
}

bool Usable(const std::optional<TBitmap32>& skin) {
  return skin && skin->Width > 25 && skin->Height > 22 &&
         skin->Pixels.size() ==
             static_cast<std::size_t>(skin->Width) * static_cast<std::size_t>(skin->Height);
}

}  // namespace

TBitmap32 LoadNotifySkin(const TFilePath& pluginFolder) {
  if (const auto bytes = ReadFileBytes(pluginFolder / "notifyskin.png", kSkinFileMaxBytes)) {
    if (auto skin = SharedImageDecoder().Decode(ImageKind::Png, *bytes); Usable(skin))
      return std::move(*skin);
  }
  if (auto skin = LoadPngResource(ThisModule(), kPopupSkinResource); Usable(skin)) return std::move(*skin);
  return PlainSkin();
}

TNotifyWindow::TNotifyWindow(const TBitmap32& skin, std::function<void()> onAction)
    : class_(kNotifyWindowClass, &TWindowBase::WindowProc, TWindowClassOptions{.Background = nullptr}),
      // Smoothed edges are near white, not white: they would stay opaque as a halo.
      font_(gdi::GuiFont(false, NONANTIALIASED_QUALITY)),
      bold_(gdi::GuiFont(true, NONANTIALIASED_QUALITY)),
      measure_(CreateCompatibleDC(nullptr)) {
  popup_ = std::make_unique<TNotifyPopup>(*this, skin, std::move(onAction));
  const TSize size = popup_->Size();
  Create(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, class_.Name(), L"", WS_POPUP, 0,
         0, size.Width, size.Height, nullptr, nullptr);
}

TNotifyWindow::~TNotifyWindow() {
  Destroy();
}

void TNotifyWindow::ShowNotify(const std::string& caption, const std::string& text) {
  suppressed_ = false;
  popup_->Show(caption, text);
}

void TNotifyWindow::SetVisible(bool visible) {
  suppressed_ = !visible;
  if (!visible) {
    ShowWindow(Handle(), SW_HIDE);
  } else if (popup_->Visible()) {
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  }
}

int TNotifyWindow::TextWidth(std::string_view text) {
  const std::wstring wide = gdi::Wide(std::string(text));
  const TSelectedObject font(measure_.Get(), font_.Get());
  SIZE size{};
  GetTextExtentPoint32W(measure_.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

int TNotifyWindow::LineHeight() {
  const TSelectedObject font(measure_.Get(), font_.Get());
  SIZE size{};
  GetTextExtentPoint32W(measure_.Get(), L"W", 1, &size);
  return size.cy;
}

TBitmap32 TNotifyWindow::DrawTextLayer(int width, int height, const std::string& caption,
                                       const std::vector<std::string>& lines) {
  const TDibSurface surface(width, height);
  if (!surface) return {};
  const RECT all{0, 0, width, height};
  gdi::Fill(surface.Dc(), all, RGB(255, 255, 255));
  {
    const TSelectedObject bold(surface.Dc(), bold_.Get());
    gdi::TextAt(surface.Dc(), 15, 8, caption, RGB(0, 0, 0), all);
    gdi::TextAt(surface.Dc(), 14, 7, caption, RGB(255, 0, 0), all);
  }
  const TSelectedObject normal(surface.Dc(), font_.Get());
  const int lineHeight = LineHeight();
  for (std::size_t i = 0; i < lines.size(); ++i)
    gdi::TextAt(surface.Dc(), 8, 22 + static_cast<int>(i) * lineHeight, lines[i], RGB(0, 0, 0), all);
  GdiFlush();
  TBitmap32 layer{width, height, {}};
  layer.Pixels.assign(surface.Pixels(), surface.Pixels() + static_cast<std::size_t>(width) * height);
  return layer;
}

TSize TNotifyWindow::ScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::optional<TRect> TNotifyWindow::TaskbarRect() {
  const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT rect{};
  if (taskbar == nullptr || !GetWindowRect(taskbar, &rect)) return std::nullopt;
  return TRect{rect.left, rect.top, rect.right, rect.bottom};
}

void TNotifyWindow::StartTimer(TNotifyTimer timer) {
  SetTimer(Handle(), TimerId(timer), timer == TNotifyTimer::Slide ? kSlideTimerMs : kScrollTimerMs, nullptr);
}

void TNotifyWindow::StopTimer(TNotifyTimer timer) {
  KillTimer(Handle(), TimerId(timer));
}

void TNotifyWindow::Present(const TBitmap32& frame, int left, int top) {
  const TUniqueBitmap bitmap = MakeDibSection(frame, TAlphaForm::Straight);  // premultiplied already
  const TUniqueMemoryDc source(CreateCompatibleDC(nullptr));
  if (!bitmap || !source) return;
  const TSelectedObject selected(source.Get(), bitmap.Get());
  POINT at{left, top};
  SIZE size{frame.Width, frame.Height};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(Handle(), nullptr, &at, &size, source.Get(), &origin, 0, &blend, ULW_ALPHA);
  if (!suppressed_ && !IsWindowVisible(Handle())) {
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

void TNotifyWindow::Hide() {
  ShowWindow(Handle(), SW_HIDE);
}

LRESULT TNotifyWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kSlideTimerId || wParam == kScrollTimerId)
        popup_->OnTimer(wParam == kSlideTimerId ? TNotifyTimer::Slide : TNotifyTimer::Scroll);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONUP:
      popup_->OnClick(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_RBUTTONDOWN:
      popup_->OnRightButtonDown();
      return 0;
    default:
      static const UINT frameMessage = RegisterWindowMessageW(kLayeredFrameMessage);
      if (message == frameMessage && lParam != 0)
        return AnswerFrameRequest(popup_->Frame(), *reinterpret_cast<TLayeredFrameRequest*>(lParam));
      return TWindowBase::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace kivo
