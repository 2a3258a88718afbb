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
//   screenshot CLASS FILE.bmp
//   stop   start   restart   quit
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "plugin/u_plugin_msg.h"

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
struct Screenshot {
  std::wstring ClassName;
  std::wstring File;
};
enum class LifecycleStep { Stop, Start, Restart, Quit };
struct Lifecycle {
  LifecycleStep Step;
};

using Command = std::variant<Send, ExpectValues, ExpectUnchanged, ExpectWindow, WaitForWindow,
                             RememberWindows, ExpectWindowsAsRemembered, ExpectNoWindowVisible, Wait, Gesture,
                             SetSetting, DumpSettings, DumpIni, ExpectFileContains, Screenshot, Lifecycle>;

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
