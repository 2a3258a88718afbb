// Where the tests find kivo-test-server (tests/server/README.md): the
// environment variable KIVO_TEST_SERVER ("127.0.0.1:PORT", plain HTTP only)
// when set, else the ports file named by KIVO_TEST_SERVER_FILE, which the
// ctest fixture writes and exports.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace kivo::test {

// "127.0.0.1:PORT" of a listener: "http", "https" or "proxy"; empty when the
// server is not running.
inline std::string TestServerAddress(std::string_view listener) {
  if (listener == "http") {
    if (const char* direct = std::getenv("KIVO_TEST_SERVER"); direct != nullptr && *direct != '\0')
      return direct;
  }
  const char* file = std::getenv("KIVO_TEST_SERVER_FILE");
  if (file == nullptr || *file == '\0') return {};
  std::ifstream ports(file, std::ios::binary);
  std::string line;
  const std::string key = std::string(listener) + "=";
  while (std::getline(ports, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(key, 0) == 0) return line.substr(key.size());
  }
  return {};
}

inline constexpr const char* kNoTestServer =
    "kivo-test-server is not running: run the tests through ctest (its fixture starts it; the Windows "
    "build needs the native build's kivo-test-server) or set KIVO_TEST_SERVER_FILE";

// The Basic credentials the proxy listener accepts.
inline constexpr const char* kTestProxyUser = "kivo";
inline constexpr const char* kTestProxyPassword = "secret";

}  // namespace kivo::test
