// The notification pop-up (TFormNotify) as logic: the notice's lines, the
// layers and the frame, the slide-in and the scrolling, the place above the
// taskbar and the clicks. The view only draws text and puts frames on screen.
// Layers and frames are premultiplied 0xAARRGGBB, as a layered window takes them.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bitmap.h"
#include "base/Geometry.h"
#include "base/PluginWindow.h"

namespace kivo {

enum class TNotifyTimer { Slide, Scroll };  // Timer1 (15 ms), ScrollTimer (100 ms)

inline constexpr unsigned kSlideTimerMs = 15;
inline constexpr unsigned kScrollTimerMs = 100;

class INotifyView {
 public:
  virtual ~INotifyView() = default;
  // Widths in the body's font; the height of "W" is the line height.
  virtual int TextWidth(std::string_view text) = 0;
  virtual int LineHeight() = 0;
  // White, the caption in bold black at (15, 8) and in red at (14, 7), the
  // lines in black from (8, 22) one line height apart; alpha need not be set.
  virtual TBitmap32 DrawTextLayer(int width, int height, const std::string& caption,
                                  const std::vector<std::string>& lines) = 0;
  virtual TSize ScreenSize() = 0;
  virtual std::optional<TRect> TaskbarRect() = 0;  // Shell_TrayWnd's, when there is one
  virtual void StartTimer(TNotifyTimer timer) = 0;
  virtual void StopTimer(TNotifyTimer timer) = 0;
  // Shows `frame` at (left, top), topmost, without taking the focus.
  virtual void Present(const TBitmap32& frame, int left, int top) = 0;
  virtual void Hide() = 0;
};

// A notice's text as lines no wider than `maxWidth`: split at its line breaks
// (a break at the end adds no line), then each line too wide is cut after the
// longest beginning narrower than `maxWidth`, inside a word when it must; a
// line of which not even one character fits stays whole and an empty line
// follows it. At most `maxLines` lines are kept: a notice is what the feeds sent.
std::vector<std::string> WrapNotifyText(std::string_view text, int maxWidth,
                                        const std::function<int(std::string_view)>& width,
                                        std::size_t maxLines);

// The skin's colours times its alpha, shifted right by 8.
TBitmap32 PremultiplySkin(const TBitmap32& skin);
// Pure white becomes transparent; every other pixel opaque, its colour times 255 shifted right by 8.
void WhiteToTransparent(TBitmap32& layer);
// Source-over of premultiplied `source` rows [srcTop, srcTop + rows) onto `target` at (0, top), clipped.
void BlendRows(TBitmap32& target, const TBitmap32& source, int srcTop, int rows, int top);

// The top-left corner: the screen's bottom-right corner, above a taskbar at
// the bottom or left of one at the right; one at the top or left moves nothing.
struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};
TPoint NotifyPlacement(TSize screen, TSize window, const std::optional<TRect>& taskbar);

class TNotifyPopup {
 public:
  // Lines of a notice beyond this are dropped: the text layer is a bitmap.
  static constexpr std::size_t kMaxLines = 400;

  // `skin` as decoded (straight alpha); its size is the window's. `onAction`
  // runs for a click outside the close box, before the pop-up closes.
  TNotifyPopup(INotifyView& view, const TBitmap32& skin, std::function<void()> onAction);

  // ShowNotify: a visible pop-up takes the new text at once and goes on
  // sliding; a hidden one slides in.
  void Show(const std::string& caption, const std::string& text);
  void OnTimer(TNotifyTimer timer);
  void OnClick(int x, int y);  // client coordinates
  void OnRightButtonDown() { Close(); }
  void Close();

  bool Visible() const { return visible_; }
  TSize Size() const { return {skin_.Width, skin_.Height}; }
  const TBitmap32& Frame() const { return frame_; }
  const TBitmap32& TextLayer() const { return text_; }
  int SlideOffset() const { return slide_; }
  int ScrollPosition() const { return scroll_; }

 private:
  void CreateFormText(const std::string& text);
  void RepaintForm();
  void ShowAnimated();

  INotifyView& view_;
  TBitmap32 skin_;  // premultiplied
  std::function<void()> onAction_;
  std::string caption_;
  TBitmap32 text_;
  TBitmap32 frame_;
  TPoint at_;
  int slide_ = 0;
  int scroll_ = -20;
  bool visible_ = false;
};

// A pop-up window as the plugin keeps it: the update notice and the error
// notice are one each.
class INotifyWindow : public IPluginWindow {
 public:
  virtual void ShowNotify(const std::string& caption, const std::string& text) = 0;
};

}  // namespace kivo
