#include "tools/host/ScriptRunner.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/FileIo.h"
#include "platform/Http.h"
#include "reader/ReaderCommands.h"
#include "tools/host/MessageNames.h"
#include "tools/host/Screenshot.h"
#include "tools/host/Text.h"

namespace kivo::host {
namespace {

using script::Visibility;

constexpr const char* kFieldNames[] = {"Code", "WParam", "LParam", "XParam", "Result", "DllHandle"};

TPluginWord FieldAt(const TPluginMessage& message, std::size_t index) {
  const TPluginWord fields[] = {message.Code,   message.WParam, message.LParam,
                                message.XParam, message.Result, message.DllHandle};
  return fields[index];
}

std::string ChangedFields(const TPluginMessage& before, const TPluginMessage& after) {
  std::string changes;
  for (std::size_t i = 0; i < std::size(kFieldNames); ++i) {
    if (FieldAt(before, i) == FieldAt(after, i)) continue;
    changes += std::string(changes.empty() ? "" : ", ") + kFieldNames[i] + " " + Hex(FieldAt(before, i)) +
               " -> " + Hex(FieldAt(after, i));
  }
  return changes;
}

std::string DescribeWindows(const std::vector<TopWindow>& windows) {
  std::string text;
  for (const auto& window : windows) {
    text += (text.empty() ? "" : ", ") + ToUtf8(window.ClassName) + (window.Visible ? " visible" : " hidden");
  }
  return text.empty() ? "no windows" : text;
}

bool HasState(const std::vector<TopWindow>& windows, Visibility state) {
  // A hidden class must exist: a window that was never made proves nothing.
  return state == Visibility::Visible ? AnyVisible(windows) : !windows.empty() && !AnyVisible(windows);
}

const char* KeyName(script::Key key) {
  static constexpr const char* kNames[] = {"wparam", "lparam", "xparam", "result", "buttons", "contacts"};
  return kNames[static_cast<std::size_t>(key)];
}

bool HasLine(std::string_view text, std::string_view line) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view current = text.substr(0, end);
    if (current.ends_with('\r')) current.remove_suffix(1);
    if (current == line) return true;
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return false;
}

bool WriteText(const std::wstring& file, const std::string& text) {
  return WriteFileAtomic(std::filesystem::path(file), text);
}

// The plugin's reader window, or null.
HWND ReaderWindow() {
  const auto windows = TopWindowsOfClass(L"TForm1");
  return windows.empty() ? nullptr : windows.front().Handle;
}

// The body of a GET to a local server; nothing when it cannot be had whole.
std::optional<std::string> FetchLocalPage(const std::string& url) {
  constexpr std::size_t kMaxPage = 1 << 20;
  const std::string rest = url.substr(std::string_view("http://").size());
  const std::size_t slash = rest.find('/');
  const std::string hostPort = rest.substr(0, slash);
  const std::size_t colon = hostPort.rfind(':');
  THttpRequest request;
  request.Host = hostPort.substr(0, colon);
  request.Port = colon == std::string::npos ? 80 : std::atoi(hostPort.c_str() + colon + 1);
  request.Target = slash == std::string::npos ? "/" : rest.substr(slash);
  request.BypassCache = true;
  request.Timeout = std::chrono::seconds(10);
  THttpError error = THttpError::None;
  const std::unique_ptr<IHttpResponse> response = PlatformHttpClient().Get(request, error);
  if (!response) return std::nullopt;
  std::string body;
  char buffer[4096];
  for (int n; (n = response->Read(buffer, sizeof buffer)) != 0;) {
    if (n < 0 || body.size() > kMaxPage) return std::nullopt;
    body.append(buffer, static_cast<std::size_t>(n));
  }
  return body;
}

LRESULT Probe(HWND reader, TReaderProbe probe, int argument) {
  static const UINT message = RegisterWindowMessageW(kReaderProbeMessage);
  return SendMessageW(reader, message, static_cast<WPARAM>(probe), static_cast<LPARAM>(argument));
}

}  // namespace

int ScriptRunner::Run(const std::vector<script::Step>& steps) {
  for (const auto& step : steps) {
    const ULONGLONG start = GetTickCount64();
    Outcome outcome = Execute(step.Action);
    const ULONGLONG took = GetTickCount64() - start;
    PumpPendingMessages();
    if (std::string fault = answers_.TakeFault(); !fault.empty() && outcome.Result == Verdict::Pass)
      outcome = {Verdict::Fail, std::move(fault)};
    if (!std::holds_alternative<script::ExpectTook>(step.Action)) lastStepMs_ = static_cast<unsigned>(took);
    Report(step, outcome);
    if (outcome.Result == Verdict::Fail) return kExitCheckFailed;
    if (outcome.Result == Verdict::Error) return kExitError;
    if (outcome.Result == Verdict::Quit) break;
  }
  if (const std::string unused = answers_.DescribeUnused(); !unused.empty()) {
    print_("FAILED: the script ended with answers no question took: " + unused);
    return kExitCheckFailed;
  }
  return kExitPassed;
}

ScriptRunner::Outcome ScriptRunner::Execute(const script::Command& command) {
  return std::visit([this](const auto& action) { return Do(action); }, command);
}

void ScriptRunner::Report(const script::Step& step, const Outcome& outcome) const {
  static constexpr const char* kVerdicts[] = {"ok", "FAILED", "ERROR", "ok"};
  std::string line = "line " + std::to_string(step.Line) + " " + kVerdicts[static_cast<int>(outcome.Result)] +
                     ": " + step.Source;
  if (!outcome.Detail.empty()) line += " -- " + outcome.Detail;
  print_(line);
}

ScriptRunner::Outcome ScriptRunner::Do(const script::Send& send) {
  if (!host_.Session.Running()) return {Verdict::Error, "no plugin runs"};
  strings_.clear();
  TPluginMessage message{};
  message.Code = send.Code;
  message.WParam = ParamValue(send.Params[0]);
  message.LParam = ParamValue(send.Params[1]);
  message.XParam = ParamValue(send.Params[2]);
  message.DllHandle = host_.Session.PluginHandle();
  sent_ = message;
  host_.Session.SendToPlugin(message);
  received_ = message;
  haveRecord_ = true;
  return {Verdict::Pass, DescribeRecord(received_)};
}

TPluginWord ScriptRunner::ParamValue(const std::optional<script::Value>& value) {
  if (!value) return 0;
  if (!value->Text) return value->Number;
  strings_.emplace_back(*value->Text);
  return reinterpret_cast<TPluginWord>(strings_.back().Get());
}

std::optional<TPluginWord> ScriptRunner::Actual(script::Key key) const {
  switch (key) {
    case script::Key::Buttons:
      return host_.Model.Buttons().size();
    case script::Key::Contacts:
      return host_.Model.Contacts().size();
    case script::Key::XStatus:
      return host_.Model.CurrentXStatus().Number;
    default:
      break;
  }
  if (!haveRecord_) return std::nullopt;
  const TPluginWord fields[] = {received_.WParam, received_.LParam, received_.XParam, received_.Result};
  return fields[static_cast<std::size_t>(key)];
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectValues& expect) {
  for (const auto& check : expect.Checks) {
    const auto actual = Actual(check.Subject);
    if (!actual) return {Verdict::Error, "nothing was sent yet"};
    if (*actual != check.Value) {
      return {Verdict::Fail,
              std::string(KeyName(check.Subject)) + " is " + Hex(*actual) + ", expected " + Hex(check.Value)};
    }
  }
  return {Verdict::Pass, {}};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectUnchanged&) {
  if (!haveRecord_) return {Verdict::Error, "nothing was sent yet"};
  if (std::memcmp(&sent_, &received_, sizeof sent_) == 0) return {Verdict::Pass, {}};
  return {Verdict::Fail, "changed: " + ChangedFields(sent_, received_)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectWindow& expect) {
  const auto windows = TopWindowsOfClass(expect.ClassName);
  if (HasState(windows, expect.State)) return {Verdict::Pass, {}};
  return {Verdict::Fail, DescribeWindows(windows)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::WaitForWindow& wait) {
  const auto reached = [&] { return HasState(TopWindowsOfClass(wait.ClassName), wait.State); };
  if (PumpUntil(reached, wait.TimeoutMs)) return {Verdict::Pass, {}};
  return {Verdict::Fail, "timed out with " + DescribeWindows(TopWindowsOfClass(wait.ClassName))};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::RememberWindows&) {
  remembered_ = PluginTopWindows();
  return {Verdict::Pass, DescribeWindows(remembered_)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectWindowsAsRemembered&) {
  std::vector<TopWindow> differing;
  for (const auto& window : remembered_) {
    const bool visible = IsWindow(window.Handle) && IsWindowVisible(window.Handle);
    if (visible != window.Visible) differing.push_back({window.Handle, window.ClassName, visible});
  }
  if (differing.empty()) return {Verdict::Pass, DescribeWindows(remembered_)};
  return {Verdict::Fail, "now " + DescribeWindows(differing)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectNoWindowVisible&) {
  auto windows = PluginTopWindows();
  std::erase_if(windows, [](const TopWindow& window) { return !window.Visible; });
  if (windows.empty()) return {Verdict::Pass, {}};
  return {Verdict::Fail, DescribeWindows(windows)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::Wait& wait) {
  PumpUntil([] { return false; }, wait.Ms);
  return {Verdict::Pass, {}};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::Gesture& gesture) {
  if (!host_.Session.Running()) return {Verdict::Error, "no plugin runs"};
  ContactListView& contacts = host_.Window.Contacts();
  switch (gesture.Kind) {
    case script::GestureKind::ClickButton:
      if (host_.Window.ClickButton(gesture.Index)) return {Verdict::Pass, {}};
      return {Verdict::Fail, "the host shows " + std::to_string(host_.Model.Buttons().size()) + " buttons"};
    case script::GestureKind::ContactDoubleClick:
      if (contacts.DoubleClick(gesture.Index)) return {Verdict::Pass, {}};
      break;
    case script::GestureKind::ContactHint:
      if (contacts.ShowHint(gesture.Index)) return {Verdict::Pass, {}};
      return {Verdict::Fail, "no such contact, or the plugin gave the hint no size"};
    case script::GestureKind::ContactMenu:
      if (contacts.OpenMenuOnRow(gesture.Index)) return {Verdict::Pass, {}};
      break;
  }
  return {Verdict::Fail, "the host shows " + std::to_string(host_.Model.Contacts().size()) + " contacts"};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::SetSetting& set) {
  const auto edit = [&set](SettingsRecord& record) {
    switch (set.Type) {
      case script::FieldType::Byte:
        record.SetByte(set.Offset, static_cast<std::uint8_t>(set.Number));
        break;
      case script::FieldType::Int:
        record.SetInt(set.Offset, static_cast<std::int32_t>(set.Number));
        break;
      case script::FieldType::Wide:
        record.SetWide(set.Offset, set.Text);
        break;
    }
  };
  std::string error;
  if (host_.Session.EditRecord(edit, error)) return {Verdict::Pass, {}};
  return {Verdict::Error, error};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::DumpSettings& dump) {
  const SettingsRecord* record = host_.Session.Record();
  if (record == nullptr) return {Verdict::Fail, "the plugin has no settings record"};
  if (WriteText(dump.File, record->DumpText())) return {Verdict::Pass, {}};
  return {Verdict::Error, "cannot write " + ToUtf8(dump.File)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::DumpIni& dump) {
  const std::wstring ini = host_.Session.IniPath();
  const auto text = ReadFileBytes(std::filesystem::path(ini));
  if (!text) return {Verdict::Fail, "no INI file " + ToUtf8(ini)};
  if (WriteText(dump.File, *text)) return {Verdict::Pass, ToUtf8(ini)};
  return {Verdict::Error, "cannot write " + ToUtf8(dump.File)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::SetIni& set) {
  if (host_.Session.Running()) return {Verdict::Error, "set-ini needs the plugin stopped"};
  const std::wstring ini = host_.Session.IniPath();
  if (WritePrivateProfileStringW(set.Section.c_str(), set.Key.c_str(), set.Value.c_str(), ini.c_str()))
    return {Verdict::Pass, {}};
  return {Verdict::Error, "cannot write " + ToUtf8(ini)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectFileContains& expect) {
  const auto text = ReadFileBytes(std::filesystem::path(expect.File));
  if (!text) return {Verdict::Fail, "cannot read " + ToUtf8(expect.File)};
  const bool found =
      expect.WholeLine ? HasLine(*text, expect.Text) : text->find(expect.Text) != std::string::npos;
  return {found ? Verdict::Pass : Verdict::Fail, found ? "" : "not found"};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectXStatusText& expect) {
  const XStatus& status = host_.Model.CurrentXStatus();
  const std::u16string shown =
      std::u16string(status.Title.Text()) + u" " + std::u16string(status.Text.Text());
  const std::u16string wanted(expect.Text.begin(), expect.Text.end());
  if (shown.find(wanted) != std::u16string::npos) return {Verdict::Pass, {}};
  return {Verdict::Fail, "the X-status is \"" + ToUtf8(std::wstring(shown.begin(), shown.end())) + "\""};
}

// The plugin's windows by class, else the host's own (KivoHostMain, KivoHostHint).
ScriptRunner::Outcome ScriptRunner::Do(const script::Screenshot& shot) {
  auto windows = TopWindowsOfClass(shot.ClassName);
  if (windows.empty()) {
    if (const HWND own = ThreadWindowOfClass(shot.ClassName)) windows.push_back({own, shot.ClassName, true});
  }
  if (windows.empty()) return {Verdict::Fail, "no window of class " + ToUtf8(shot.ClassName)};
  const auto visible =
      std::find_if(windows.begin(), windows.end(), [](const TopWindow& w) { return w.Visible; });
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(shot.File).parent_path(), ignored);
  std::string error;
  if (SaveWindowBitmap((visible != windows.end() ? *visible : windows.front()).Handle, shot.File, error)) {
    return {Verdict::Pass, {}};
  }
  return {Verdict::Error, error};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::Lifecycle& step) {
  std::string error;
  bool ok = true;
  switch (step.Step) {
    case script::LifecycleStep::Stop:
      ok = host_.Session.Stop(error);
      break;
    case script::LifecycleStep::Start:
      if (host_.Session.Running()) return {Verdict::Error, "the plugin runs already"};
      ok = host_.Session.Start(host_.Session.PluginPath(), error);
      break;
    case script::LifecycleStep::Restart:
      ok = host_.Session.Restart(error);
      break;
    case script::LifecycleStep::Quit:
      return {Verdict::Quit, {}};
  }
  haveRecord_ = false;
  return {ok ? Verdict::Pass : Verdict::Error, error};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ReaderCommand& command) {
  const HWND reader = ReaderWindow();
  if (reader == nullptr) return {Verdict::Fail, "no reader window"};
  SendMessageW(reader, WM_COMMAND, MAKEWPARAM(command.Id, 0), 0);
  return {Verdict::Pass, {}};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ReaderDo& action) {
  const HWND reader = ReaderWindow();
  if (reader == nullptr) return {Verdict::Fail, "no reader window"};
  const TReaderProbe probe =
      action.Action == script::ReaderAction::SelectTab ? TReaderProbe::SelectTab : TReaderProbe::SelectRow;
  if (Probe(reader, probe, action.Index) == 1) return {Verdict::Pass, {}};
  return {Verdict::Fail, "no such " + std::string(probe == TReaderProbe::SelectTab ? "tab" : "row")};
}

// Posted as the keyboard would; the modifiers are this thread's key state
// while the window's message hook reads them.
ScriptRunner::Outcome ScriptRunner::Do(const script::ReaderKey& key) {
  const HWND reader = ReaderWindow();
  if (reader == nullptr) return {Verdict::Fail, "no reader window"};
  const HWND focus = GetFocus();
  const HWND target = focus != nullptr && (focus == reader || IsChild(reader, focus)) ? focus : reader;
  BYTE saved[256] = {};
  GetKeyboardState(saved);
  BYTE pressed[256] = {};
  std::copy(std::begin(saved), std::end(saved), std::begin(pressed));
  pressed[VK_CONTROL] = key.Ctrl ? 0x80 : 0;
  pressed[VK_SHIFT] = key.Shift ? 0x80 : 0;
  SetKeyboardState(pressed);
  PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(key.Key), 1);
  PumpPendingMessages();
  SetKeyboardState(saved);
  PumpPendingMessages();
  return {Verdict::Pass, {}};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::WaitReaderIdle& wait) {
  const auto idle = [] {
    const HWND reader = ReaderWindow();
    return reader != nullptr && Probe(reader, TReaderProbe::Busy, 0) == 0;
  };
  if (PumpUntil(idle, wait.TimeoutMs)) return {Verdict::Pass, {}};
  return {Verdict::Fail, ReaderWindow() == nullptr ? "no reader window" : "still loading"};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectReader& expect) {
  const HWND reader = ReaderWindow();
  if (reader == nullptr) return {Verdict::Fail, "no reader window"};
  static constexpr TReaderProbe kProbes[] = {TReaderProbe::RowMark, TReaderProbe::RowCount,
                                             TReaderProbe::SelectedTab};
  const auto actual =
      static_cast<int>(Probe(reader, kProbes[static_cast<std::size_t>(expect.Query)], expect.Argument));
  if (actual == expect.Value) return {Verdict::Pass, {}};
  return {Verdict::Fail, "is " + std::to_string(actual)};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectUrl& expect) {
  const std::optional<std::string> body = FetchLocalPage(expect.Url);
  if (!body) return {Verdict::Error, "no answer from " + expect.Url};
  const bool found = body->find(expect.Text) != std::string::npos;
  if (found == expect.Contains) return {Verdict::Pass, {}};
  return {Verdict::Fail, (found ? "found in: " : "not in: ") + *body};
}

ScriptRunner::Outcome ScriptRunner::Do(const script::ExpectTook& expect) {
  const std::string took = "took " + std::to_string(lastStepMs_) + " ms";
  return {lastStepMs_ <= expect.MaxMs ? Verdict::Pass : Verdict::Fail, took};
}

}  // namespace kivo::host
