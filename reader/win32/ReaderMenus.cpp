#include "reader/win32/ReaderMenus.h"

#include <algorithm>
#include <array>
#include <climits>
#include <utility>

#include "lang/LanguageTexts.h"
#include "reader/ReaderCommands.h"
#include "reader/ReaderView.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/PictureMenu.h"
#include "ui/win32/Prompts.h"
#include "viewer/win32/HtmlViewerControl.h"

namespace kivo {

namespace {

constexpr std::array<std::pair<int, int>, 7> kGridMenuTags = {
    {{kCmdN8, 1}, {kCmdN9, 0}, {kCmdN11, 1}, {kCmdN12, 0}, {kCmdN14, 2}, {kCmdN18, 3}, {kCmdN19, 4}}};
constexpr int kFeedItemHeight = 20;
constexpr int kFeedCaptionLeft = 20;

void ShowAt(HWND owner, HMENU menu, POINT screen) {
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
}

void ShowBelow(HWND owner, HMENU menu, HWND button) {
  RECT rect{};
  GetWindowRect(button, &rect);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, rect.left, rect.bottom, 0, owner, nullptr);
}

// Feed items and the special contacts' options (-1) and add-feed (-2) items.
const TFeedMenuItem* FeedItemOf(UINT itemId, ULONG_PTR data) {
  if (itemId < static_cast<UINT>(kCmdFeedMenuFirst - 2) || data == 0) return nullptr;
  return reinterpret_cast<const TFeedMenuItem*>(data);
}

}  // namespace

void ShowGridMenu(HWND owner, POINT screen, const TPictureList& pictures) {
  TPictureMenu menu;
  menu.Add(kCmdN8, Lang.lang_main_popup_mark_read, pictures.At(2));
  menu.Add(kCmdN9, Lang.lang_main_popup_mark_unread, pictures.At(1));
  menu.AddSeparator();
  menu.Add(kCmdN11, Lang.lang_main_popup_mark_readall, pictures.At(2));
  menu.Add(kCmdN12, Lang.lang_main_popup_mark_unreadall, pictures.At(1));
  menu.Add(kCmdN14, Lang.lang_main_popup_mark_green, pictures.At(3));
  menu.Add(kCmdN18, Lang.lang_main_popup_mark_blue, pictures.At(4));
  menu.Add(kCmdN19, Lang.lang_main_popup_mark_red, pictures.At(5));
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

void ShowViewerMenu(HWND owner, POINT screen, bool onLink, const TPictureList& pictures) {
  TPictureMenu menu;
  menu.Add(kCmdN3, Lang.lang_main_popup_html_copy, pictures.At(12));
  if (onLink) menu.Add(kCmdN21, Lang.lang_main_popup_copy_link, pictures.At(16));
  menu.AddSeparator();
  menu.Add(kCmdN5, Lang.lang_main_popup_html_find, pictures.At(11));
  menu.AddSeparator();
  menu.Add(kCmdXstatus1, Lang.lang_main_popup_html_xstatus, pictures.At(15));
  ShowAt(owner, menu.Get(), screen);
}

void ShowFeedsMenu(HWND owner, HWND button, const std::vector<TFeedMenuItem>& items) {
  TPictureMenu menu;
  for (const TFeedMenuItem& item : items) menu.AddOwnerDrawn(kCmdFeedMenuFirst + item.Tag, &item);
  ShowBelow(owner, menu.Get(), button);
}

std::optional<int> ShowSpecContactsMenu(HWND owner, POINT screen, const std::vector<TFeedMenuItem>& items) {
  TPictureMenu menu;
  for (const TFeedMenuItem& item : items) {
    if (item.Tag == kSeparatorTag) {
      menu.AddSeparator();
    } else {
      menu.AddOwnerDrawn(kCmdFeedMenuFirst + item.Tag, &item);
    }
  }
  // The menu closes on a click elsewhere only while our window is in front.
  SetForegroundWindow(owner);
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  if (chosen == 0) return std::nullopt;
  return chosen - kCmdFeedMenuFirst;
}

bool MeasureFeedMenuItem(HWND owner, MEASUREITEMSTRUCT& measure) {
  const TFeedMenuItem* item = FeedItemOf(measure.itemID, measure.itemData);
  if (measure.CtlType != ODT_MENU || item == nullptr) return false;
  const TUniqueFont font = MenuFont();
  const TWindowDc dc(owner);
  const TSelectedObject selection(dc.Get(),
                                  font ? static_cast<HGDIOBJ>(font.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  const std::wstring caption = gdi::Wide(FeedMenuItemLook(item->Tag, INT_MAX, item->Caption).Caption);
  SIZE extent{};
  GetTextExtentPoint32W(dc.Get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
  measure.itemWidth = static_cast<UINT>(kFeedCaptionLeft + extent.cx + 8);
  measure.itemHeight = static_cast<UINT>(std::max<LONG>(kFeedItemHeight, extent.cy + 4));
  return true;
}

bool DrawFeedMenuItem(const DRAWITEMSTRUCT& draw, int tabCount, const TPictureList& pictures,
                      const TPictureList& siteIcons) {
  const TFeedMenuItem* item = FeedItemOf(draw.itemID, draw.itemData);
  if (draw.CtlType != ODT_MENU || item == nullptr) return false;
  const bool highlighted = (draw.itemState & ODS_SELECTED) != 0;
  const HDC dc = draw.hDC;
  const RECT& box = draw.rcItem;
  gdi::Fill(dc, box, GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_MENU));
  const TFeedMenuLook look = FeedMenuItemLook(item->Tag, tabCount, item->Caption);
  if (!look.DrawsContent) return true;
  if (look.Picture != TMenuPicture::None)
    (look.Picture == TMenuPicture::Window ? pictures : siteIcons)
        .Draw(dc, look.Index, box.left + 1, box.top + 1);
  const TUniqueFont font = MenuFont();
  const TSelectedObject selection(dc,
                                  font ? static_cast<HGDIOBJ>(font.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  const std::wstring caption = gdi::Wide(look.Caption);
  TextOutW(dc, box.left + kFeedCaptionLeft, box.top + 2, caption.c_str(), static_cast<int>(caption.size()));
  return true;
}

void ShowInfoMenu(HWND owner, HWND button, const TPictureList& pictures) {
  TPictureMenu menu;
  menu.Add(kCmdN15, Lang.lang_main_popup_menu_info, pictures.At(8));
  menu.AddSeparator();
  menu.Add(kCmdN17, Lang.lang_main_popup_menu_about, pictures.At(6));
  ShowBelow(owner, menu.Get(), button);
}

void ShowPopupMenu1(HWND owner, int x, int y) {
  TPictureMenu menu;
  menu.Add(kCmdN1, Lang.lang_plug_show);
  // The menu closes on a click elsewhere only while our window is in front.
  SetForegroundWindow(owner);
  TrackPopupMenu(menu.Get(), TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace kivo
