#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "reader/NotifyPopup.h"

namespace kivo {
namespace {

constexpr int kCharWidth = 6;
constexpr int kLine = 13;

// Text 6 pixels a character; each drawn line leaves one pixel that names it.
class FakeNotifyView : public INotifyView {
 public:
  int TextWidth(std::string_view text) override { return static_cast<int>(text.size()) * kCharWidth; }
  int LineHeight() override { return kLine; }
  TBitmap32 DrawTextLayer(int width, int height, const std::string& caption,
                          const std::vector<std::string>& lines) override {
    TBitmap32 layer{width, height,
                    std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0xFFFFFF)};
    if (!caption.empty()) layer.Pixels[7 * width + 14] = 0xFF0000;
    for (std::size_t i = 0; i < lines.size(); ++i)
      layer.Pixels[(22 + i * kLine) * width + 8] = static_cast<std::uint32_t>(i + 1) * 8;  // blue
    drawn = lines;
    return layer;
  }
  TSize ScreenSize() override { return {1024, 768}; }
  std::optional<TRect> TaskbarRect() override { return taskbar; }
  void StartTimer(TNotifyTimer timer) override { running.insert(timer); }
  void StopTimer(TNotifyTimer timer) override { running.erase(timer); }
  void Present(const TBitmap32& frame, int left, int top) override {
    shown = true;
    at = {left, top};
    ++presents;
    last = frame;
  }
  void Hide() override { shown = false; }

  std::optional<TRect> taskbar;
  std::set<TNotifyTimer> running;
  std::vector<std::string> drawn;
  bool shown = false;
  TPoint at;
  int presents = 0;
  TBitmap32 last;
};

TBitmap32 Skin(int width = 200, int height = 70) {
  return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0x80FF0000)};
}

// The lines whose markers the frame's body shows, top down.
std::vector<std::uint32_t> ShownLines(const TBitmap32& frame) {
  std::vector<std::uint32_t> lines;
  for (int y = 22; y < frame.Height; ++y) {
    const std::uint32_t pixel = frame.Pixels[static_cast<std::size_t>(y) * frame.Width + 8];
    // Made opaque, blue 8 x n became 8 x n - 1.
    if (pixel >> 24 == 255 && (pixel & 0xFFFF00) == 0 && (pixel & 0xFF) != 0)
      lines.push_back(((pixel & 0xFF) + 1) / 8);
  }
  return lines;
}

struct PopupRig {
  FakeNotifyView view;
  int actions = 0;
  TNotifyPopup popup{view, Skin(), [this] { ++actions; }};

  void SlideIn() {
    for (int i = 0; i < 100 && view.running.count(TNotifyTimer::Slide) != 0; ++i)
      popup.OnTimer(TNotifyTimer::Slide);
  }
};

TEST(WrapNotifyText, LinesAreCutInsideWordsAndALineWithoutRoomStaysWhole) {
  const auto width = [](std::string_view text) { return static_cast<int>(text.size()) * kCharWidth; };
  const struct {
    const char* text;
    int maxWidth;
    std::vector<std::string> lines;
  } cases[] = {
      {"Updated:\rabc\r", 100, {"Updated:", "abc"}},
      {"a\r\nb\nc\r\rd", 100, {"a", "b", "c", "", "d"}},
      {"abcdefghij", 25, {"abcd", "efgh", "ij"}},
      {"abcd", 24, {"abcd"}},
      {"abcde", 24, {"abc", "de"}},  // a beginning must stay below the width
      {"abcd", 5, {"abcd", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapNotifyText(c.text, c.maxWidth, width, 100), c.lines) << c.text;
  EXPECT_EQ(WrapNotifyText(std::string(10000, 'x'), 24, width, 400).size(), 400u);
}

TEST(NotifyPopup, LayersArePremultipliedAndWhiteTurnsTransparent) {
  EXPECT_EQ(PremultiplySkin({1, 1, {0x80FF4020}}).Pixels[0], 0x807F2010u);
  TBitmap32 layer{3, 1, {0x00FFFFFF, 0x00000000, 0x00FF0000}};
  WhiteToTransparent(layer);
  EXPECT_EQ(layer.Pixels, (std::vector<std::uint32_t>{0, 0xFF000000, 0xFFFE0000}));
  TBitmap32 frame{1, 1, {0xFF0000FF}};
  BlendRows(frame, {1, 1, {0x80400000}}, 0, 1, 0);
  EXPECT_EQ(frame.Pixels[0], 0xFF40007Fu);
}

TEST(NotifyPopup, SitsAboveOrBesideTheTaskbarAtTheBottomOrRightOnly) {
  const TSize screen{1024, 768};
  const TSize window{200, 70};
  const struct {
    std::optional<TRect> taskbar;
    TPoint at;
  } cases[] = {
      {std::nullopt, {824, 698}},
      {TRect{0, 738, 1024, 768}, {824, 668}},  // bottom
      {TRect{964, 0, 1024, 768}, {764, 698}},  // right
      {TRect{964, 1, 1024, 768}, {764, 698}},  // right, one pixel down: not taken for the bottom
      {TRect{0, 0, 1024, 30}, {824, 698}},     // top
      {TRect{0, 0, 60, 768}, {824, 698}},      // left
  };
  for (const auto& c : cases) EXPECT_EQ(NotifyPlacement(screen, window, c.taskbar), c.at);
}

TEST(NotifyPopup, AOneLineNoticeRestsAndTwentyTitlesScrollThroughAndStartAgain) {
  PopupRig rig;
  rig.popup.Show("Info", "one line");
  EXPECT_EQ(rig.popup.SlideOffset(), 71);
  rig.SlideIn();
  EXPECT_EQ(rig.popup.SlideOffset(), 0);
  EXPECT_EQ(rig.view.running, std::set<TNotifyTimer>{TNotifyTimer::Scroll});
  const TBitmap32 rest = rig.view.last;
  for (int i = 0; i < 200; ++i) {
    rig.popup.OnTimer(TNotifyTimer::Scroll);
    ASSERT_EQ(rig.view.last.Pixels, rest.Pixels) << "tick " << i;
  }

  std::string titles = "Updated:";
  for (int i = 1; i <= 20; ++i) titles += "\rtitle " + std::to_string(i);
  rig.popup.Show("KivoRss", titles);  // visible: the new text at once
  EXPECT_EQ(rig.popup.TextLayer().Height, 21 * kLine + 30);
  std::set<std::uint32_t> seen;
  bool wrapped = false;
  for (int i = 0; i < 400 && !wrapped; ++i) {
    const int before = rig.popup.ScrollPosition();
    rig.popup.OnTimer(TNotifyTimer::Scroll);
    for (const std::uint32_t line : ShownLines(rig.view.last)) seen.insert(line);
    wrapped = rig.popup.ScrollPosition() < before;
  }
  EXPECT_TRUE(wrapped);
  EXPECT_EQ(rig.popup.ScrollPosition(), -10);
  EXPECT_EQ(seen.size(), 21u);                       // every line came into view
  EXPECT_EQ(ShownLines(rig.view.last).front(), 1u);  // and the start again
}

TEST(NotifyPopup, ASecondNoticeDuringTheSlideReplacesTheTextAndTheSlideGoesOn) {
  PopupRig rig;
  rig.popup.Show("Info", "first");
  for (int i = 0; i < 5; ++i) rig.popup.OnTimer(TNotifyTimer::Slide);
  rig.popup.Show("Info", "second\rnotice");
  EXPECT_EQ(rig.popup.SlideOffset(), 71 - 15);
  EXPECT_EQ(rig.view.drawn, (std::vector<std::string>{"second", "notice"}));
  EXPECT_EQ(rig.view.running, std::set<TNotifyTimer>{TNotifyTimer::Slide});
}

TEST(NotifyPopup, TheCloseBoxAndTheRightButtonCloseAnyOtherClickActsFirst) {
  const struct {
    int x, y;
    bool right;
    int actions;
  } cases[] = {{175, 8, false, 0},  {191, 24, false, 0}, {174, 8, false, 1},
               {175, 25, false, 1}, {20, 40, false, 1},  {20, 40, true, 0}};
  for (const auto& c : cases) {
    PopupRig rig;
    rig.popup.Show("Info", "text");
    if (c.right) {
      rig.popup.OnRightButtonDown();
    } else {
      rig.popup.OnClick(c.x, c.y);
    }
    EXPECT_EQ(rig.actions, c.actions) << c.x << "," << c.y;
    EXPECT_FALSE(rig.view.shown);
    EXPECT_TRUE(rig.view.running.empty());  // also when closed during the slide
    EXPECT_EQ(rig.popup.ScrollPosition(), -20);
  }
}

}  // namespace
}  // namespace kivo
