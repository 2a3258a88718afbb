// The plugin's HTTP client on WinInet.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "platform/Http.h"

namespace kivo {
namespace {

struct InternetCloser {
  void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

// Revalidate a copy held in the platform's cache (0xC00).
constexpr DWORD kRevalidateFlags = INTERNET_FLAG_RESYNCHRONIZE | INTERNET_FLAG_HYPERLINK;

DWORD Milliseconds(std::chrono::milliseconds duration) {
  return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(duration.count(), 1, 0x7FFFFFFF));
}

void SetDwordOption(HINTERNET handle, DWORD option, DWORD value) {
  InternetSetOptionA(handle, option, &value, sizeof value);
}

void SetTimeouts(HINTERNET handle, std::chrono::milliseconds timeout) {
  const DWORD ms = Milliseconds(timeout);
  SetDwordOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, ms);
  SetDwordOption(handle, INTERNET_OPTION_SEND_TIMEOUT, ms);
  SetDwordOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, ms);
}

void SetStringOption(HINTERNET handle, DWORD option, const std::string& value) {
  InternetSetOptionA(handle, option, const_cast<char*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
}

DWORD StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    return 0;
  return status;
}

void DrainBody(HINTERNET request) {
  char buffer[2048];
  DWORD read = 0;
  while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
  }
}

bool HasProxyCredentials(const THttpRequest& params) {
  return !params.Proxy.empty() && (!params.ProxyUser.empty() || !params.ProxyPassword.empty());
}

// Some WinInet versions hand the proxy's challenge back instead of answering
// it with the credentials they hold; then the request is sent once more. An
// origin's challenge is never answered: the credentials are the proxy's.
bool ChallengeUnanswered(HINTERNET request, const THttpRequest& params) {
  return HasProxyCredentials(params) && StatusCode(request) == HTTP_STATUS_PROXY_AUTH_REQ;
}

class WinInetResponse final : public IHttpResponse {
 public:
  WinInetResponse(InternetHandle internet, InternetHandle connection, InternetHandle request,
                  std::chrono::milliseconds timeout)
      : internet_(std::move(internet)),
        connection_(std::move(connection)),
        request_(std::move(request)),
        deadline_(std::chrono::steady_clock::now() + timeout) {}

  std::int64_t AnnouncedSize() override {
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                        nullptr)) {
      return 0;
    }
    return static_cast<std::int64_t>(length);
  }

  int Read(char* buffer, int size) override {
    // The receive time-out applies to each wait; narrowing it keeps the whole
    // request within its time.
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) return kReadTimedOut;
    SetDwordOption(request_.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, Milliseconds(left));
    DWORD read = 0;
    if (!InternetReadFile(request_.get(), buffer, static_cast<DWORD>(std::max(size, 0)), &read)) {
      return GetLastError() == ERROR_INTERNET_TIMEOUT ? kReadTimedOut : kReadFailed;
    }
    return static_cast<int>(read);
  }

 private:
  // Destroyed in reverse: the request first, the Internet handle last.
  InternetHandle internet_;
  InternetHandle connection_;
  InternetHandle request_;
  std::chrono::steady_clock::time_point deadline_;
};

InternetHandle OpenInternet(const THttpRequest& params) {
  if (params.Proxy.empty())
    return InternetHandle(InternetOpenA("", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  return InternetHandle(
      InternetOpenA("", INTERNET_OPEN_TYPE_PROXY, params.Proxy.c_str(), params.ProxyBypass.c_str(), 0));
}

InternetHandle OpenRequest(HINTERNET connection, const THttpRequest& params) {
  const DWORD flags = (params.Revalidate ? kRevalidateFlags : 0) | (params.Secure ? INTERNET_FLAG_SECURE : 0);
  InternetHandle request(
      HttpOpenRequestA(connection, "GET", params.Target.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!request) return request;
  for (const std::string& header : params.Headers) {
    const std::string line = header + "\r\n";
    HttpAddRequestHeadersA(request.get(), line.c_str(), static_cast<DWORD>(line.size()),
                           HTTP_ADDREQ_FLAG_ADD);
  }
  if (HasProxyCredentials(params)) {
    SetStringOption(request.get(), INTERNET_OPTION_PROXY_USERNAME, params.ProxyUser);
    SetStringOption(request.get(), INTERNET_OPTION_PROXY_PASSWORD, params.ProxyPassword);
  }
  return request;
}

bool Send(HINTERNET request) {
  return HttpSendRequestA(request, nullptr, 0, nullptr, 0) != FALSE;
}

class WinInetHttpClient final : public IHttpClient {
 public:
  std::unique_ptr<IHttpResponse> Get(const THttpRequest& params) override {
    InternetHandle internet = OpenInternet(params);
    if (!internet) return nullptr;
    SetTimeouts(internet.get(), params.Timeout);
    InternetHandle connection(InternetConnectA(internet.get(), params.Host.c_str(),
                                               static_cast<INTERNET_PORT>(params.Port), nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return nullptr;
    SetTimeouts(connection.get(), params.Timeout);
    InternetHandle request = OpenRequest(connection.get(), params);
    if (!request || !Send(request.get())) return nullptr;
    if (ChallengeUnanswered(request.get(), params)) {
      DrainBody(request.get());
      if (!Send(request.get())) return nullptr;
    }
    return std::make_unique<WinInetResponse>(std::move(internet), std::move(connection), std::move(request),
                                             params.Timeout);
  }
};

}  // namespace

IHttpClient& PlatformHttpClient() {
  static WinInetHttpClient client;
  return client;
}

}  // namespace kivo
