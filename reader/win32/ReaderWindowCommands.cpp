// The reader window's commands: its tool buttons and the items of its menus.
#include "reader/ReaderCommands.h"
#include "reader/win32/ReaderMenus.h"
#include "reader/win32/ReaderWindowView.h"

namespace kivo {

void TReaderWindowView::OnCommand(int command) {
  if (command >= kCmdFeedMenuFirst) return OnFeedMenuCommand(command - kCmdFeedMenuFirst);
  if (command == kCmdImage1) return ClickSplitter();
  if (logic_ == nullptr) return;
  if (const std::optional<int> tag = GridMenuTag(command)) {
    if (MarksWholeList(command)) {
      logic_->N11Click(*tag);
    } else {
      logic_->N8Click(*tag);
    }
    return;
  }
  switch (command) {
    case kCmdToolButton6:
      ShowFeedsMenu(Handle(), GetDlgItem(Handle(), command), feedMenu_);
      break;
    case kCmdToolButton1:
      logic_->ToolButton1Click();
      break;
    case kCmdToolButton5:
      logic_->ToolButton5Click();
      break;
    case kCmdToolOptions:
      logic_->ToolOptionsClick();
      break;
    case kCmdToolButton3:
      ShowInfoMenu(Handle(), GetDlgItem(Handle(), command), pictures_);
      break;
    case kCmdN1:
    case kCmdN6:
      logic_->N6Click();
      break;
    case kCmdN7:
      logic_->N7Click();
      break;
    case kCmdN3:
      logic_->N3Click();
      break;
    case kCmdN21:
      logic_->N21Click();
      break;
    case kCmdN5:
      logic_->FndTextClick();
      break;
    case kCmdXstatus1:
      logic_->Xstatus1Click();
      break;
    case kCmdN15:
      logic_->N15Click();
      break;
    case kCmdN17:
      logic_->N17Click();
      break;
    default:
      break;
  }
}

std::optional<int> TReaderWindowView::PopupSpecContacts(const std::vector<TMenuEntry>& items, int x, int y) {
  std::vector<TFeedMenuItem> drawn;
  for (const TMenuEntry& item : items)
    drawn.push_back({item.Caption, {}, item.Separator ? kSeparatorTag : item.Tag});
  return ShowSpecContactsMenu(Handle(), POINT{x, y}, drawn);
}

void TReaderWindowView::OnFeedMenuCommand(int tag) {
  if (logic_ == nullptr) return;
  if (tag >= 0 && tag < TabCount()) logic_->SelectTab(tag);
  logic_->N6Click();
}

void TReaderWindowView::ClickSplitter() {
  if (logic_ == nullptr) return;
  logic_->Panel2MouseDown(0);
  logic_->Image1MouseUp();
  logic_->Panel2Click();
}

}  // namespace kivo
