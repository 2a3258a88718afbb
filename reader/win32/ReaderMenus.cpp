#include "reader/win32/ReaderMenus.h"

#include <algorithm>
#include <array>
#include <utility>

#include "lang/LanguageTexts.h"
#include "reader/ReaderCommands.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Prompts.h"
#include "viewer/win32/HtmlViewerControl.h"

namespace kivo {

namespace {

constexpr std::array<std::pair<int, int>, 7> kGridMenuTags = {
    {{kCmdN8, 1}, {kCmdN9, 0}, {kCmdN11, 1}, {kCmdN12, 0}, {kCmdN14, 2}, {kCmdN18, 3}, {kCmdN19, 4}}};

void AppendItem(HMENU menu, int command, const std::string& caption) {
  AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), gdi::Wide(caption).c_str());
}

void ShowAt(HWND owner, HMENU menu, POINT screen) {
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
}

void ShowBelow(HWND owner, HMENU menu, HWND button) {
  RECT rect{};
  GetWindowRect(button, &rect);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, rect.left, rect.bottom, 0, owner, nullptr);
}

}  // namespace

void ShowGridMenu(HWND owner, POINT screen) {
  const TUniqueMenu menu(CreatePopupMenu());
  AppendItem(menu.Get(), kCmdN8, Lang.lang_main_popup_mark_read);
  AppendItem(menu.Get(), kCmdN9, Lang.lang_main_popup_mark_unread);
  AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
  AppendItem(menu.Get(), kCmdN11, Lang.lang_main_popup_mark_readall);
  AppendItem(menu.Get(), kCmdN12, Lang.lang_main_popup_mark_unreadall);
  AppendItem(menu.Get(), kCmdN14, Lang.lang_main_popup_mark_green);
  AppendItem(menu.Get(), kCmdN18, Lang.lang_main_popup_mark_blue);
  AppendItem(menu.Get(), kCmdN19, Lang.lang_main_popup_mark_red);
  ShowAt(owner, menu.Get(), screen);
}

std::optional<int> GridMenuTag(int command) {
  const auto tag = std::find_if(kGridMenuTags.begin(), kGridMenuTags.end(),
                                [command](const auto& entry) { return entry.first == command; });
  if (tag == kGridMenuTags.end()) return std::nullopt;
  return tag->second;
}

bool MarksWholeList(int command) {
  return command == kCmdN11 || command == kCmdN12;
}

void ShowViewerMenu(HWND owner, POINT screen, bool onLink) {
  const TUniqueMenu menu(CreatePopupMenu());
  AppendItem(menu.Get(), kCmdN3, Lang.lang_main_popup_html_copy);
  if (onLink) AppendItem(menu.Get(), kCmdN21, Lang.lang_main_popup_copy_link);
  AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
  AppendItem(menu.Get(), kCmdN5, Lang.lang_main_popup_html_find);
  ShowAt(owner, menu.Get(), screen);
}

void ShowFeedsMenu(HWND owner, HWND button, const std::vector<TFeedMenuItem>& items) {
  const TUniqueMenu menu(CreatePopupMenu());
  for (const TFeedMenuItem& item : items) AppendItem(menu.Get(), kCmdFeedMenuFirst + item.Tag, item.Caption);
  ShowBelow(owner, menu.Get(), button);
}

void ShowInfoMenu(HWND owner, HWND button) {
  const TUniqueMenu menu(CreatePopupMenu());
  AppendItem(menu.Get(), kCmdN15, Lang.lang_main_popup_menu_info);
  AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
  AppendItem(menu.Get(), kCmdN17, Lang.lang_main_popup_menu_about);
  ShowBelow(owner, menu.Get(), button);
}

void ShowPopupMenu1(HWND owner, int x, int y) {
  const TUniqueMenu menu(CreatePopupMenu());
  AppendItem(menu.Get(), kCmdN1, Lang.lang_plug_show);
  // The menu closes on a click elsewhere only while our window is in front.
  SetForegroundWindow(owner);
  TrackPopupMenu(menu.Get(), TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace kivo
