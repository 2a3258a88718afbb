// Command identifiers of the reader window, shared with the host emulator,
// which drives the window by the same messages a user's clicks produce:
// WM_COMMAND with a control or menu identifier, and the registered message
// kReaderProbeMessage for what a click cannot say (a tab, a row, a query).
#pragma once

#include <optional>
#include <string_view>

namespace kivo {

enum TReaderCommand : int {
  // Tool bar buttons, in their order on the bar.
  kCmdToolButton6 = 101,  // feeds menu
  kCmdToolButton1 = 102,  // load the current feed
  kCmdToolButton5 = 103,  // load all feeds
  kCmdToolOptions = 104,
  kCmdToolButton3 = 105,  // information menu
  kCmdImage1 = 110,       // a click on the splitter bar (no drag)
  // PopupGrid.
  kCmdN8 = 201,
  kCmdN9 = 202,
  kCmdN11 = 203,
  kCmdN12 = 204,
  kCmdN14 = 205,
  kCmdN18 = 206,
  kCmdN19 = 207,
  // Popupinfo.
  kCmdN15 = 301,  // information
  kCmdN17 = 302,  // about
  // PopupHTMLMenu.
  kCmdN3 = 501,   // copy
  kCmdN21 = 502,  // copy the link the menu was opened on
  kCmdN5 = 503,   // find
  kCmdXstatus1 = 504,
  // PopupMenu1 and the tray menu.
  kCmdN1 = 401,
  kCmdN6 = 402,
  kCmdN7 = 403,
  // PopupMenu2: this plus the feed index.
  kCmdFeedMenuFirst = 1000,
};

// The command of a control or menu item by its name ("ToolButton5", "N14").
std::optional<int> ReaderCommandByName(std::string_view name);

// RegisterWindowMessage name of the probe; wParam is a TReaderProbe, lParam its argument.
inline constexpr wchar_t kReaderProbeMessage[] = L"KivoRss.ReaderProbe";

enum class TReaderProbe : int {
  SelectTab = 1,    // as a click on tab lParam; answers 1 when it exists
  SelectRow = 2,    // as a click on theme-list row lParam; answers 1 when it exists
  Busy = 3,         // 1 while a feed loads or its notice is pending
  RowMark = 4,      // the mark of row lParam (column 0), -1 when none
  RowCount = 5,     // rows of the theme list, the header included
  SelectedTab = 6,  // -1 with no tabs
  HotTab = 7,       // the tab drawn as under the mouse, -1 when none
};

}  // namespace kivo
