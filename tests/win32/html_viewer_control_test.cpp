#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "feeds/PageComposition.h"
#include "imaging/win32/WicImageDecoder.h"
#include "tests/win32/ReferenceImages.h"
#include "tests/win32/WicPngWriter.h"
#include "viewer/win32/GdiCanvas.h"
#include "viewer/win32/HtmlViewerControl.h"

namespace kivo {
namespace {

constexpr int kClientWidth = 400;
constexpr int kClientHeight = 300;

// An invisible top-level window of this thread: real input cannot reach it.
class THostWindow {
 public:
  THostWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kClientWidth + 100, kClientHeight + 100,
                                nullptr, nullptr, nullptr, nullptr)) {}
  ~THostWindow() { DestroyWindow(window_); }
  THostWindow(const THostWindow&) = delete;
  THostWindow& operator=(const THostWindow&) = delete;
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

struct TRightClick {
  POINT Screen;
  std::optional<std::string> Link;
};

std::string TallPage(const std::string& top, const std::string& bottom) {
  std::string page = "<html><body><p>" + top + "</p>";
  for (int i = 0; i < 80; ++i) page += "<p>filler line " + std::to_string(i) + "</p>";
  return page + "<p>" + bottom + "</p></body></html>";
}

LPARAM PointParam(POINT point) {
  return MAKELPARAM(point.x, point.y);
}

// Dispatches this thread's messages, timers among them, for a while.
void PumpMessagesFor(DWORD milliseconds) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(5))
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
}

class ViewerControlTest : public ::testing::Test {
 protected:
  ViewerControlTest() {
    control.SetBounds(0, 0, kClientWidth + GetSystemMetrics(SM_CXVSCROLL), kClientHeight);
    THtmlViewerEvents events;
    events.LinkClick = [this](const std::string& target) {
      links.push_back(target);
      return linkHandled;
    };
    events.RightClick = [this](POINT screen, const std::optional<std::string>& link) {
      rightClicks.push_back({screen, link});
    };
    events.ImageRequest = [this](const std::string& source) {
      requests.push_back(source);
      return source != "refused.png";
    };
    control.SetEvents(std::move(events));
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(control.Handle(), message, wParam, lParam);
  }

  // The first point, top to bottom, where the view sees a link to `target`.
  std::optional<POINT> PointOnLink(const std::string& target) const {
    for (int y = 0; y < kClientHeight; y += 2) {
      for (int x = 0; x < kClientWidth; x += 3) {
        if (control.View().LinkAt(x, y) == target) return POINT{x + 1, y + 1};
      }
    }
    return std::nullopt;
  }

  void Click(POINT at) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(at));
    Send(WM_LBUTTONUP, 0, PointParam(at));
  }

  int BarPosition() const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(control.Handle(), SB_VERT, &info);
    return info.nPos;
  }

  THostWindow host;
  THtmlViewerControl control{host.Get(), 100};
  bool linkHandled = false;
  std::vector<std::string> links;
  std::vector<TRightClick> rightClicks;
  std::vector<std::string> requests;
};

TEST_F(ViewerControlTest, FindSelectsOneOccurrenceAfterAnotherAndScrollsToIt) {
  control.LoadHtml(TallPage("a needle on top", "a needle at the end"));
  ASSERT_TRUE(control.Find(u"needle"));
  EXPECT_EQ(control.SelectedText(), u"needle");
  EXPECT_EQ(control.ScrollPos(), 0);

  ASSERT_TRUE(control.Find(u"needle"));
  EXPECT_EQ(control.SelectedText(), u"needle");
  EXPECT_GT(control.ScrollPos(), 0) << "the second occurrence lies far below the first screen";
  EXPECT_EQ(BarPosition(), control.ScrollPos());

  EXPECT_FALSE(control.Find(u"NEEDLE")) << "the search matches letter case";
  EXPECT_FALSE(control.Find(u"haystack"));
}

// Ctrl held in this thread's key state while it lives.
class TControlKeyDown {
 public:
  TControlKeyDown() {
    GetKeyboardState(saved_);
    BYTE pressed[256];
    std::copy(std::begin(saved_), std::end(saved_), pressed);
    pressed[VK_CONTROL] = 0x80;
    SetKeyboardState(pressed);
  }
  ~TControlKeyDown() { SetKeyboardState(saved_); }
  TControlKeyDown(const TControlKeyDown&) = delete;
  TControlKeyDown& operator=(const TControlKeyDown&) = delete;

 private:
  BYTE saved_[256] = {};
};

TEST_F(ViewerControlTest, CtrlASelectsTheWholeTextCtrlCCopiesItAndClearingLeavesNothing) {
  control.LoadHtml("<html><body><p>alpha</p><p>beta</p></body></html>");
  if (OpenClipboard(nullptr)) EmptyClipboard(), CloseClipboard();
  const TControlKeyDown ctrlHeld;
  Send(WM_KEYDOWN, 'A');
  const std::u16string selected = control.SelectedText();
  EXPECT_NE(selected.find(u"alpha"), std::u16string::npos);
  EXPECT_NE(selected.find(u"beta"), std::u16string::npos);

  Send(WM_KEYDOWN, 'C');
  ASSERT_TRUE(OpenClipboard(nullptr));
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const std::u16string copied = data == nullptr ? u"" : static_cast<const char16_t*>(GlobalLock(data));
  if (data != nullptr) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_NE(copied.find(u"alpha"), std::u16string::npos);
  EXPECT_NE(copied.find(u"beta"), std::u16string::npos);
  for (std::size_t i = copied.find(u'\n'); i != std::u16string::npos; i = copied.find(u'\n', i + 1)) {
    EXPECT_TRUE(i > 0 && copied[i - 1] == u'\r') << "clipboard lines end in CR LF";
  }

  control.ClearSelection();
  EXPECT_TRUE(control.SelectedText().empty());
  EXPECT_FALSE(control.View().HasSelection());
}

TEST_F(ViewerControlTest, PictureRequestsAreReportedOncePerSourceAndAnInsertedPictureTakesRoom) {
  control.LoadHtml(
      "<html><body><p>top</p><img src=\"later.png\"><img src=\"refused.png\"><img src=\"later.png\">"
      "<p>bottom</p></body></html>");
  EXPECT_EQ(requests, (std::vector<std::string>{"later.png", "refused.png"}));

  const int before = control.View().DocumentHeight();
  control.InsertImage("later.png", TBitmap32{40, 30, std::vector<std::uint32_t>(40 * 30, 0xFF336699)});
  EXPECT_EQ(control.View().DocumentHeight(), before) << "pictures arriving together are laid out together";
  PumpMessagesFor(300);
  EXPECT_GT(control.View().DocumentHeight(), before);

  control.LoadHtml("<html><body><img src=\"later.png\"></body></html>");
  EXPECT_EQ(requests.size(), 3u) << "a new page asks again";
}

struct TLinkCase {
  const char* Target;
  bool Handled;
  bool Scrolls;
};

TEST_F(ViewerControlTest, LinkClickIsReportedAndOnlyAnUnhandledAnchorScrolls) {
  const TLinkCase cases[] = {
      {"#end", false, true},
      {"#end", true, false},
      {"http://example.org/", false, false},
  };
  for (const TLinkCase& c : cases) {
    SCOPED_TRACE(std::string(c.Target) + (c.Handled ? " handled" : " not handled"));
    links.clear();
    linkHandled = c.Handled;
    control.LoadHtml(TallPage(std::string("<a href=\"") + c.Target + "\">go to the end</a>",
                              "<a name=\"end\">the end</a>"));
    const auto at = PointOnLink(c.Target);
    ASSERT_TRUE(at) << "the link is on the first screen";
    Click(*at);
    EXPECT_EQ(links, std::vector<std::string>{c.Target});
    EXPECT_EQ(control.ScrollPos() > 0, c.Scrolls);
  }
}

TEST_F(ViewerControlTest, DraggingFromALinkSelectsInsteadOfClicking) {
  control.LoadHtml(
      "<html><body><p><a href=\"http://example.org/\">a link</a> and more words after it</p>"
      "<p>a second paragraph to drag into</p></body></html>");
  const auto at = PointOnLink("http://example.org/");
  ASSERT_TRUE(at);
  const POINT end{at->x + 150, at->y + 20};
  Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(*at));
  Send(WM_MOUSEMOVE, MK_LBUTTON, PointParam(end));
  Send(WM_LBUTTONUP, 0, PointParam(end));
  EXPECT_TRUE(links.empty());
  EXPECT_FALSE(control.SelectedText().empty());
}

TEST_F(ViewerControlTest, RightClickReportsTheScreenPointAndTheLinkUnderIt) {
  control.LoadHtml(
      "<html><body><p><a href=\"http://example.org/\">a link</a></p>"
      "<p>plain text</p></body></html>");
  const auto onLink = PointOnLink("http://example.org/");
  ASSERT_TRUE(onLink);
  const POINT offLink{5, kClientHeight - 5};
  Send(WM_RBUTTONUP, 0, PointParam(*onLink));
  Send(WM_RBUTTONUP, 0, PointParam(offLink));

  ASSERT_EQ(rightClicks.size(), 2u);
  POINT screen = *onLink;
  ClientToScreen(control.Handle(), &screen);
  EXPECT_EQ(rightClicks[0].Screen.x, screen.x);
  EXPECT_EQ(rightClicks[0].Screen.y, screen.y);
  EXPECT_EQ(rightClicks[0].Link, "http://example.org/");
  EXPECT_EQ(rightClicks[1].Link, std::nullopt);
}

struct TScrollCase {
  const char* Name;
  UINT Message;
  WPARAM WParam;
  int Start;
  int Expected;  // -1: the bottom
};

TEST_F(ViewerControlTest, ScrollInputsMoveByTheirStepAndTheBarFollows) {
  const TScrollCase cases[] = {
      {"wheel down one notch: three lines", WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0, 48},
      {"wheel up one notch", WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 100, 52},
      {"bar line down", WM_VSCROLL, SB_LINEDOWN, 0, 16},
      {"bar line up", WM_VSCROLL, SB_LINEUP, 10, 0},
      {"bar page down", WM_VSCROLL, SB_PAGEDOWN, 0, kClientHeight},
      {"bar bottom", WM_VSCROLL, SB_BOTTOM, 0, -1},
      {"key down", WM_KEYDOWN, VK_DOWN, 0, 16},
      {"key page up", WM_KEYDOWN, VK_PRIOR, 400, 100},
      {"key end", WM_KEYDOWN, VK_END, 0, -1},
      {"key home", WM_KEYDOWN, VK_HOME, 200, 0},
  };
  control.LoadHtml(TallPage("top", "bottom"));
  const int bottom = control.View().DocumentHeight() - kClientHeight;
  ASSERT_GT(bottom, 400);
  for (const TScrollCase& c : cases) {
    SCOPED_TRACE(c.Name);
    control.ScrollTo(c.Start);
    Send(c.Message, c.WParam, 0);
    EXPECT_EQ(control.ScrollPos(), c.Expected < 0 ? bottom : c.Expected);
    EXPECT_EQ(BarPosition(), control.ScrollPos());
  }
}

struct TBlendCase {
  const char* Name;
  std::uint32_t Source;  // straight alpha
  std::uint32_t Expected;
};

TEST(GdiCanvas, PicturesBlendByTheirStraightAlpha) {
  const TBlendCase cases[] = {
      {"opaque", 0xFF0000FF, 0x0000FF},
      {"transparent", 0x000000FF, 0xFFFFFF},
      {"half", 0x80FF0000, 0xFF7F7F},
  };
  TGdiFonts fonts;
  TDibSurface surface(4, 4);
  ASSERT_TRUE(surface);
  for (const TBlendCase& c : cases) {
    SCOPED_TRACE(c.Name);
    {
      TGdiCanvas canvas(surface.Dc(), fonts);
      canvas.FillRect(TRect{0, 0, 4, 4}, 0xFFFFFF);
      canvas.DrawImage(TRect{0, 0, 4, 4}, TBitmap32{1, 1, {c.Source}}, 0);
    }
    GdiFlush();
    const std::uint32_t pixel = surface.Pixels()[5] & 0xFFFFFF;
    for (int shift = 0; shift < 24; shift += 8) {
      EXPECT_NEAR(static_cast<int>(pixel >> shift & 0xFF), static_cast<int>(c.Expected >> shift & 0xFF), 2)
          << std::hex << "pixel 0x" << pixel;
    }
  }
}

// Every paint premultiplied the full-size picture again, and GDI shrank it
// pixel by pixel in each blend.
TEST(GdiCanvas, PictureIsMadeReadyOnceForEachSizeItIsDrawnAt) {
  const std::pair<std::uint64_t, int> draws[] = {{7, 4}, {7, 4}, {7, 8},  {7, 4},
                                                 {8, 4}, {0, 4}, {7, 32}, {7, 16}};
  const std::size_t made[] = {1, 1, 2, 2, 3, 3, 4, 4};  // stamp 0 is never kept; 32 is drawn from 16
  TGdiFonts fonts;
  TDibSurface surface(32, 32);
  TDrawnPictures pictures;
  const TBitmap32 halfRed{16, 16, std::vector<std::uint32_t>(16 * 16, 0x80FF0000)};
  for (std::size_t i = 0; i < std::size(draws); ++i) {
    {
      TGdiCanvas canvas(surface.Dc(), fonts, &pictures);
      canvas.FillRect(TRect{0, 0, 32, 32}, 0xFFFFFF);
      canvas.DrawImage(TRect{0, 0, draws[i].second, draws[i].second}, halfRed, draws[i].first);
    }
    GdiFlush();
    EXPECT_EQ(pictures.Made(), made[i]) << i;
    EXPECT_NEAR(static_cast<int>(surface.Pixels()[33] >> 8 & 0xFF), 0x7F, 2) << "half red on white, " << i;
  }
}

// ---- rendering against committed references

std::filesystem::path ViewerFixtures() {
  return std::filesystem::path(KIVO_SOURCE_DIR) / "tests" / "fixtures" / "viewer";
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TBitmap32 RenderThroughControl(std::string_view html) {
  THostWindow host;
  THtmlViewerControl control(host.Get(), 1);
  control.SetBounds(0, 0, kClientWidth + GetSystemMetrics(SM_CXVSCROLL), kClientHeight);
  control.LoadHtml(html);
  TDibSurface surface(kClientWidth, kClientHeight);
  SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.Dc()), PRF_CLIENT);
  GdiFlush();
  TBitmap32 image{kClientWidth, kClientHeight, {}};
  image.Pixels.assign(surface.Pixels(), surface.Pixels() + kClientWidth * kClientHeight);
  for (std::uint32_t& pixel : image.Pixels) pixel |= 0xFF000000;
  return image;
}

std::string ComposedThemePage() {
  tchannelrecord theme;
  theme.Title = u"Заголовок новости";
  theme.Date = u"Sun, 06 Dec 2026 12:00:00 GMT";
  theme.Text = u"Текст новости с <b>жирным</b> словом и <a href=\"http://example.org/\">ссылкой</a>.";
  theme.Link = u"http://example.org/news/1";
  theme.Category = u"Категория";
  return MakeThemePage(theme, 2);
}

TEST(ViewerRender, PagesLookLikeTheirReferences) {
  if (!std::filesystem::exists(ViewerFixtures())) GTEST_SKIP() << "no fixtures at " << ViewerFixtures();
  const bool update = testing::UpdatingReferences();
  const std::pair<std::string, std::string> pages[] = {
      {"paragraphs", ReadFile(ViewerFixtures() / "paragraphs.html")},
      {"table", ReadFile(ViewerFixtures() / "table.html")},
      {"list_link_rule", ReadFile(ViewerFixtures() / "list_link_rule.html")},
      {"theme_page", ComposedThemePage()},
  };
  for (const auto& [name, html] : pages) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(html.empty());
    const TBitmap32 rendered = RenderThroughControl(html);
    const std::filesystem::path reference = ViewerFixtures() / "ref" / (name + ".png");
    if (update) {
      EXPECT_TRUE(testing::WritePng(rendered, reference));
      continue;
    }
    const auto expected = SharedImageDecoder().Decode(ImageKind::Png, ReadFile(reference));
    ASSERT_TRUE(expected) << reference << " missing or unreadable; KIVO_UPDATE_REFERENCES=1 writes it";
    const ::testing::AssertionResult same = testing::LooksLike(rendered, *expected);
    EXPECT_TRUE(same);
    // Beside the build, for a look at what changed.
    if (!same) testing::WritePng(rendered, std::filesystem::path(KIVO_BINARY_DIR) / (name + ".png"));
  }
}

}  // namespace
}  // namespace kivo
