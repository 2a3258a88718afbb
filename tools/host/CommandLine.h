// KivoHost.exe [--plugin PATH] [--settings FILE] [--script FILE]
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kivo::host {

struct HostOptions {
  std::wstring Plugin;    // default: KivoRss.dll beside the host
  std::wstring Settings;  // default: KivoHost.settings beside the host
  std::optional<std::wstring> Script;
};

// `args` without the program name; nullopt and `error` on a usage error.
std::optional<HostOptions> ParseCommandLine(const std::vector<std::wstring>& args, const std::wstring& exeDir,
                                            std::string& error);
extern const char kUsage[];

}  // namespace kivo::host
