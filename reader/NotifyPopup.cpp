#include "reader/NotifyPopup.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace kivo {

namespace {

constexpr int kCaptionRows = 21;
constexpr int kBodyTop = 22;
constexpr int kCloseBoxRight = 25;  // from the right edge
constexpr int kCloseBoxTop = 8;
constexpr int kCloseBoxSide = 17;
constexpr int kWrapMargin = 15;
constexpr int kLayerSlack = 30;
constexpr int kSlideStep = 3;
constexpr int kScrollRest = -20;  // about two seconds at the start
constexpr int kScrollAgain = -10;

std::uint32_t Channel(std::uint32_t pixel, int shift) {
  return (pixel >> shift) & 0xFF;
}

std::uint32_t Pixel(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

}  // namespace

std::vector<std::string> WrapNotifyText(std::string_view text, int maxWidth,
                                        const std::function<int(std::string_view)>& width,
                                        std::size_t maxLines) {
  std::vector<std::string> lines = SplitLines(text);
  if (lines.size() > maxLines) lines.resize(maxLines);
  for (std::size_t i = 0; i < lines.size() && i < maxLines; ++i) {
    const std::string_view line = lines[i];
    if (width(line) <= maxWidth) continue;
    // Widths grow with the length: the longest fitting beginning by halving.
    std::size_t fits = 0;
    for (std::size_t low = 1, high = line.size() - 1; low <= high;) {
      const std::size_t middle = low + (high - low) / 2;
      if (width(line.substr(0, middle)) < maxWidth) {
        fits = middle;
        low = middle + 1;
      } else {
        high = middle - 1;
      }
    }
    if (fits == 0) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::string());
      continue;
    }
    std::string rest(line.substr(fits));
    lines[i].resize(fits);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(rest));
  }
  if (lines.size() > maxLines) lines.resize(maxLines);
  return lines;
}

TBitmap32 PremultiplySkin(const TBitmap32& skin) {
  TBitmap32 layer = skin;
  for (std::uint32_t& pixel : layer.Pixels) {
    const std::uint32_t a = Channel(pixel, 24);
    pixel = Pixel(a, Channel(pixel, 16) * a >> 8, Channel(pixel, 8) * a >> 8, Channel(pixel, 0) * a >> 8);
  }
  return layer;
}

void WhiteToTransparent(TBitmap32& layer) {
  for (std::uint32_t& pixel : layer.Pixels) {
    if ((pixel & 0xFFFFFF) == 0xFFFFFF) {
      pixel = 0;
      continue;
    }
    pixel =
        Pixel(255, Channel(pixel, 16) * 255 >> 8, Channel(pixel, 8) * 255 >> 8, Channel(pixel, 0) * 255 >> 8);
  }
}

void BlendRows(TBitmap32& target, const TBitmap32& source, int srcTop, int rows, int top) {
  const int width = std::min(target.Width, source.Width);
  for (int row = 0; row < rows; ++row) {
    const int from = srcTop + row;
    const int to = top + row;
    if (from < 0 || from >= source.Height || to < 0 || to >= target.Height) continue;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t s = source.Pixels[static_cast<std::size_t>(from) * source.Width + x];
      std::uint32_t& d = target.Pixels[static_cast<std::size_t>(to) * target.Width + x];
      const std::uint32_t keep = 255 - Channel(s, 24);
      std::uint32_t out = 0;
      for (const int shift : {24, 16, 8, 0})
        out |= std::min<std::uint32_t>(255, Channel(s, shift) + Channel(d, shift) * keep / 255) << shift;
      d = out;
    }
  }
}

TPoint NotifyPlacement(TSize screen, TSize window, const std::optional<TRect>& taskbar) {
  TPoint at{screen.Width - window.Width, screen.Height - window.Height};
  if (!taskbar) return at;
  // A taskbar at the right may start a pixel down; moving up by its whole
  // height would put the pop-up off the screen.
  if (taskbar->Left >= 1 && taskbar->Top < 2) {
    at.X -= taskbar->Width();
  } else if (taskbar->Top > 0) {
    at.Y -= taskbar->Height();
  }
  return at;
}

TNotifyPopup::TNotifyPopup(INotifyView& view, const TBitmap32& skin, std::function<void()> onAction)
    : view_(view), skin_(PremultiplySkin(skin)), onAction_(std::move(onAction)) {
  frame_ = TBitmap32{skin_.Width, skin_.Height,
                     std::vector<std::uint32_t>(static_cast<std::size_t>(skin_.Width) * skin_.Height)};
  text_ = frame_;
}

void TNotifyPopup::Show(const std::string& caption, const std::string& text) {
  caption_ = caption;
  CreateFormText(text);
  if (visible_) return RepaintForm();
  ShowAnimated();
}

void TNotifyPopup::CreateFormText(const std::string& text) {
  const int width = skin_.Width;
  const std::vector<std::string> lines = WrapNotifyText(
      text, width - kWrapMargin, [this](std::string_view piece) { return view_.TextWidth(piece); },
      kMaxLines);
  const int lineHeight = std::max(1, view_.LineHeight());
  const int height = std::max(skin_.Height, static_cast<int>(lines.size()) * lineHeight + kLayerSlack);
  text_ = view_.DrawTextLayer(width, height, caption_, lines);
  if (text_.Width != width || text_.Height != height ||
      text_.Pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    text_ = TBitmap32{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  }
  WhiteToTransparent(text_);
}

void TNotifyPopup::RepaintForm() {
  std::fill(frame_.Pixels.begin(), frame_.Pixels.end(), 0u);
  BlendRows(frame_, skin_, 0, skin_.Height, slide_);
  BlendRows(frame_, text_, 0, kCaptionRows, slide_);
  const int bodyRows = frame_.Height - kBodyTop;
  if (scroll_ < 0) {
    BlendRows(frame_, text_, kBodyTop, bodyRows, slide_ + kBodyTop);
  } else if (text_.Height > scroll_ + frame_.Height) {
    BlendRows(frame_, text_, scroll_ + kBodyTop, bodyRows, kBodyTop);
  } else {
    BlendRows(frame_, text_, text_.Height - frame_.Height + kBodyTop, bodyRows, kBodyTop);
  }
  view_.Present(frame_, at_.X, at_.Y);
}

void TNotifyPopup::ShowAnimated() {
  at_ = NotifyPlacement(view_.ScreenSize(), Size(), view_.TaskbarRect());
  slide_ = skin_.Height + 1;
  visible_ = true;
  view_.StartTimer(TNotifyTimer::Slide);
  RepaintForm();
}

void TNotifyPopup::OnTimer(TNotifyTimer timer) {
  if (!visible_) return;
  if (timer == TNotifyTimer::Slide) {
    slide_ -= kSlideStep;
    if (slide_ < 1) {
      slide_ = 0;
      view_.StopTimer(TNotifyTimer::Slide);
      scroll_ = kScrollRest;
      view_.StartTimer(TNotifyTimer::Scroll);
    }
  } else {
    ++scroll_;
    if (text_.Height <= scroll_ + frame_.Height - 20) scroll_ = kScrollAgain;
  }
  RepaintForm();
}

void TNotifyPopup::OnClick(int x, int y) {
  const TRect closeBox =
      TRect::OfSize(skin_.Width - kCloseBoxRight, kCloseBoxTop, kCloseBoxSide, kCloseBoxSide);
  if (!closeBox.Contains(x, y) && onAction_) onAction_();
  Close();
}

// A pop-up closed while it slides stops sliding too: nothing is drawn for a hidden window.
void TNotifyPopup::Close() {
  if (!visible_) return;
  visible_ = false;
  scroll_ = kScrollRest;
  view_.StopTimer(TNotifyTimer::Slide);
  view_.StopTimer(TNotifyTimer::Scroll);
  view_.Hide();
}

}  // namespace kivo
