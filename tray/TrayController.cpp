#include <string>

#include "lang/LanguageTexts.h"
#include "tray/TrayIcon.h"

namespace kivo {

namespace {

constexpr int kShowPicture = 13;
constexpr int kHidePicture = 14;
constexpr int kOptionsPicture = 7;
constexpr char kDash[] = " \x97 ";  // an em dash in windows-1251

}  // namespace

TTrayController::TTrayController(ITrayView& view, ITrayIconHost& host) : view_(view), host_(host) {}

void TTrayController::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (visible) {
    view_.SetFrame(frame_);
    view_.SetHint(Hint(unread_));
  }
  view_.ShowIcon(visible);
}

void TTrayController::SetBlinking(bool blinking) {
  if (blinking == blinking_) return;
  blinking_ = blinking;
  view_.SetBlinkTimer(blinking);
  if (!blinking && frame_ != 0) {
    frame_ = 0;
    view_.SetFrame(0);
  }
}

void TTrayController::SetUnreadCount(int unread) {
  if (unread < 0) unread = 0;
  if (unread == unread_) return;
  unread_ = unread;
  view_.SetHint(Hint(unread_));
}

void TTrayController::RefreshHint() {
  view_.SetHint(Hint(unread_));
}

void TTrayController::OnBlinkTimer() {
  if (!blinking_) return;
  frame_ = 1 - frame_;
  view_.SetFrame(frame_);
}

void TTrayController::OnMouseUp(TTrayButton button) {
  if (button == TTrayButton::Left) return host_.ToggleReaderWindow();
  if (button != TTrayButton::Right) return;
  switch (view_.PopupMenu(MenuItems())) {
    case TTrayCommand::N6:
      return host_.ShowReaderWindow();
    case TTrayCommand::N7:
      return host_.HideReaderWindow();
    case TTrayCommand::N23:
      return host_.OpenOptions();
    case TTrayCommand::None:
      return;
  }
}

std::string TTrayController::Hint(int unread) {
  if (unread <= 0) return Lang.lang_main_form_caption;
  return Lang.lang_main_form_caption + kDash + FillIn(Lang.lang_tray_unread, {std::to_string(unread)});
}

std::vector<TTrayMenuItem> TTrayController::MenuItems() {
  return {{TTrayCommand::N6, Lang.lang_main_popup_tray_show, kShowPicture},
          {TTrayCommand::N7, Lang.lang_main_popup_tray_hide, kHidePicture},
          {TTrayCommand::None, {}, -1},
          {TTrayCommand::N23, Lang.lang_main_popup_tray_opt, kOptionsPicture}};
}

}  // namespace kivo
