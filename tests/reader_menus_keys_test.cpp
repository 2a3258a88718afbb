// The feeds menu's drawing rule and the N key's walk over unread themes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "reader/ReaderView.h"
#include "tests/support/ReaderWindowFixture.h"

namespace kivo {
namespace {

TEST(FeedMenuItemLook, PictureAndCaptionByTagAndTabCount) {
  const struct {
    int tag;
    int tabs;
    const char* caption;
    bool drawn;
    TMenuPicture picture;
    int index;
    const char* shown;
  } cases[] = {
      {0, 3, "News", true, TMenuPicture::SiteIcon, 0, "News"},
      {2, 3, "&News", true, TMenuPicture::SiteIcon, 2, "News"},  // the accelerator mark goes
      {3, 3, "News", false, TMenuPicture::None, -1, ""},         // no such tab: an empty item
      {-1, 3, "&Options", true, TMenuPicture::Window, 7, "Options"},
      {-2, 0, "Add feed", true, TMenuPicture::Window, 6, "Add feed"},  // drawn with no tabs at all
      {-3, 3, "Other", true, TMenuPicture::None, -1, "Other"},
      {0, 3, "&&Co", true, TMenuPicture::SiteIcon, 0, "&Co"},  // only one leading mark
      {0, 3, "R&D", true, TMenuPicture::SiteIcon, 0, "R&D"},
  };
  for (const auto& c : cases) {
    const TFeedMenuLook look = FeedMenuItemLook(c.tag, c.tabs, c.caption);
    EXPECT_EQ(look.DrawsContent, c.drawn) << c.tag << " " << c.caption;
    EXPECT_EQ(look.Picture, c.picture) << c.tag << " " << c.caption;
    if (c.picture != TMenuPicture::None) {
      EXPECT_EQ(look.Index, c.index) << c.tag;
    }
    if (c.drawn) {
      EXPECT_EQ(look.Caption, c.shown) << c.tag;
    }
  }
}

class NextUnreadTest : public ReaderWindowTest {
 protected:
  std::pair<int, int> Press(bool shift = false, bool ctrl = false) {
    window_->OnKeyDown({kKeyN, ctrl, shift});
    return {view_.SelectedTab(), view_.SelectedRow()};
  }
};

TEST_F(NextUnreadTest, WalksOnThroughTheFeedsWithUnreadThemesAndRoundToTheStart) {
  AddFeed("A", {{u"a1", 1}, {u"a2", 0}, {u"a3", 2}, {u"a4", 0}});
  AddFeed("B", {{u"b1", 1}});
  AddFeed("C", {{u"c1", 0}});
  Open();
  Select(2);
  EXPECT_EQ(Press(), std::make_pair(0, 4));
  EXPECT_EQ(Press(), std::make_pair(2, 1)) << "B has nothing unread";
  EXPECT_EQ(Press(), std::make_pair(0, 2)) << "past the last feed, round to the first";
  EXPECT_EQ(Press(true), std::make_pair(0, 2)) << "Shift+N is no command";
  EXPECT_EQ(Press(false, true), std::make_pair(0, 2)) << "nor Ctrl+N";
}

TEST_F(NextUnreadTest, FindsTheUnreadThemeAboveTheSelectionOnlyAfterEveryOtherFeed) {
  AddFeed("A", {{u"a1", 0}, {u"a2", 1}, {u"a3", 0}});
  AddFeed("B", {{u"b1", 3}});
  Open();
  Select(3);
  EXPECT_EQ(Press(), std::make_pair(0, 1));
  rss_.Channels[0].Items[0].Mark = 1;
  rss_.Channels[0].Items[2].Mark = 1;
  EXPECT_EQ(Press(), std::make_pair(0, 1)) << "nothing unread: the view stays";
}

TEST_F(NextUnreadTest, OpensAHiddenThemeListOnTheThemeItFinds) {
  AddFeed("A", {{u"a1", 1}}, false);
  AddFeed("B", {{u"b1", 1}, {u"b2", 0}}, false);
  Open();
  EXPECT_FALSE(view_.GridVisible());
  EXPECT_EQ(Press(), std::make_pair(1, 2));
  EXPECT_TRUE(view_.GridVisible());
  EXPECT_TRUE(rss_.Channels[1].ShowPanel) << "the list stays shown when the user comes back";
}

}  // namespace
}  // namespace kivo
