// The reader window's pop-up menus. Each is built as it opens, so its
// captions follow the current language, and sends its commands
// (reader/ReaderCommands.h) to the window that opened it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "feeds/FeedTable.h"
#include "reader/win32/PictureList.h"

namespace kivo {

class THtmlViewerControl;

// The menus' pictures come from PngImageList1 (`pictures`).

// PopupGrid, at a screen point: the marks of the theme list.
void ShowGridMenu(HWND owner, POINT screen, const TPictureList& pictures);
// The mark a PopupGrid command sets: N8Click's tag, or N11Click's for the
// whole list (N11, N12); nullopt for any other command.
std::optional<int> GridMenuTag(int command);
bool MarksWholeList(int command);

// PopupHTMLMenu at a screen point: copy, copy link (only when opened on a
// link), find, X-status.
void ShowViewerMenu(HWND owner, POINT screen, bool onLink, const TPictureList& pictures);

struct TFeedMenuItem {
  std::string Caption;
  std::string Hint;
  int Tag;
};
// PopupMenu2 under ToolButton6: one item per feed, kCmdFeedMenuFirst + its
// tag, drawn by `owner` (N2DrawItem) from `items`, which outlive the menu.
void ShowFeedsMenu(HWND owner, HWND button, const std::vector<TFeedMenuItem>& items);
// PopupSpecContacts at a screen point: `items` drawn as the feeds menu, with
// separators where the tag is kSeparatorTag; the tag chosen.
inline constexpr int kSeparatorTag = -1000;
std::optional<int> ShowSpecContactsMenu(HWND owner, POINT screen, const std::vector<TFeedMenuItem>& items);
// WM_MEASUREITEM and WM_DRAWITEM of their items; false for any other item.
bool MeasureFeedMenuItem(HWND owner, MEASUREITEMSTRUCT& measure);
bool DrawFeedMenuItem(const DRAWITEMSTRUCT& draw, int tabCount, const TPictureList& pictures,
                      const TPictureList& siteIcons);
// Popupinfo under ToolButton3: information, about.
void ShowInfoMenu(HWND owner, HWND button, const TPictureList& pictures);

// PopupMenu1 (N1) at a screen point, as the tray's menu.
void ShowPopupMenu1(HWND owner, int x, int y);

}  // namespace kivo
