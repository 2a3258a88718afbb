// The HTTP client of the native tools and tests, on libcurl. It sends the same
// request line and headers, in the same order, as the plugin's WinInet client,
// except that curl puts Host first where WinInet puts it last; curl's own
// Accept, User-Agent and Expect headers are replaced or suppressed. A cache to
// revalidate does not exist here. No proxy from the environment is used:
// without a proxy the request goes direct. Only the proxy gets credentials.
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Http.h"

namespace kivo {
namespace {

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct SlistCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, SlistCleanup>;

constexpr long kAuthMethods = CURLAUTH_BASIC | CURLAUTH_DIGEST;  // two or more: answer challenges only
constexpr int kPollMs = 100;
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;  // of one response's head
constexpr const char* kEncodings = "gzip, deflate";

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

long Milliseconds(std::chrono::milliseconds duration) {
  return static_cast<long>(std::max<std::chrono::milliseconds::rep>(duration.count(), 1));
}

std::string HostAndPort(const THttpRequest& request) {
  const bool defaultPort = request.Port == (request.Secure ? 443 : 80);
  return defaultPort ? request.Host : request.Host + ":" + std::to_string(request.Port);
}

std::string UrlOf(const THttpRequest& request) {
  return (request.Secure ? "https://" : "http://") + HostAndPort(request) + request.Target;
}

HeaderList MakeHeaderList(const THttpRequest& request) {
  HeaderList list;
  auto append = [&list](const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown != nullptr) {
      (void)list.release();
      list.reset(grown);
    }
  };
  for (const std::string& header : request.Headers) append(header);
  append("Expect:");
  return list;
}

class CurlResponse final : public IHttpResponse {
 public:
  static std::unique_ptr<IHttpResponse> Start(const THttpRequest& request, THttpError& error);

  CurlResponse() = default;
  CurlResponse(const CurlResponse&) = delete;
  CurlResponse& operator=(const CurlResponse&) = delete;
  ~CurlResponse() override {
    if (attached_) curl_multi_remove_handle(multi_.get(), easy_.get());
  }

  int Status() override {
    long code = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &code);
    return static_cast<int>(code);
  }

  std::string Header(std::string_view name) override {
    for (const auto& [key, value] : headers_) {
      if (SameName(key, name)) return value;
    }
    return {};
  }

  std::int64_t AnnouncedSize() override {
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy_.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return 0;
    return length > 0 ? static_cast<std::int64_t>(length) : 0;
  }

  int Read(char* buffer, int size) override {
    Pump();
    const std::size_t available = pending_.size() - taken_;
    if (available > 0 && size > 0) {
      const std::size_t n = std::min(available, static_cast<std::size_t>(size));
      std::memcpy(buffer, pending_.data() + taken_, n);
      taken_ += n;
      if (taken_ == pending_.size()) {
        pending_.clear();
        taken_ = 0;
      }
      return static_cast<int>(n);
    }
    if (result_ == CURLE_OK) return 0;
    return result_ == CURLE_OPERATION_TIMEDOUT ? kReadTimedOut : kReadFailed;
  }

 private:
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    static_cast<CurlResponse*>(self)->pending_.append(data, size * count);
    return size * count;
  }

  // Keeps the header lines of the latest response: a redirect or a challenge
  // answered starts a new one.
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& response = *static_cast<CurlResponse*>(self);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
      response.headers_.clear();
      response.headerBytes_ = 0;
    }
    const std::size_t colon = line.find(':');
    response.headerBytes_ += line.size();
    if (colon != std::string_view::npos && response.headerBytes_ <= kMaxHeaderBytes) {
      response.headers_.emplace_back(TrimBlanks(line.substr(0, colon)), TrimBlanks(line.substr(colon + 1)));
    }
    return size * count;
  }

  bool Configure(const THttpRequest& request);
  void SetCredentials(const THttpRequest& request);
  void SetTimeouts(const THttpRequest& request);

  // Drives the transfer until body bytes wait or it has ended.
  void Pump() {
    while (pending_.size() == taken_ && !done_) {
      if (cancel_ && cancel_->Cancelled()) {
        Finish(CURLE_ABORTED_BY_CALLBACK);
        break;
      }
      int running = 0;
      if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
        Finish(CURLE_RECV_ERROR);
        break;
      }
      TakeFinished();
      if (pending_.size() != taken_ || done_) break;
      curl_multi_poll(multi_.get(), nullptr, 0, kPollMs, nullptr);
    }
  }

  void TakeFinished() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
      if (message->msg == CURLMSG_DONE) Finish(message->data.result);
    }
  }

  void Finish(CURLcode result) {
    done_ = true;
    result_ = result;
  }

  bool GotResponse() {
    long code = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &code);
    return code != 0;
  }

  // Declared in this order so the easy handle goes first, the multi handle last.
  MultiHandle multi_;
  HeaderList requestHeaders_;
  EasyHandle easy_;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::size_t headerBytes_ = 0;
  std::shared_ptr<THttpCancel> cancel_;  // looked at between polls
  bool attached_ = false;
  std::string pending_;
  std::size_t taken_ = 0;
  bool done_ = false;
  CURLcode result_ = CURLE_OK;
};

void CurlResponse::SetCredentials(const THttpRequest& request) {
  CURL* easy = easy_.get();
  if (request.Proxy.empty() || (request.ProxyUser.empty() && request.ProxyPassword.empty())) return;
  curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, request.ProxyUser.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, request.ProxyPassword.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXYAUTH, kAuthMethods);
}

// A step without a byte for the wait time fails as a timeout, as does the whole request after its time.
void CurlResponse::SetTimeouts(const THttpRequest& request) {
  CURL* easy = easy_.get();
  const long whole = Milliseconds(request.Timeout);
  const long step = std::min(whole, Milliseconds(request.Wait));
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, whole);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, step);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, std::max(1L, step / 1000));
}

bool CurlResponse::Configure(const THttpRequest& request) {
  multi_.reset(curl_multi_init());
  easy_.reset(curl_easy_init());
  requestHeaders_ = MakeHeaderList(request);
  if (!multi_ || !easy_ || !requestHeaders_) return false;
  CURL* easy = easy_.get();
  curl_easy_setopt(easy, CURLOPT_URL, UrlOf(request).c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, requestHeaders_.get());
  // The request's own Accept-Encoding line, when it has one, replaces curl's.
  if (request.AcceptCompressed) curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, kEncodings);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);  // as WinInet does by default
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_PROXY, request.Proxy.c_str());
  if (!request.ProxyBypass.empty()) curl_easy_setopt(easy, CURLOPT_NOPROXY, request.ProxyBypass.c_str());
  SetCredentials(request);
  SetTimeouts(request);
  // Lets the tests trust the test server's own certificate.
  if (const char* caFile = std::getenv("KIVO_TEST_CA_FILE"); caFile != nullptr && *caFile != '\0') {
    curl_easy_setopt(easy, CURLOPT_CAINFO, caFile);
  }
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlResponse::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlResponse::OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  cancel_ = request.Cancel;
  if (cancel_ && cancel_->Cancelled()) return false;
  attached_ = curl_multi_add_handle(multi_.get(), easy) == CURLM_OK;
  return attached_;
}

std::unique_ptr<IHttpResponse> CurlResponse::Start(const THttpRequest& request, THttpError& error) {
  error = THttpError::Failed;
  auto response = std::make_unique<CurlResponse>();
  if (!response->Configure(request)) return nullptr;
  response->Pump();
  if (response->done_ && response->result_ != CURLE_OK && !response->GotResponse()) {
    if (response->result_ == CURLE_OPERATION_TIMEDOUT) error = THttpError::TimedOut;
    return nullptr;
  }
  error = THttpError::None;
  return response;
}

class CurlGlobal {
 public:
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlGlobal() { curl_global_cleanup(); }
  CurlGlobal(const CurlGlobal&) = delete;
  CurlGlobal& operator=(const CurlGlobal&) = delete;
};

class CurlHttpClient final : public IHttpClient {
 public:
  std::unique_ptr<IHttpResponse> Get(const THttpRequest& request, THttpError& error) override {
    return CurlResponse::Start(request, error);
  }

 private:
  CurlGlobal global_;
};

}  // namespace

IHttpClient& PlatformHttpClient() {
  static CurlHttpClient client;
  return client;
}

}  // namespace kivo
