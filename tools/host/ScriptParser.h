// The host's script language: one command per line, '#' starts a comment at
// the start of a word, double quotes group words.
//
//   send CODE [wparam=V] [lparam=V] [xparam=V]    V: NUMBER (decimal, -decimal, 0xhex) or wstr:TEXT
//   expect unchanged                                the last record is byte for byte what was sent
//   expect KEY=NUMBER ...                           KEY: wparam lparam xparam result (the last record),
//                                                   buttons contacts xstatus (what the host shows)
//   expect-xstatus-text TEXT                        the X-status's title and text, as the status
//                                                   line shows them, hold TEXT
//   expect window-visible|window-hidden CLASS
//   remember-windows                                the visibility of every plugin top-level window
//   expect windows-as-remembered | no-window-visible
//   wait-until window-visible|window-hidden CLASS TIMEOUT_MS
//   wait MS
//   click-button [N]  contact-dblclick [N]  contact-hint [N]  contact-menu [N]    N counts from 0
//   set-setting byte|int|wstr OFFSET VALUE          edits the stored record (plugin stopped)
//   dump-settings FILE   dump-ini FILE
//   expect-file-contains FILE TEXT                  TEXT anywhere in the file
//   expect-file-line FILE TEXT                      a whole line (without its CR LF) is TEXT
//   expect-url-contains URL TEXT | expect-url-lacks URL TEXT
//                                                   the body of an http:// GET (a local server's
//                                                   record of what it was sent) has TEXT or not
//   expect-took-at-most MS                          the step before took no longer
//   screenshot CLASS FILE.bmp                      a layered window (the pop-up) gives its own frame
//   set-ini SECTION KEY VALUE                       edits the plugin's INI file (plugin stopped)
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
//   reader-key KEY [ctrl] [shift]   KEY: tab escape space f5 f c insert n, pressed in the
//                             focused control (the window when none has the focus)
//   wait-until reader-idle TIMEOUT_MS               no feed loads, no load notice is pending
//   expect reader-row N MARK | reader-rows COUNT | reader-tab N
//
// The dialogs (DIALOG: TFormOptions or TFormOptions2, CONTROL a name from
// options/DialogControls.h; TFormXstatus, CONTROL Edit1 Memo1 BitBtn1 ComboBox1), driven with the messages a
// user's input produces:
//   dialog-click DIALOG CONTROL               BM_CLICK
//   dialog-tick DIALOG CONTROL on|off          a click only when the check box differs
//   dialog-type DIALOG CONTROL TEXT            WM_SETTEXT, then EN_CHANGE to the edit's parent
//   dialog-select DIALOG CONTROL N             a list box, combo box or tab entry (from 0),
//                                              with its selection-change notification
//   dialog-page DIALOG N                       the page list ListBox2 or the tabs PageControl1
//   dialog-ok DIALOG                           a click on BitBtn1
//   dialog-close DIALOG                        WM_CLOSE
//   expect dialog-visible|dialog-hidden DIALOG   hidden: none shown, made or not
//   expect dialog-checked DIALOG CONTROL on|off | dialog-text DIALOG CONTROL TEXT
//   screenshot-dialog DIALOG FILE.bmp          missing folders of FILE are made
// Answers, in order, for the modal questions the plugin asks inside a step:
//   answer-prompt TEXT | answer-prompt cancel  the next text prompt (TKivoPrompt)
//   answer-message ok|cancel                   the next message box (ok: OK or Yes,
//                                              cancel: Cancel or No)
//   answer-choice N | answer-choice cancel     the next choice (TKivoChoice): entry N, from 0
//   answer-file PATH | answer-file cancel      the next file dialog; PATH is the host's
//   answer-menu ITEM|cancel [FILE.bmp]         the next pop-up menu: the item (N6 N7 N23 of the
//                                              tray's, feedN of the feeds menu, spec-options and
//                                              spec-addfeed of a contact's, else a reader
//                                              command's name), after a picture of the menu
//                                              when FILE is given
//   tray-click left|right                      the button released over the tray icon
//   window-click CLASS X Y [right]             the button released at a client point of the
//                                              visible window of CLASS (the pop-up's), or of a
//                                              window of CLASS inside one (KivoHtmlViewer)
//   wait-until questions-answered TIMEOUT_MS   every answer taken, no question open: for
//                                              questions that come after a download
// A question with no answer queued is cancelled and fails its step; answers left
// unused when the script ends fail it.
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

enum class Key { WParam, LParam, XParam, Result, Buttons, Contacts, XStatus };
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
enum class GestureKind { ClickButton, ContactDoubleClick, ContactHint, ContactMenu };
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
struct ExpectXStatusText {
  std::wstring Text;
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
// A control of one of the options dialogs.
struct DialogControl {
  std::wstring Dialog;
  int Id;
};
enum class DialogAction { Click, Close };
struct DialogDo {
  DialogAction Action;
  DialogControl Target;  // Id unused for Close
};
struct DialogTick {
  DialogControl Target;
  bool On;
};
struct DialogType {
  DialogControl Target;
  std::wstring Text;
};
struct DialogSelect {
  DialogControl Target;
  int Index;
};
struct ExpectDialog {
  Visibility State;
  std::wstring Dialog;
};
struct ExpectDialogChecked {
  DialogControl Target;
  bool On;
};
struct ExpectDialogText {
  DialogControl Target;
  std::wstring Text;
};
enum class QuestionKind { Prompt, Message, Choice, File, Menu };
struct QueueAnswer {
  QuestionKind Kind;
  bool Confirm;
  std::wstring Text;  // the prompt's text, the choice's entry number, the file dialog's path, the menu item's
                      // identifier
  std::wstring Shot = {};  // a menu's picture before it is answered; empty for none
};
// The tray icon's mouse button released over it.
struct TrayClick {
  bool Right;
};
// A button released at a client point of the visible window of a class.
struct WindowClick {
  std::wstring ClassName;
  int X;
  int Y;
  bool Right;
};
struct SetIni {
  std::wstring Section;
  std::wstring Key;
  std::wstring Value;
};
// A key pressed in the reader window, with the modifiers held.
struct ReaderKey {
  int Key;
  bool Ctrl;
  bool Shift;
};
// Until every queued answer is taken and no question is open.
struct WaitAnswered {
  unsigned TimeoutMs;
};
enum class LifecycleStep { Stop, Start, Restart, Quit };
struct Lifecycle {
  LifecycleStep Step;
};

using Command =
    std::variant<Send, ExpectValues, ExpectUnchanged, ExpectWindow, WaitForWindow, RememberWindows,
                 ExpectWindowsAsRemembered, ExpectNoWindowVisible, Wait, Gesture, SetSetting, DumpSettings,
                 DumpIni, ExpectFileContains, Screenshot, Lifecycle, ReaderCommand, ReaderDo, WaitReaderIdle,
                 ExpectReader, ExpectUrl, ExpectTook, DialogDo, DialogTick, DialogType, DialogSelect,
                 ExpectDialog, ExpectDialogChecked, ExpectDialogText, QueueAnswer, WaitAnswered, TrayClick,
                 ReaderKey, WindowClick, SetIni, ExpectXStatusText>;

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
