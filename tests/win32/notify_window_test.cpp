// The pop-up as the system gets it: the composed frame handed to
// UpdateLayeredWindow, compared with a committed reference (screen captures of
// layered windows are not dependable under Wine).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "base/Text1251.h"
#include "imaging/win32/WicImageDecoder.h"
#include "platform/FileIo.h"
#include "reader/win32/NotifyWindow.h"
#include "tests/win32/ReferenceImages.h"
#include "tests/win32/WicPngWriter.h"

namespace kivo {
namespace {

std::filesystem::path Reference() {
  return std::filesystem::path(KIVO_SOURCE_DIR) / "tests" / "fixtures" / "notify" / "update_notice.png";
}

// Through the slide, then two scroll ticks: the body still rests at its start.
TEST(NotifyWindow, TheRestingFrameLooksLikeItsReference) {
  int actions = 0;
  TNotifyWindow window(LoadNotifySkin(std::filesystem::path(KIVO_SOURCE_DIR) / "imaging" / "win32" / "res"),
                       [&actions] { ++actions; });
  window.ShowNotify(
      "KivoRss", Utf8ToWinOrKeep("Обновились ленты:\rSample\rAtom feed with a title too long for one line"));
  for (int i = 0; i < 1000 && window.Popup().SlideOffset() != 0; ++i)
    window.Popup().OnTimer(TNotifyTimer::Slide);
  window.Popup().OnTimer(TNotifyTimer::Scroll);
  window.Popup().OnTimer(TNotifyTimer::Scroll);
  ASSERT_EQ(window.Popup().SlideOffset(), 0);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(
      GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
      WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW);

  const TBitmap32& frame = window.Frame();
  if (testing::UpdatingReferences()) {
    EXPECT_TRUE(testing::WritePng(frame, Reference()));
  } else {
    const auto bytes = ReadFileBytes(Reference());
    const auto expected = bytes ? SharedImageDecoder().Decode(ImageKind::Png, *bytes) : std::nullopt;
    ASSERT_TRUE(expected) << Reference() << " missing or unreadable; KIVO_UPDATE_REFERENCES=1 writes it";
    const ::testing::AssertionResult same = testing::LooksLike(frame, *expected, true);
    EXPECT_TRUE(same);
    if (!same) testing::WritePng(frame, std::filesystem::path(KIVO_BINARY_DIR) / "update_notice.png");
  }

  // A click in the body opens the reader and closes the notice.
  SendMessageW(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(40, 40));
  EXPECT_EQ(actions, 1);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

}  // namespace
}  // namespace kivo
