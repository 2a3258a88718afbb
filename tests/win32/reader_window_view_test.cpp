#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reader/ReaderCommands.h"
#include "reader/ReaderWindow.h"
#include "reader/win32/ReaderWindowView.h"
#include "reader/win32/StatusBar.h"
#include "tests/support/FeedTestDoubles.h"
#include "tests/support/ReaderTestDoubles.h"

namespace kivo {
namespace {

RECT RectIn(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class ReaderViewTest : public ::testing::Test {
 protected:
  HWND Child(const wchar_t* className) const {
    return FindWindowExW(view.Handle(), nullptr, className, nullptr);
  }
  // What the message loop does next: tabs are laid out after the last one is added.
  static void RunPendingMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  LRESULT Probe(TReaderProbe probe, int argument) const {
    return SendMessageW(view.Handle(), RegisterWindowMessageW(kReaderProbeMessage),
                        static_cast<WPARAM>(probe), argument);
  }

  testing::FakeReaderHost host;
  tgradientsclass skin{TSkinColors{}, 600};
  TReaderWindowView view{&skin, host};
};

TEST_F(ReaderViewTest, SplitterAndViewerFollowTheThemeListsHeightAndVisibility) {
  struct TCase {
    bool Visible;
    int Height;
  };
  for (const TCase& c : {TCase{true, 50}, TCase{true, 120}, TCase{false, 120}}) {
    view.SetGridVisible(c.Visible);
    view.SetGridHeight(c.Height);
    const HWND grid = Child(L"TKivoThemeGrid");
    const RECT bar = RectIn(view.Handle(), Child(L"TKivoSplitterBar"));
    const RECT viewer = RectIn(view.Handle(), Child(L"KivoHtmlViewer"));
    // The view itself is hidden: the list's own style says whether it shows.
    EXPECT_EQ((GetWindowLongPtrW(grid, GWL_STYLE) & WS_VISIBLE) != 0, c.Visible) << c.Height;
    if (c.Visible) {
      EXPECT_EQ(bar.top, RectIn(view.Handle(), grid).bottom) << c.Height;
      EXPECT_EQ(RectIn(view.Handle(), grid).bottom - RectIn(view.Handle(), grid).top, c.Height);
    }
    EXPECT_EQ(bar.bottom - bar.top, 8);
    EXPECT_EQ(viewer.top, bar.bottom) << c.Visible << " " << c.Height;
  }
}

TEST_F(ReaderViewTest, StatusPanelsHaveTheirWidths) {
  std::array<int, 6> edges{};
  const HWND status = Child(kStatusBarClass);
  ASSERT_EQ(SendMessageW(status, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data())), 6);
  EXPECT_EQ(edges, (std::array<int, 6>{106, 206, 266, 326, 386, 686}));
}

TEST_F(ReaderViewTest, TabsMoveToTheBottomAndBack) {
  view.AddTab("one|wu");
  RunPendingMessages();
  const HWND tabs = Child(WC_TABCONTROLW);
  const int topGrid = RectIn(view.Handle(), Child(L"TKivoThemeGrid")).top;
  view.SetTabsAtBottom(true);
  EXPECT_NE(GetWindowLongPtrW(tabs, GWL_STYLE) & TCS_BOTTOM, 0);
  // The tab row left the top: the list starts higher.
  EXPECT_LT(RectIn(view.Handle(), Child(L"TKivoThemeGrid")).top, topGrid);
  view.SetTabsAtBottom(false);
  EXPECT_EQ(GetWindowLongPtrW(tabs, GWL_STYLE) & TCS_BOTTOM, 0);
  EXPECT_EQ(RectIn(view.Handle(), Child(L"TKivoThemeGrid")).top, topGrid);
}

TEST_F(ReaderViewTest, TabUnderTheMouseIsHotUntilThePointerLeaves) {
  view.AddTab("one|wu");
  view.AddTab("two|wu");
  const HWND tabs = Child(WC_TABCONTROLW);
  RECT second{};
  ASSERT_TRUE(TabCtrl_GetItemRect(tabs, 1, &second));
  const auto moveTo = [tabs](LONG x, LONG y) { SendMessageW(tabs, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); };
  moveTo((second.left + second.right) / 2, (second.top + second.bottom) / 2);
  EXPECT_EQ(Probe(TReaderProbe::HotTab, 0), 1);
  moveTo(second.right + 200, second.bottom + 200);
  EXPECT_EQ(Probe(TReaderProbe::HotTab, 0), -1);
  moveTo(second.left + 2, second.top + 2);
  SendMessageW(tabs, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Probe(TReaderProbe::HotTab, 0), -1);
  moveTo(second.left + 2, second.top + 2);
  view.ClearTabs();
  EXPECT_EQ(Probe(TReaderProbe::HotTab, 0), -1) << "no tab left to be hot";
}

TEST_F(ReaderViewTest, ProbeReadsMarksOnlyFromNumericMarkCells) {
  view.SetGridRows({{"", "Title", "Date"}, {"1", "a", ""}, {"", "b", ""}, {"x", "c", ""}, {"4", "d", ""}});
  struct TCase {
    int Row;
    LRESULT Mark;
  };
  for (const TCase& c : {TCase{0, -1}, TCase{1, 1}, TCase{2, -1}, TCase{3, -1}, TCase{4, 4}, TCase{9, -1}}) {
    EXPECT_EQ(Probe(TReaderProbe::RowMark, c.Row), c.Mark) << c.Row;
  }
  EXPECT_EQ(Probe(TReaderProbe::RowCount, 0), 5);
  EXPECT_EQ(Probe(TReaderProbe::Busy, 0), 0);
  // Without the logic nothing is selected as a user would.
  EXPECT_EQ(Probe(TReaderProbe::SelectRow, 1), 0);
}

TEST(ThemeGridTest, RowUnderThePointerSkipsHeaderAndGridLines) {
  const HWND parent =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  const TPictureList pictures = WindowPictures();
  {
    TThemeGrid grid(parent, 1, pictures, {});
    MoveWindow(grid.Handle(), 0, 0, 300, 200, FALSE);
    grid.SetRows({{"", "Title", "Date"}, {"0", "a", ""}, {"1", "b", ""}, {"2", "c", ""}});
    struct TCase {
      int Y;
      int Row;
    };
    for (const TCase& c : {TCase{0, -1}, TCase{17, -1}, TCase{18, 1}, TCase{35, 1}, TCase{36, 2},
                           TCase{54, 3}, TCase{72, -1}}) {
      EXPECT_EQ(grid.RowAt(c.Y), c.Row) << c.Y;
    }
  }
  DestroyWindow(parent);
}

// What the theme list reports for a sequence of user actions on 4 data rows.
TEST(ThemeGridTest, UserSelectionReportsClicksButProgramSelectionDoesNot) {
  const HWND parent =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  const TPictureList pictures = WindowPictures();
  std::string events;
  TThemeGridEvents handlers;
  handlers.Click = [&events] { events += "c"; };
  handlers.DoubleClick = [&events] { events += "d"; };
  {
    TThemeGrid grid(parent, 1, pictures, std::move(handlers));
    MoveWindow(grid.Handle(), 0, 0, 300, 200, FALSE);
    const auto press = [&grid](int y) {
      SendMessageW(grid.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, y));
    };
    const auto key = [&grid](WPARAM code) { SendMessageW(grid.Handle(), WM_KEYDOWN, code, 0); };
    struct TCase {
      const char* Name;
      std::function<void()> Act;
      const char* Events;
      int Selected;
    };
    const std::vector<TCase> cases = {
        {"program selects", [&] { grid.SetSelectedRow(3); }, "", 3},
        {"header pressed", [&] { press(5); }, "", 3},
        {"row 2 pressed", [&] { press(40); }, "c", 2},
        // Sent messages share one message time: the second press is a double click.
        {"row 2 pressed again", [&] { press(40); }, "d", 2},
        {"down key", [&] { key(VK_DOWN); }, "c", 3},
        {"end key", [&] { key(VK_END); }, "c", 4},
        {"down at the last row", [&] { key(VK_DOWN); }, "", 4},
    };
    grid.SetRows({{"", "Title", "Date"}, {"0", "a", ""}, {"1", "b", ""}, {"2", "c", ""}, {"0", "d", ""}});
    for (const TCase& c : cases) {
      events.clear();
      c.Act();
      EXPECT_EQ(events, c.Events) << c.Name;
      EXPECT_EQ(grid.SelectedRow(), c.Selected) << c.Name;
    }
  }
  DestroyWindow(parent);
}

TEST_F(ReaderViewTest, MovingNearTheWorkAreaEdgeSnapsThroughTheLogic) {
  testing::FakeClock clock;
  const TFixedLocaleFormats locale;
  testing::FakeHttpClient http;
  testing::MessageQueue queue;
  testing::HeldThreads threads;
  TReaderWindow logic({.View = view,
                       .Host = host,
                       .Clock = clock,
                       .Locale = locale,
                       .ImageDecoder = NoImageDecoder(),
                       .Http = http,
                       .Poster = queue,
                       .FeedThreads = threads,
                       .PictureThreads = threads});
  view.SetLogic(&logic);
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT moving{area.left + 4, area.top + 100, area.left + 404, area.top + 400};
  SendMessageW(view.Handle(), WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&moving));
  EXPECT_EQ(moving.left, area.left);
  EXPECT_EQ(moving.right - moving.left, 400);
  view.SetLogic(nullptr);
}

}  // namespace
}  // namespace kivo
