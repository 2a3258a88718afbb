#include "tools/host/ScriptParser.h"

#include <windows.h>

#include <charconv>
#include <functional>
#include <map>
#include <stdexcept>

#include "options/DialogControls.h"
#include "plugin/PluginInfo.h"
#include "plugin/XStatus.h"
#include "reader/ReaderCommands.h"
#include "reader/ReaderView.h"
#include "tools/host/Text.h"
#include "tray/TrayIcon.h"

namespace kivo::host::script {
namespace {

using Words = std::vector<std::string>;

class SyntaxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SplitLine {
  Words Items;
  std::string Source;
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// Appends the quoted part that starts at `pos` (on the quote) to `word`.
std::size_t TakeQuoted(std::string_view line, std::size_t pos, std::string& word) {
  for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size() && (line[pos + 1] == '"' || line[pos + 1] == '\\')) ++pos;
    word.push_back(line[pos]);
  }
  if (pos >= line.size()) throw SyntaxError("unterminated quote");
  return pos + 1;
}

std::string EnvironmentVariable(const std::string& name) {
  const std::wstring wideName = WideFromUtf8(name);
  const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) throw SyntaxError("no environment variable " + name);
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(wideName.c_str(), value.data(), size));
  return ToUtf8(value);
}

// ${NAME} -> the environment variable NAME.
std::string Expanded(const std::string& word) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t open; (open = word.find("${", pos)) != std::string::npos;) {
    const std::size_t close = word.find('}', open);
    if (close == std::string::npos) throw SyntaxError("unterminated ${ in " + word);
    out += word.substr(pos, open - pos) + EnvironmentVariable(word.substr(open + 2, close - open - 2));
    pos = close + 1;
  }
  return out + word.substr(pos);
}

SplitLine Split(std::string_view line) {
  SplitLine result;
  std::size_t pos = 0;
  std::size_t end = 0;
  for (;;) {
    while (pos < line.size() && IsSpace(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] == '#') break;
    std::string word;
    while (pos < line.size() && !IsSpace(line[pos])) {
      if (line[pos] == '"')
        pos = TakeQuoted(line, pos, word);
      else
        word.push_back(line[pos++]);
    }
    result.Items.push_back(Expanded(word));
    end = pos;
  }
  const std::size_t begin = line.find_first_not_of(" \t");
  if (!result.Items.empty()) result.Source = std::string(line.substr(begin, end - begin));
  return result;
}

std::optional<TPluginWord> ParseNumber(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  const bool hex = text.starts_with("0x") || text.starts_with("0X");
  if (hex) text.remove_prefix(2);
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, hex ? 16 : 10);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value > 0xFFFFFFFFu) return std::nullopt;
  const auto word = static_cast<TPluginWord>(value);
  return negative ? static_cast<TPluginWord>(0u - word) : word;
}

TPluginWord Number(std::string_view text, const char* what) {
  const auto value = ParseNumber(text);
  if (!value) throw SyntaxError(std::string(what) + " must be a number: " + std::string(text));
  return *value;
}

unsigned Count(std::string_view text, const char* what) {
  if (text.starts_with('-')) throw SyntaxError(std::string(what) + " must not be negative");
  return static_cast<unsigned>(Number(text, what));
}

void RequireCount(const Words& args, std::size_t least, std::size_t most, const char* usage) {
  if (args.size() < least || args.size() > most) throw SyntaxError(std::string("usage: ") + usage);
}

std::pair<std::string, std::string> KeyValue(const std::string& word) {
  const auto equals = word.find('=');
  if (equals == std::string::npos) throw SyntaxError("expected KEY=VALUE, got " + word);
  return {word.substr(0, equals), word.substr(equals + 1)};
}

// \r, \n and \\ as dump-settings writes them.
std::string Unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '\\' && (next == 'r' || next == 'n' || next == '\\')) {
      out.push_back(next == 'r' ? '\r' : next == 'n' ? '\n' : '\\');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

Value ParseValue(std::string_view text) {
  if (text.starts_with("wstr:")) return Value{0, FromUtf8(text.substr(5))};
  return Value{Number(text, "a value"), std::nullopt};
}

Command ParseSend(const Words& args) {
  if (args.empty()) throw SyntaxError("usage: send CODE [wparam=V] [lparam=V] [xparam=V]");
  static const std::map<std::string, Param> kParams = {
      {"wparam", Param::WParam}, {"lparam", Param::LParam}, {"xparam", Param::XParam}};
  Send send{Number(args[0], "CODE"), {}};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const auto [key, text] = KeyValue(args[i]);
    const auto param = kParams.find(key);
    if (param == kParams.end()) throw SyntaxError("send has no parameter " + key);
    auto& slot = send.Params[static_cast<std::size_t>(param->second)];
    if (slot) throw SyntaxError(key + " given twice");
    slot = ParseValue(text);
  }
  return send;
}

Command ParseExpectValues(const Words& args) {
  static const std::map<std::string, Key> kKeys = {{"wparam", Key::WParam},   {"lparam", Key::LParam},
                                                   {"xparam", Key::XParam},   {"result", Key::Result},
                                                   {"buttons", Key::Buttons}, {"contacts", Key::Contacts},
                                                   {"xstatus", Key::XStatus}};
  ExpectValues expect;
  for (const auto& word : args) {
    const auto [key, text] = KeyValue(word);
    const auto subject = kKeys.find(key);
    if (subject == kKeys.end()) throw SyntaxError("cannot expect " + key);
    expect.Checks.push_back({subject->second, Number(text, key.c_str())});
  }
  return expect;
}

std::optional<Visibility> VisibilityOf(const std::string& word) {
  if (word == "window-visible") return Visibility::Visible;
  if (word == "window-hidden") return Visibility::Hidden;
  return std::nullopt;
}

std::wstring DialogClass(const std::string& word) {
  if (word == "TFormOptions") return kOptionsWindowClass;
  if (word == "TFormOptions2") return kFeedSettingsWindowClass;
  if (word == "TFormXstatus") return kXStatusWindowClass;
  throw SyntaxError("no dialog " + word + " (TFormOptions, TFormOptions2 or TFormXstatus)");
}

DialogControl ControlOf(const std::string& dialog, const std::string& control) {
  const std::wstring className = DialogClass(dialog);
  const auto id = className == kOptionsWindowClass        ? OptionsControlIdByName(control)
                  : className == kFeedSettingsWindowClass ? FeedSettingsControlIdByName(control)
                                                          : XStatusControlIdByName(control);
  if (!id) throw SyntaxError(dialog + " has no control " + control);
  return {className, *id};
}

bool OnOff(const std::string& word) {
  if (word != "on" && word != "off") throw SyntaxError("on or off, not " + word);
  return word == "on";
}

std::optional<Command> ParseExpectDialog(const std::string& what, const Words& rest) {
  if (what == "dialog-visible" || what == "dialog-hidden") {
    RequireCount(rest, 1, 1, "expect dialog-visible|dialog-hidden DIALOG");
    return ExpectDialog{what == "dialog-visible" ? Visibility::Visible : Visibility::Hidden,
                        DialogClass(rest[0])};
  }
  if (what == "dialog-checked") {
    RequireCount(rest, 3, 3, "expect dialog-checked DIALOG CONTROL on|off");
    return ExpectDialogChecked{ControlOf(rest[0], rest[1]), OnOff(rest[2])};
  }
  if (what == "dialog-text") {
    RequireCount(rest, 3, 3, "expect dialog-text DIALOG CONTROL TEXT");
    return ExpectDialogText{ControlOf(rest[0], rest[1]), WideFromUtf8(rest[2])};
  }
  return std::nullopt;
}

Command ParseExpect(const Words& args) {
  if (args.empty()) throw SyntaxError("expect what?");
  const Words rest(args.begin() + 1, args.end());
  if (auto dialog = ParseExpectDialog(args[0], rest)) return std::move(*dialog);
  if (const auto state = VisibilityOf(args[0])) {
    RequireCount(rest, 1, 1, "expect window-visible|window-hidden CLASS");
    return ExpectWindow{*state, WideFromUtf8(rest[0])};
  }
  static const std::map<std::string, ReaderQuery> kReader = {{"reader-row", ReaderQuery::RowMark},
                                                             {"reader-rows", ReaderQuery::RowCount},
                                                             {"reader-tab", ReaderQuery::SelectedTab}};
  if (const auto query = kReader.find(args[0]); query != kReader.end()) {
    const bool row = query->second == ReaderQuery::RowMark;
    RequireCount(rest, row ? 2 : 1, row ? 2 : 1,
                 "expect reader-row N MARK | reader-rows COUNT | reader-tab N");
    const auto value = static_cast<int>(Number(rest.back(), "the value"));
    return ExpectReader{query->second, row ? static_cast<int>(Count(rest[0], "N")) : 0, value};
  }
  static const std::map<std::string, Command> kBare = {{"unchanged", ExpectUnchanged{}},
                                                       {"windows-as-remembered", ExpectWindowsAsRemembered{}},
                                                       {"no-window-visible", ExpectNoWindowVisible{}}};
  const auto bare = kBare.find(args[0]);
  if (bare == kBare.end()) return ParseExpectValues(args);
  if (!rest.empty()) throw SyntaxError("expect " + args[0] + " takes nothing more");
  return bare->second;
}

Command ParseWaitUntil(const Words& args) {
  if (args.size() == 2 && args[0] == "reader-idle") return WaitReaderIdle{Count(args[1], "TIMEOUT_MS")};
  const char* usage =
      "wait-until window-visible|window-hidden CLASS TIMEOUT_MS | reader-idle TIMEOUT_MS | "
      "questions-answered "
      "TIMEOUT_MS";
  if (args.size() == 2 && args[0] == "questions-answered") return WaitAnswered{Count(args[1], "TIMEOUT_MS")};
  RequireCount(args, 3, 3, usage);
  const auto state = VisibilityOf(args[0]);
  if (!state) throw SyntaxError(std::string("usage: ") + usage);
  return WaitForWindow{*state, WideFromUtf8(args[1]), Count(args[2], "TIMEOUT_MS")};
}

std::function<Command(const Words&)> GestureParser(GestureKind kind, const char* usage) {
  return [kind, usage](const Words& args) -> Command {
    RequireCount(args, 0, 1, usage);
    return Gesture{kind, args.empty() ? 0 : Count(args[0], "N")};
  };
}

void CheckSettingOffset(FieldType type, std::size_t offset) {
  const std::size_t strings = settings_offset::kCallString;
  const bool ok = type == FieldType::Byte ? offset < strings
                  : type == FieldType::Int
                      ? offset % 4 == 0 && offset < strings
                      : offset % 4 == 0 && offset >= strings && offset < settings_offset::kRecordSize;
  if (!ok) throw SyntaxError("no such field at offset " + std::to_string(offset));
}

Command ParseSetSetting(const Words& args) {
  RequireCount(args, 3, 3, "set-setting byte|int|wstr OFFSET VALUE");
  static const std::map<std::string, FieldType> kTypes = {
      {"byte", FieldType::Byte}, {"int", FieldType::Int}, {"wstr", FieldType::Wide}};
  const auto type = kTypes.find(args[0]);
  if (type == kTypes.end()) throw SyntaxError("field type must be byte, int or wstr");
  SetSetting set{type->second, Count(args[1], "OFFSET"), 0, {}};
  CheckSettingOffset(set.Type, set.Offset);
  if (set.Type == FieldType::Wide)
    set.Text = FromUtf8(Unescaped(args[2]));
  else
    set.Number = static_cast<std::int32_t>(Number(args[2], "VALUE"));
  if (set.Type == FieldType::Byte && (set.Number < 0 || set.Number > 255))
    throw SyntaxError("a byte is 0..255");
  return set;
}

template <typename T>
std::function<Command(const Words&)> FileParser(const char* usage) {
  return [usage](const Words& args) -> Command {
    RequireCount(args, 1, 1, usage);
    return T{WideFromUtf8(args[0])};
  };
}

std::function<Command(const Words&)> FileTextParser(bool wholeLine, const char* usage) {
  return [wholeLine, usage](const Words& args) -> Command {
    RequireCount(args, 2, 2, usage);
    return ExpectFileContains{WideFromUtf8(args[0]), args[1], wholeLine};
  };
}

std::function<Command(const Words&)> UrlTextParser(bool contains, const char* usage) {
  return [contains, usage](const Words& args) -> Command {
    RequireCount(args, 2, 2, usage);
    if (!args[0].starts_with("http://")) throw SyntaxError("only http:// addresses");
    return ExpectUrl{args[0], args[1], contains};
  };
}

std::function<Command(const Words&)> ReaderCommandParser(const char* usage) {
  return [usage](const Words& args) -> Command {
    RequireCount(args, 1, 1, usage);
    const auto id = ReaderCommandByName(args[0]);
    if (!id) throw SyntaxError("the reader window has no " + args[0]);
    return ReaderCommand{*id};
  };
}

std::function<Command(const Words&)> ReaderDoParser(ReaderAction action, const char* usage) {
  return [action, usage](const Words& args) -> Command {
    RequireCount(args, 1, 1, usage);
    return ReaderDo{action, static_cast<int>(Count(args[0], "N"))};
  };
}

// The verbs that drive the options dialogs and answer the plugin's questions.
void AddDialogVerbs(std::map<std::string, std::function<Command(const Words&)>>& verbs) {
  verbs["dialog-click"] = [](const Words& args) -> Command {
    RequireCount(args, 2, 2, "dialog-click DIALOG CONTROL");
    return DialogDo{DialogAction::Click, ControlOf(args[0], args[1])};
  };
  verbs["dialog-ok"] = [](const Words& args) -> Command {
    RequireCount(args, 1, 1, "dialog-ok DIALOG");
    return DialogDo{DialogAction::Click, ControlOf(args[0], "BitBtn1")};
  };
  verbs["dialog-close"] = [](const Words& args) -> Command {
    RequireCount(args, 1, 1, "dialog-close DIALOG");
    return DialogDo{DialogAction::Close, {DialogClass(args[0]), 0}};
  };
  verbs["dialog-tick"] = [](const Words& args) -> Command {
    RequireCount(args, 3, 3, "dialog-tick DIALOG CONTROL on|off");
    return DialogTick{ControlOf(args[0], args[1]), OnOff(args[2])};
  };
  verbs["dialog-type"] = [](const Words& args) -> Command {
    RequireCount(args, 3, 3, "dialog-type DIALOG CONTROL TEXT");
    return DialogType{ControlOf(args[0], args[1]), WideFromUtf8(args[2])};
  };
  verbs["dialog-select"] = [](const Words& args) -> Command {
    RequireCount(args, 3, 3, "dialog-select DIALOG CONTROL N");
    return DialogSelect{ControlOf(args[0], args[1]), static_cast<int>(Count(args[2], "N"))};
  };
  verbs["dialog-page"] = [](const Words& args) -> Command {
    RequireCount(args, 2, 2, "dialog-page DIALOG N");
    const char* pages = DialogClass(args[0]) == kOptionsWindowClass ? "ListBox2" : "PageControl1";
    return DialogSelect{ControlOf(args[0], pages), static_cast<int>(Count(args[1], "N"))};
  };
  verbs["screenshot-dialog"] = [](const Words& args) -> Command {
    RequireCount(args, 2, 2, "screenshot-dialog DIALOG FILE");
    return Screenshot{DialogClass(args[0]), WideFromUtf8(args[1])};
  };
  verbs["answer-prompt"] = [](const Words& args) -> Command {
    RequireCount(args, 1, 1, "answer-prompt TEXT | answer-prompt cancel");
    const bool confirm = args[0] != "cancel";
    return QueueAnswer{QuestionKind::Prompt, confirm, confirm ? WideFromUtf8(args[0]) : std::wstring()};
  };
  verbs["answer-message"] = [](const Words& args) -> Command {
    RequireCount(args, 1, 1, "answer-message ok|cancel");
    if (args[0] != "ok" && args[0] != "cancel") throw SyntaxError("answer-message ok or cancel");
    return QueueAnswer{QuestionKind::Message, args[0] == "ok", {}};
  };
  verbs["answer-choice"] = [](const Words& args) -> Command {
    RequireCount(args, 1, 1, "answer-choice N | answer-choice cancel");
    const bool confirm = args[0] != "cancel";
    return QueueAnswer{QuestionKind::Choice, confirm,
                       confirm ? std::to_wstring(Count(args[0], "N")) : std::wstring()};
  };
  verbs["answer-menu"] = [](const Words& args) -> Command {
    RequireCount(args, 1, 2, "answer-menu ITEM|cancel [FILE.bmp]");
    // The tray menu's items first: its N6 and N7 are not the reader's commands.
    static const std::map<std::string, TTrayCommand> kTrayItems = {
        {"N6", TTrayCommand::N6}, {"N7", TTrayCommand::N7}, {"N23", TTrayCommand::N23}};
    const bool confirm = args[0] != "cancel";
    std::optional<int> id;
    if (const auto tray = kTrayItems.find(args[0]); tray != kTrayItems.end()) {
      id = static_cast<int>(tray->second);
    } else if (args[0] == "spec-options" || args[0] == "spec-addfeed") {
      id = kCmdFeedMenuFirst + (args[0] == "spec-options" ? -1 : -2);
    } else if (args[0].starts_with("feed") && args[0].size() > 4) {
      id = kCmdFeedMenuFirst + static_cast<int>(Count(args[0].substr(4), "feed N"));
    } else {
      id = ReaderCommandByName(args[0]);
    }
    if (confirm && !id) throw SyntaxError("no menu item " + args[0]);
    return QueueAnswer{QuestionKind::Menu, confirm, confirm ? std::to_wstring(*id) : std::wstring(),
                       args.size() == 2 ? WideFromUtf8(args[1]) : std::wstring()};
  };
  verbs["window-click"] = [](const Words& args) -> Command {
    RequireCount(args, 3, 4, "window-click CLASS X Y [right]");
    if (args.size() == 4 && args[3] != "right") throw SyntaxError("window-click: right, not " + args[3]);
    return WindowClick{WideFromUtf8(args[0]), static_cast<int>(Count(args[1], "X")),
                       static_cast<int>(Count(args[2], "Y")), args.size() == 4};
  };
  verbs["tray-click"] = [](const Words& args) -> Command {
    RequireCount(args, 1, 1, "tray-click left|right");
    if (args[0] != "left" && args[0] != "right") throw SyntaxError("tray-click left or right");
    return TrayClick{args[0] == "right"};
  };
  verbs["answer-file"] = [](const Words& args) -> Command {
    RequireCount(args, 1, 1, "answer-file PATH | answer-file cancel");
    const bool confirm = args[0] != "cancel";
    return QueueAnswer{QuestionKind::File, confirm, confirm ? WideFromUtf8(args[0]) : std::wstring()};
  };
}

std::function<Command(const Words&)> Bare(Command command, const char* verb) {
  return [command, verb](const Words& args) {
    RequireCount(args, 0, 0, verb);
    return command;
  };
}

const std::map<std::string, std::function<Command(const Words&)>>& Verbs() {
  static const std::map<std::string, std::function<Command(const Words&)>> kVerbs = [] {
    std::map<std::string, std::function<Command(const Words&)>> verbs = {
        {"send", ParseSend},
        {"expect", ParseExpect},
        {"wait-until", ParseWaitUntil},
        {"wait",
         [](const Words& args) -> Command {
           RequireCount(args, 1, 1, "wait MS");
           return Wait{Count(args[0], "MS")};
         }},
        {"remember-windows", Bare(RememberWindows{}, "remember-windows")},
        {"click-button", GestureParser(GestureKind::ClickButton, "click-button [N]")},
        {"contact-dblclick", GestureParser(GestureKind::ContactDoubleClick, "contact-dblclick [N]")},
        {"contact-hint", GestureParser(GestureKind::ContactHint, "contact-hint [N]")},
        {"contact-menu", GestureParser(GestureKind::ContactMenu, "contact-menu [N]")},
        {"expect-xstatus-text",
         [](const Words& args) -> Command {
           RequireCount(args, 1, 1, "expect-xstatus-text TEXT");
           return ExpectXStatusText{WideFromUtf8(args[0])};
         }},
        {"set-setting", ParseSetSetting},
        {"dump-settings", FileParser<DumpSettings>("dump-settings FILE")},
        {"dump-ini", FileParser<DumpIni>("dump-ini FILE")},
        {"set-ini",
         [](const Words& args) -> Command {
           RequireCount(args, 3, 3, "set-ini SECTION KEY VALUE");
           return SetIni{WideFromUtf8(args[0]), WideFromUtf8(args[1]), WideFromUtf8(args[2])};
         }},
        {"expect-file-contains", FileTextParser(false, "expect-file-contains FILE TEXT")},
        {"expect-file-line", FileTextParser(true, "expect-file-line FILE TEXT")},
        {"expect-url-contains", UrlTextParser(true, "expect-url-contains URL TEXT")},
        {"expect-url-lacks", UrlTextParser(false, "expect-url-lacks URL TEXT")},
        {"expect-took-at-most",
         [](const Words& args) -> Command {
           RequireCount(args, 1, 1, "expect-took-at-most MS");
           return ExpectTook{Count(args[0], "MS")};
         }},
        {"screenshot",
         [](const Words& args) -> Command {
           RequireCount(args, 2, 2, "screenshot CLASS FILE");
           return Screenshot{WideFromUtf8(args[0]), WideFromUtf8(args[1])};
         }},
        {"reader-click", ReaderCommandParser("reader-click CONTROL")},
        {"reader-menu", ReaderCommandParser("reader-menu ITEM")},
        {"reader-select-tab", ReaderDoParser(ReaderAction::SelectTab, "reader-select-tab N")},
        {"reader-key",
         [](const Words& args) -> Command {
           RequireCount(args, 1, 3, "reader-key KEY [ctrl] [shift]");
           static const std::map<std::string, int> kKeys = {
               {"tab", kKeyTab}, {"escape", kKeyEscape}, {"space", kKeySpace},   {"f5", kKeyF5},
               {"f", kKeyF},     {"c", kKeyC},           {"insert", kKeyInsert}, {"n", kKeyN}};
           const auto key = kKeys.find(args[0]);
           if (key == kKeys.end()) throw SyntaxError("no key " + args[0]);
           ReaderKey press{key->second, false, false};
           for (std::size_t i = 1; i < args.size(); ++i) {
             if (args[i] != "ctrl" && args[i] != "shift") throw SyntaxError("ctrl or shift, not " + args[i]);
             (args[i] == "ctrl" ? press.Ctrl : press.Shift) = true;
           }
           return press;
         }},
        {"reader-select-row", ReaderDoParser(ReaderAction::SelectRow, "reader-select-row N")},
        {"stop", Bare(Lifecycle{LifecycleStep::Stop}, "stop")},
        {"start", Bare(Lifecycle{LifecycleStep::Start}, "start")},
        {"restart", Bare(Lifecycle{LifecycleStep::Restart}, "restart")},
        {"quit", Bare(Lifecycle{LifecycleStep::Quit}, "quit")},
    };
    AddDialogVerbs(verbs);
    return verbs;
  }();
  return kVerbs;
}

Command ParseWords(const Words& words) {
  const auto verb = Verbs().find(words[0]);
  if (verb == Verbs().end()) throw SyntaxError("unknown command " + words[0]);
  return verb->second(Words(words.begin() + 1, words.end()));
}

}  // namespace

ParseResult ParseScript(std::string_view text) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  ParseResult result;
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    ++lineNumber;
    try {
      SplitLine split = Split(line);
      if (split.Items.empty()) continue;
      result.Steps.push_back({lineNumber, std::move(split.Source), ParseWords(split.Items)});
    } catch (const SyntaxError& error) {
      result.Errors.push_back("line " + std::to_string(lineNumber) + ": " + error.what());
    }
  }
  return result;
}

}  // namespace kivo::host::script
