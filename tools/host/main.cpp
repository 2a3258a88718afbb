// KivoHost: stands in for the messenger that loads KivoRss.dll. Without
// --script it is an interactive window; with it, it runs the script and exits
// 0 (every step passed), 1 (a check failed) or 2 (usage, load or script error).
#include <windows.h>
// The common controls need the Windows types first.
#include <commctrl.h>

#include <cstdio>
#include <filesystem>

#include "platform/FileIo.h"
#include "tools/host/CommandLine.h"
#include "tools/host/MainWindow.h"
#include "tools/host/ScriptRunner.h"
#include "tools/host/Text.h"

namespace kivo::host {
namespace {

void PrintLine(FILE* stream, const std::string& line) {
  std::fputs((line + "\n").c_str(), stream);
  std::fflush(stream);
}

std::vector<std::wstring> Arguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args(words + (count > 0 ? 1 : 0), words + count);
  LocalFree(words);
  return args;
}

std::wstring ExeDirectory() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path().wstring();
}

// Everything the host is made of, in an order that lets the window see the
// plugin's last messages when the session stops.
struct Host {
  Host(HINSTANCE instance, const HostOptions& options, int showCommand)
      : store(options.Settings), session(store, model), window(model, session) {
    created = window.Create(instance, showCommand);
    model.SetView(&window);
  }
  ~Host() {
    std::string ignored;
    session.Stop(ignored);
    model.SetView(nullptr);
  }

  HostModel model;
  SettingsStore store;
  HostSession session;
  MainWindow window;
  bool created = false;
};

std::optional<script::ParseResult> LoadScript(const std::wstring& file) {
  const auto text = ReadFileBytes(std::filesystem::path(file));
  if (!text) return std::nullopt;
  return script::ParseScript(*text);
}

int RunScript(HINSTANCE instance, const HostOptions& options) {
  const auto parsed = LoadScript(*options.Script);
  if (!parsed) return PrintLine(stdout, "cannot read script " + ToUtf8(*options.Script)), kExitError;
  for (const auto& error : parsed->Errors) PrintLine(stdout, error);
  if (!parsed->Errors.empty()) return kExitError;
  Host host(instance, options, SW_SHOWNOACTIVATE);
  host.window.SetLogEcho([](const std::string& line) { PrintLine(stderr, line); });
  std::string error;
  if (!host.created || !host.session.Start(options.Plugin, error)) {
    return PrintLine(stdout, "load error: " + (host.created ? error : "cannot create the window")),
           kExitError;
  }
  ScriptRunner runner({host.session, host.model, host.window},
                      [](const std::string& line) { PrintLine(stdout, line); });
  const int result = runner.Run(parsed->Steps);
  if (!host.session.Stop(error)) return PrintLine(stdout, "stop error: " + error), kExitError;
  return result;
}

int RunInteractive(HINSTANCE instance, const HostOptions& options, int showCommand) {
  Host host(instance, options, showCommand);
  if (!host.created) return kExitError;
  host.window.SetCloseHandler([&host] {
    std::string error;
    if (!host.session.Stop(error))
      MessageBoxW(host.window.Handle(), WideFromUtf8(error).c_str(), L"KivoHost", MB_OK);
    DestroyWindow(host.window.Handle());
  });
  std::string error;
  if (!host.session.Start(options.Plugin, error)) host.window.Log("load error: " + error);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return kExitPassed;
}

}  // namespace
}  // namespace kivo::host

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  using namespace kivo::host;
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  std::string error;
  const auto options = ParseCommandLine(Arguments(), ExeDirectory(), error);
  if (!options) {
    std::fprintf(stderr, "KivoHost: %s\n%s\n", error.c_str(), kUsage);
    return kExitError;
  }
  return options->Script ? RunScript(instance, *options) : RunInteractive(instance, *options, showCommand);
}
