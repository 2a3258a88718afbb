// The host's script language: one command per line, '#' starts a comment at
// the start of a word, double quotes group words.
//
//   send CODE [wparam=V] [lparam=V] [xparam=V]    V: NUMBER (decimal, -decimal, 0xhex) or wstr:TEXT
//   expect unchanged                                the last record is byte for byte what was sent
//   expect KEY=NUMBER ...                           KEY: wparam lparam xparam result (the last record),
//                                                   buttons contacts (what the host shows)
//   expect window-visible|window-hidden CLASS
//   remember-windows                                the visibility of every plugin top-level window
//   expect windows-as-remembered | no-window-visible
//   wait-until window-visible|window-hidden CLASS TIMEOUT_MS
//   wait MS
//   click-button [N]  contact-dblclick [N]  contact-hint [N]     N counts from 0
//   set-setting byte|int|wstr OFFSET VALUE          edits the stored record (plugin stopped)
//   dump-settings FILE   dump-ini FILE
//   expect-file-contains FILE TEXT                  TEXT anywhere in the file
//   expect-file-line FILE TEXT                      a whole line (without its CR LF) is TEXT
//   expect-url-contains URL TEXT | expect-url-lacks URL TEXT
//                                                   the body of an http:// GET (a local server's
//                                                   record of what it was sent) has TEXT or not
//   expect-took-at-most MS                          the step before took no longer
//   screenshot CLASS FILE.bmp
//   stop   start   restart   quit
//
// The reader window (class TForm1) as a user drives it. The host sends it
// WM_COMMAND with the control's or menu item's identifier (reader/ReaderCommands.h),
// and the registered message "KivoRss.ReaderProbe" for tabs, rows and queries:
//   reader-click CONTROL      ToolButton6 ToolButton1 ToolButton5 ToolOptions ToolButton3,
//                             Image1 (a click on the splitter bar: shows or hides the theme list)
//   reader-menu ITEM          N8 N9 N11 N12 N14 N18 N19 (theme-list menu, on the selected row),
//                             N15 (information box) N1 N6 (show) N7 (hide)
//   reader-select-tab N       as a click on tab N (from 0)
//   reader-select-row N       as a click on theme-list row N (from 1; row 0 is the header)
//   wait-until reader-idle TIMEOUT_MS               no feed loads, no load notice is pending
//   expect reader-row N MARK | reader-rows COUNT | reader-tab N
//
// ${NAME} in a word is replaced by the environment variable NAME (an error when unset),
// e.g. the address of the local test server.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "plugin/PluginMessages.h"

namespace kivo::host::script {

struct Value {
  TPluginWord Number = 0;
  std::optional<std::u16string> Text;  // wstr: the host allocates it for the call
};

enum class Param { WParam, LParam, XParam };
struct Send {
  TPluginWord Code;
  std::array<std::optional<Value>, 3> Params;  // by Param
};

enum class Key { WParam, LParam, XParam, Result, Buttons, Contacts };
struct Check {
  Key Subject;
  TPluginWord Value;
};
struct ExpectValues {
  std::vector<Check> Checks;
};
struct ExpectUnchanged {};

enum class Visibility { Visible, Hidden };
struct ExpectWindow {
  Visibility State;
  std::wstring ClassName;
};
struct WaitForWindow {
  Visibility State;
  std::wstring ClassName;
  unsigned TimeoutMs;
};
struct RememberWindows {};
struct ExpectWindowsAsRemembered {};
struct ExpectNoWindowVisible {};
struct Wait {
  unsigned Ms;
};

// What the mouse does on the host's plugin buttons and contacts.
enum class GestureKind { ClickButton, ContactDoubleClick, ContactHint };
struct Gesture {
  GestureKind Kind;
  std::size_t Index;
};

enum class FieldType { Byte, Int, Wide };
struct SetSetting {
  FieldType Type;
  std::size_t Offset;
  std::int64_t Number;
  std::u16string Text;
};
struct DumpSettings {
  std::wstring File;
};
struct DumpIni {
  std::wstring File;
};
struct ExpectFileContains {
  std::wstring File;
  std::string Text;
  bool WholeLine;
};
struct ExpectUrl {
  std::string Url;
  std::string Text;
  bool Contains;
};
struct ExpectTook {
  unsigned MaxMs;
};
struct Screenshot {
  std::wstring ClassName;
  std::wstring File;
};
// WM_COMMAND to the reader window.
struct ReaderCommand {
  int Id;
};
enum class ReaderAction { SelectTab, SelectRow };
struct ReaderDo {
  ReaderAction Action;
  int Index;
};
struct WaitReaderIdle {
  unsigned TimeoutMs;
};
enum class ReaderQuery { RowMark, RowCount, SelectedTab };
struct ExpectReader {
  ReaderQuery Query;
  int Argument;  // the row for RowMark
  int Value;
};
enum class LifecycleStep { Stop, Start, Restart, Quit };
struct Lifecycle {
  LifecycleStep Step;
};

using Command = std::variant<Send, ExpectValues, ExpectUnchanged, ExpectWindow, WaitForWindow,
                             RememberWindows, ExpectWindowsAsRemembered, ExpectNoWindowVisible, Wait, Gesture,
                             SetSetting, DumpSettings, DumpIni, ExpectFileContains, Screenshot, Lifecycle,
                             ReaderCommand, ReaderDo, WaitReaderIdle, ExpectReader, ExpectUrl, ExpectTook>;

struct Step {
  int Line;
  std::string Source;  // the line as written, without its comment
  Command Action;
};

struct ParseResult {
  std::vector<Step> Steps;
  std::vector<std::string> Errors;  // "line N: ..."
};

ParseResult ParseScript(std::string_view text);

}  // namespace kivo::host::script
