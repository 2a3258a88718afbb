#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/LanguageTexts.h"
#include "tray/TrayIcon.h"

namespace kivo {
namespace {

class FakeTrayView : public ITrayView {
 public:
  void ShowIcon(bool value) override { shown = value; }
  void SetFrame(int value) override { frames.push_back(value); }
  void SetHint(const std::string& value) override { hint = value; }
  void SetBlinkTimer(bool value) override { timer = value; }
  TTrayCommand PopupMenu(const std::vector<TTrayMenuItem>& items) override {
    menus.push_back(items);
    return choice;
  }

  bool shown = false;
  std::vector<int> frames;
  std::string hint;
  bool timer = false;
  std::vector<std::vector<TTrayMenuItem>> menus;
  TTrayCommand choice = TTrayCommand::None;
};

class FakeTrayHost : public ITrayIconHost {
 public:
  void ToggleReaderWindow() override { calls.push_back("toggle"); }
  void ShowReaderWindow() override { calls.push_back("show"); }
  void HideReaderWindow() override { calls.push_back("hide"); }
  void OpenOptions() override { calls.push_back("options"); }
  std::vector<std::string> calls;
};

class TrayController : public ::testing::Test {
 protected:
  TrayController() { set_lang_english(); }
  ~TrayController() override { clear_lang_texts(); }
  FakeTrayView view;
  FakeTrayHost host;
  TTrayController tray{view, host};
};

// Stopping on the second frame used to leave the icon showing "news".
TEST_F(TrayController, BlinkingAlternatesAndStoppingShowsTheFirstFrameAgain) {
  tray.SetVisible(true);
  tray.OnBlinkTimer();  // not blinking: nothing moves
  tray.SetBlinking(true);
  EXPECT_TRUE(view.timer);
  tray.OnBlinkTimer();
  tray.OnBlinkTimer();
  tray.OnBlinkTimer();
  tray.SetBlinking(false);
  EXPECT_FALSE(view.timer);
  EXPECT_EQ(view.frames, (std::vector<int>{0, 1, 0, 1, 0}));
  tray.SetBlinking(true);
  tray.OnBlinkTimer();
  tray.OnBlinkTimer();
  tray.SetBlinking(false);  // on the first frame already: nothing to redraw
  EXPECT_EQ(view.frames, (std::vector<int>{0, 1, 0, 1, 0, 1, 0}));
}

TEST_F(TrayController, TheHintCountsUnreadThemesAndFollowsTheLanguage) {
  tray.SetVisible(true);
  EXPECT_EQ(view.hint, Lang.lang_main_form_caption);
  tray.SetUnreadCount(12);
  EXPECT_EQ(view.hint, Lang.lang_main_form_caption + " \x97 12 unread");
  tray.SetUnreadCount(-3);
  EXPECT_EQ(view.hint, Lang.lang_main_form_caption);
  tray.SetUnreadCount(2);
  set_lang_russian();
  tray.RefreshHint();
  EXPECT_EQ(view.hint, Lang.lang_main_form_caption + " \x97 " + FillIn(Lang.lang_tray_unread, {"2"}));
}

TEST_F(TrayController, TheLeftButtonTogglesAndTheRightOpensTheMenu) {
  const struct {
    TTrayButton button;
    TTrayCommand choice;
    std::vector<std::string> calls;
  } cases[] = {
      {TTrayButton::Left, TTrayCommand::None, {"toggle"}},
      {TTrayButton::Middle, TTrayCommand::N6, {}},
      {TTrayButton::Right, TTrayCommand::None, {}},
      {TTrayButton::Right, TTrayCommand::N6, {"show"}},
      {TTrayButton::Right, TTrayCommand::N7, {"hide"}},
      {TTrayButton::Right, TTrayCommand::N23, {"options"}},
  };
  for (const auto& c : cases) {
    host.calls.clear();
    view.menus.clear();
    view.choice = c.choice;
    tray.OnMouseUp(c.button);
    EXPECT_EQ(host.calls, c.calls);
    EXPECT_EQ(view.menus.size(), c.button == TTrayButton::Right ? 1u : 0u);
  }
  const auto items = TTrayController::MenuItems();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].Caption, Lang.lang_main_popup_tray_show);
  EXPECT_EQ(items[2].Command, TTrayCommand::None) << "N22 separates the options";
  EXPECT_EQ(items[3].Picture, 7);
}

}  // namespace
}  // namespace kivo
