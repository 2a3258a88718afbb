#include "tools/host/CommandLine.h"

#include <map>

#include "tools/host/Text.h"

namespace kivo::host {

const char kUsage[] = "usage: KivoHost.exe [--plugin PATH] [--settings FILE] [--script FILE]";

std::optional<HostOptions> ParseCommandLine(const std::vector<std::wstring>& args, const std::wstring& exeDir,
                                            std::string& error) {
  std::map<std::wstring, std::wstring> values;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const std::wstring& name = args[i];
    if (name != L"--plugin" && name != L"--settings" && name != L"--script") {
      error = "unknown option " + ToUtf8(name);
      return std::nullopt;
    }
    if (i + 1 >= args.size() || values.count(name) != 0) {
      error = ToUtf8(name) + (i + 1 >= args.size() ? " needs a value" : " given twice");
      return std::nullopt;
    }
    values[name] = args[i + 1];
  }
  HostOptions options{exeDir + L"\\KivoRss.dll", exeDir + L"\\KivoHost.settings", std::nullopt};
  if (values.count(L"--plugin")) options.Plugin = values[L"--plugin"];
  if (values.count(L"--settings")) options.Settings = values[L"--settings"];
  if (values.count(L"--script")) options.Script = values[L"--script"];
  return options;
}

}  // namespace kivo::host
