// The plugin's HTTP client on WinInet. WinInet's blocking calls do not look at
// the cancel mark, so a cancel closes the request's handles from the
// cancelling thread: that makes a call blocked on them fail.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "base/Text1251.h"
#include "platform/Http.h"

namespace kivo {
namespace {

// Revalidate a copy held in the platform's cache (0xC00).
constexpr DWORD kRevalidateFlags = INTERNET_FLAG_RESYNCHRONIZE | INTERNET_FLAG_HYPERLINK;
constexpr DWORD kBypassCacheFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD kMaxHeaderChars = 1024;

std::wstring Wide(std::string_view text) {
  const std::u16string wide = WinToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

DWORD Milliseconds(std::chrono::milliseconds duration) {
  return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(duration.count(), 1, 0x7FFFFFFF));
}

void SetDwordOption(HINTERNET handle, DWORD option, DWORD value) {
  InternetSetOptionW(handle, option, &value, sizeof value);
}

// Each step waits at most this long: connecting, sending, every wait for data.
void SetTimeouts(HINTERNET handle, DWORD ms) {
  SetDwordOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, ms);
  SetDwordOption(handle, INTERNET_OPTION_SEND_TIMEOUT, ms);
  SetDwordOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, ms);
}

void SetStringOption(HINTERNET handle, DWORD option, const std::string& value) {
  std::wstring wide = Wide(value);
  InternetSetOptionW(handle, option, wide.data(), static_cast<DWORD>(wide.size() + 1));
}

DWORD StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    return 0;
  return status;
}

// Some WinInet versions pass the socket's own time-out through, and one ends
// a wait for the response head that timed out as an aborted connection: a
// failure that came only after the whole wait is taken for a time-out too.
THttpError ErrorOfLastCall(std::chrono::steady_clock::time_point start, std::chrono::milliseconds wait) {
  const DWORD error = GetLastError();
  if (error == ERROR_INTERNET_TIMEOUT || error == WSAETIMEDOUT) return THttpError::TimedOut;
  return std::chrono::steady_clock::now() - start >= wait ? THttpError::TimedOut : THttpError::Failed;
}

// The session, connection and request handles of one request, closed once:
// by whichever comes first of the response's end and a cancel on another
// thread. A call still using a closed handle fails; WinInet looks handles up,
// so the value itself is harmless.
class TRequestHandles {
 public:
  enum TSlot { kSession, kConnection, kRequest };

  TRequestHandles() = default;
  TRequestHandles(const TRequestHandles&) = delete;
  TRequestHandles& operator=(const TRequestHandles&) = delete;
  ~TRequestHandles() { Close(); }

  // Takes `handle` into `slot`; false (the handle closed) once Close has run.
  bool Adopt(TSlot slot, HINTERNET handle) {
    if (!handle) return false;
    const std::lock_guard lock(mutex_);
    if (closed_) {
      InternetCloseHandle(handle);
      return false;
    }
    handles_[slot] = handle;
    return true;
  }

  HINTERNET Get(TSlot slot) {
    const std::lock_guard lock(mutex_);
    return handles_[slot];
  }

  // The request first, the session last.
  void Close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    for (int slot = kRequest; slot >= kSession; --slot) {
      if (handles_[slot]) InternetCloseHandle(std::exchange(handles_[slot], nullptr));
    }
  }

 private:
  std::mutex mutex_;
  HINTERNET handles_[3] = {};
  bool closed_ = false;
};

class WinInetResponse final : public IHttpResponse {
 public:
  WinInetResponse(std::shared_ptr<TRequestHandles> handles, THttpCancel::TAbort abort,
                  const THttpRequest& params)
      : handles_(std::move(handles)),
        abort_(std::move(abort)),
        wait_(params.Wait),
        deadline_(std::chrono::steady_clock::now() + params.Timeout) {}

  // The abort goes first: a cancel from now on finds nothing of this request to close.
  ~WinInetResponse() override {
    abort_ = {};
    handles_->Close();
  }

  int Status() override { return static_cast<int>(StatusCode(Request())); }

  std::string Header(std::string_view name) override {
    std::wstring buffer = Wide(name);
    buffer.resize(kMaxHeaderChars);
    DWORD size = kMaxHeaderChars * sizeof(wchar_t);
    if (!HttpQueryInfoW(Request(), HTTP_QUERY_CUSTOM, buffer.data(), &size, nullptr)) return {};
    buffer.resize(size / sizeof(wchar_t));
    return Utf16ToWin(std::u16string(buffer.begin(), buffer.end()));
  }

  std::int64_t AnnouncedSize() override {
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!HttpQueryInfoW(Request(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
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
    const HINTERNET request = Request();
    if (!request) return kReadFailed;
    const std::chrono::milliseconds wait = std::min(left, wait_);
    SetDwordOption(request, INTERNET_OPTION_RECEIVE_TIMEOUT, Milliseconds(wait));
    const auto start = std::chrono::steady_clock::now();
    DWORD read = 0;
    if (!InternetReadFile(request, buffer, static_cast<DWORD>(std::max(size, 0)), &read)) {
      return ErrorOfLastCall(start, wait) == THttpError::TimedOut ? kReadTimedOut : kReadFailed;
    }
    return static_cast<int>(read);
  }

 private:
  HINTERNET Request() { return handles_->Get(TRequestHandles::kRequest); }

  std::shared_ptr<TRequestHandles> handles_;
  THttpCancel::TAbort abort_;
  std::chrono::milliseconds wait_;
  std::chrono::steady_clock::time_point deadline_;
};

HINTERNET OpenSession(const THttpRequest& params) {
  if (params.Proxy.empty()) return InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  return InternetOpenW(L"", INTERNET_OPEN_TYPE_PROXY, Wide(params.Proxy).c_str(),
                       Wide(params.ProxyBypass).c_str(), 0);
}

DWORD RequestFlags(const THttpRequest& params) {
  DWORD flags = params.Secure ? INTERNET_FLAG_SECURE : 0;
  if (params.BypassCache) return flags | kBypassCacheFlags;
  return flags | (params.Revalidate ? kRevalidateFlags : 0);
}

bool HasProxyCredentials(const THttpRequest& params) {
  return !params.Proxy.empty() && (!params.ProxyUser.empty() || !params.ProxyPassword.empty());
}

HINTERNET OpenRequest(HINTERNET connection, const THttpRequest& params) {
  const HINTERNET request = HttpOpenRequestW(connection, L"GET", Wide(params.Target).c_str(), nullptr,
                                             nullptr, nullptr, RequestFlags(params), 0);
  if (!request) return nullptr;
  for (const std::string& header : params.Headers) {
    const std::wstring line = Wide(header + "\r\n");
    HttpAddRequestHeadersW(request, line.c_str(), static_cast<DWORD>(line.size()), HTTP_ADDREQ_FLAG_ADD);
  }
  if (params.AcceptCompressed) SetDwordOption(request, INTERNET_OPTION_HTTP_DECODING, TRUE);
  if (HasProxyCredentials(params)) {
    SetStringOption(request, INTERNET_OPTION_PROXY_USERNAME, params.ProxyUser);
    SetStringOption(request, INTERNET_OPTION_PROXY_PASSWORD, params.ProxyPassword);
  }
  return request;
}

bool Send(HINTERNET request) {
  return HttpSendRequestW(request, nullptr, 0, nullptr, 0) != FALSE;
}

void DrainBody(HINTERNET request) {
  char buffer[2048];
  DWORD read = 0;
  while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
  }
}

// Some WinInet versions hand the proxy's challenge back instead of answering
// it with the credentials they hold; then the request is sent once more. An
// origin's challenge is never answered: the credentials are the proxy's.
bool SendAnsweringTheProxy(HINTERNET request, const THttpRequest& params) {
  if (!Send(request)) return false;
  if (!HasProxyCredentials(params) || StatusCode(request) != HTTP_STATUS_PROXY_AUTH_REQ) return true;
  DrainBody(request);
  return Send(request);
}

class WinInetHttpClient final : public IHttpClient {
 public:
  std::unique_ptr<IHttpResponse> Get(const THttpRequest& params, THttpError& error) override {
    error = THttpError::Failed;
    auto handles = std::make_shared<TRequestHandles>();
    THttpCancel::TAbort abort = THttpCancel::OnCancel(params.Cancel, [handles] { handles->Close(); });
    const std::chrono::milliseconds wait = std::min(params.Wait, params.Timeout);
    if (!handles->Adopt(TRequestHandles::kSession, OpenSession(params))) return nullptr;
    const HINTERNET session = handles->Get(TRequestHandles::kSession);
    SetTimeouts(session, Milliseconds(wait));
    if (!handles->Adopt(
            TRequestHandles::kConnection,
            InternetConnectW(session, Wide(params.Host).c_str(), static_cast<INTERNET_PORT>(params.Port),
                             nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0))) {
      return nullptr;
    }
    const HINTERNET connection = handles->Get(TRequestHandles::kConnection);
    SetTimeouts(connection, Milliseconds(wait));
    if (!handles->Adopt(TRequestHandles::kRequest, OpenRequest(connection, params))) return nullptr;
    const HINTERNET request = handles->Get(TRequestHandles::kRequest);
    SetTimeouts(request, Milliseconds(wait));
    const auto start = std::chrono::steady_clock::now();
    if (!SendAnsweringTheProxy(request, params)) {
      error = ErrorOfLastCall(start, wait);
      return nullptr;
    }
    error = THttpError::None;
    return std::make_unique<WinInetResponse>(std::move(handles), std::move(abort), params);
  }
};

}  // namespace

IHttpClient& PlatformHttpClient() {
  static WinInetHttpClient client;
  return client;
}

}  // namespace kivo
