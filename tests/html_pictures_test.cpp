// Pictures arriving into a shown page, the alternative text of a picture over the page's budget,
// and the stamps that let a canvas keep what it made of a picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/FakeCanvas.h"
#include "viewer/HtmlDocument.h"
#include "viewer/HtmlView.h"

namespace kivo {
namespace {

TBitmap32 Picture(int width, int height) {
  return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))};
}

struct TPage {
  explicit TPage(const std::string& html) {
    view.SetViewport(300, 400);
    view.LoadHtml(html);
  }
  testing::FixedMetrics metrics;
  THtmlView view{metrics};
};

// Each arriving picture looked through every image of the page for its own
// and laid the whole page out again: a page of a thousand pictures was laid
// out a thousand times on the UI thread.
TEST(HtmlPictures, ArrivingPicturesWaitForOneLayoutPass) {
  TPage page("<img src=0 width=5><img src=0><img src=1>");
  const int height = page.view.DocumentHeight();
  for (const char* source : {"0", "1"}) page.view.InsertImage(source, Picture(10, 40));
  EXPECT_TRUE(page.view.LayoutPending() && page.view.DocumentHeight() == height) << "laid out at an arrival";
  page.view.LayOutPictures();
  EXPECT_GT(page.view.DocumentHeight(), height);
  const TRect first = page.view.Document().Display().Items.at(0).Rect;
  EXPECT_EQ(std::pair(first.Width(), first.Height()), std::pair(5, 20)) << "each image of the source";
}

// Draws nothing; notes where texts go and the stamps of the pictures.
class TNotingCanvas final : public ICanvas {
 public:
  void FillRect(const TRect&, TColor) override {}
  void FrameRect(const TRect&, TColor) override {}
  void DrawText(int x, int, const TFontSpec&, TColor, std::u16string_view text) override {
    texts.emplace_back(x, text);
  }
  void DrawImage(const TRect&, const TBitmap32&, std::uint64_t stamp) override { stamps.push_back(stamp); }
  std::vector<std::pair<int, std::u16string>> texts;
  std::vector<std::uint64_t> stamps;
};

// A picture over the page's budget never comes: the page shows its alt text
// in its place, as text (a link's stays a link).
TEST(HtmlPictures, PictureOverTheBudgetShowsItsAltText) {
  const std::tuple<const char*, std::vector<std::pair<int, std::u16string>>, bool> cases[] = {
      // page, texts drawn, a link
      {"<img src=p alt=\"Big map\">x", {{8, u"Big map"}, {8 + 7 * testing::kCharWidth, u"x"}}, false},
      {"<a href=m><img src=p alt=Map></a>x", {{8, u"Map"}, {8 + 3 * testing::kCharWidth, u"x"}}, true},
      {"<img src=p width=40>x", {{8, u"x"}}, false}};
  for (const auto& [html, texts, link] : cases) {
    TPage page(html);
    page.view.InsertImageAlt("p");
    page.view.LayOutPictures();
    TNotingCanvas canvas;
    page.view.Paint(canvas, {0, 0, 300, 400});
    EXPECT_EQ(canvas.texts, texts) << html;
    EXPECT_EQ(page.view.LinkAt(9, 9).has_value(), link) << html;
  }
}

// Every paint premultiplied the full-size picture again; a canvas may keep
// what it made of a picture only if the same pixels keep the same stamp.
TEST(HtmlPictures, SamePixelsKeepTheirStampAndNewPixelsGetANewOne) {
  TPage page("<img src=a><img src=b><img src=a width=4>");
  const auto paint = [&page](const char* arriving) {
    page.view.InsertImage(arriving, Picture(8, 8));
    TNotingCanvas canvas;
    page.view.Paint(canvas, {0, 0, 300, 400});
    return canvas.stamps;
  };
  paint("a");
  const std::vector<std::uint64_t> first = paint("b");
  ASSERT_TRUE(first.size() == 3 && first[0] != 0 && first[0] == first[2] && first[0] != first[1]);
  const std::vector<std::uint64_t> replaced = paint("a");
  EXPECT_TRUE(replaced[0] != first[0] && replaced[1] == first[1]) << "new pixels under an old stamp";
  page.view.LoadHtml("<img src=a>");
  EXPECT_NE(paint("a").at(0), replaced[0]) << "a new page reused a stamp";
}

}  // namespace
}  // namespace kivo
