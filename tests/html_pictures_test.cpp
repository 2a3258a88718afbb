// Pictures arriving into a shown page.
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
  std::string html = "<img src=0 width=5>";
  for (int i = 0; i < 50; ++i) html.append("<img src=").append(std::to_string(i)).append(">");
  TPage page(html);
  const int height = page.view.DocumentHeight();
  for (int i = 0; i < 50; ++i) page.view.InsertImage(std::to_string(i), Picture(10, 40));
  EXPECT_TRUE(page.view.LayoutPending());
  EXPECT_EQ(page.view.DocumentHeight(), height) << "laid out at an arrival";
  page.view.LayOutPictures();
  EXPECT_GT(page.view.DocumentHeight(), height);
  const TRect first = page.view.Document().Display().Items.at(0).Rect;
  EXPECT_EQ(std::pair(first.Width(), first.Height()), std::pair(5, 20)) << "each image of the source";
}

}  // namespace
}  // namespace kivo
