// Runs a parsed script against the host and the plugin, one line of report
// per step.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/host/HostModel.h"
#include "tools/host/HostSession.h"
#include "tools/host/MainWindow.h"
#include "tools/host/ModalAnswers.h"
#include "tools/host/OleString.h"
#include "tools/host/ScriptParser.h"
#include "tools/host/WindowQuery.h"

namespace kivo::host {

constexpr int kExitPassed = 0;
constexpr int kExitCheckFailed = 1;
constexpr int kExitError = 2;  // usage, load or script errors

struct HostParts {
  HostSession& Session;
  HostModel& Model;
  MainWindow& Window;
};

class ScriptRunner {
 public:
  ScriptRunner(HostParts host, std::function<void(const std::string&)> print)
      : host_(host), print_(std::move(print)) {}
  // kExitPassed when every step passed, kExitCheckFailed at the first failed
  // check, kExitError when a step could not be carried out.
  int Run(const std::vector<script::Step>& steps);

 private:
  enum class Verdict { Pass, Fail, Error, Quit };
  struct Outcome {
    Verdict Result;
    std::string Detail;
  };

  Outcome Execute(const script::Command& command);
  void Report(const script::Step& step, const Outcome& outcome) const;

  Outcome Do(const script::Send& send);
  Outcome Do(const script::ExpectValues& expect);
  Outcome Do(const script::ExpectUnchanged&);
  Outcome Do(const script::ExpectWindow& expect);
  Outcome Do(const script::WaitForWindow& wait);
  Outcome Do(const script::RememberWindows&);
  Outcome Do(const script::ExpectWindowsAsRemembered&);
  Outcome Do(const script::ExpectNoWindowVisible&);
  Outcome Do(const script::Wait& wait);
  Outcome Do(const script::Gesture& gesture);
  Outcome Do(const script::SetSetting& set);
  Outcome Do(const script::DumpSettings& dump);
  Outcome Do(const script::DumpIni& dump);
  Outcome Do(const script::SetIni& set);
  Outcome Do(const script::ExpectXStatusText& expect);
  Outcome Do(const script::ExpectFileContains& expect);
  Outcome Do(const script::Screenshot& shot);
  Outcome Do(const script::Lifecycle& step);
  Outcome Do(const script::ReaderCommand& command);
  Outcome Do(const script::ReaderDo& action);
  Outcome Do(const script::WaitReaderIdle& wait);
  Outcome Do(const script::ExpectReader& expect);
  Outcome Do(const script::ExpectUrl& expect);
  Outcome Do(const script::ExpectTook& expect);
  // The options dialogs (DialogSteps.cpp).
  Outcome Do(const script::DialogDo& action);
  Outcome Do(const script::DialogTick& tick);
  Outcome Do(const script::DialogType& type);
  Outcome Do(const script::DialogSelect& select);
  Outcome Do(const script::ExpectDialog& expect);
  Outcome Do(const script::ExpectDialogChecked& expect);
  Outcome Do(const script::ExpectDialogText& expect);
  Outcome Do(const script::QueueAnswer& answer);
  Outcome Do(const script::WaitAnswered& wait);
  Outcome Do(const script::TrayClick& click);
  Outcome Do(const script::ReaderKey& key);
  Outcome Do(const script::WindowClick& click);

  TPluginWord ParamValue(const std::optional<script::Value>& value);
  std::optional<TPluginWord> Actual(script::Key key) const;

  HostParts host_;
  std::function<void(const std::string&)> print_;
  TPluginMessage sent_{};
  TPluginMessage received_{};
  bool haveRecord_ = false;
  std::vector<OleString> strings_;  // the wstr: values of the last send
  std::vector<TopWindow> remembered_;
  unsigned lastStepMs_ = 0;  // how long the step before took
  ModalAnswers answers_;
};

}  // namespace kivo::host
