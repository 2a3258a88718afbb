// In-process stand-ins for the network, the clock, the window's message queue,
// the image decoder and the workers' threads, shared by the worker tests. All
// but the threads are thread-safe.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "imaging/ImageDecoder.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Thread.h"
#include "platform/UiMessages.h"

namespace kivo::testing {

struct FakeRoute {
  std::string Body;
  std::int64_t Announced = -1;  // -1: the body's size
  bool TimesOut = false;        // every read reports a timeout
  bool Throws = false;          // Get throws, as a broken client might
  bool Stalls = false;          // reads wait until the request is cancelled (at most a minute)
  int Status = 200;
  std::map<std::string, std::string> Headers = {};  // of the response, by exact name
};

class FakeHttpClient final : public IHttpClient {
 public:
  // `url` as "host/target" without scheme, e.g. "feeds.test/a.xml".
  void Serve(const std::string& url, FakeRoute route) {
    const std::lock_guard lock(mutex_);
    routes_[url] = std::move(route);
  }
  void Serve(const std::string& url, std::string body) { Serve(url, FakeRoute{std::move(body)}); }
  void Forget(const std::string& url) {
    const std::lock_guard lock(mutex_);
    routes_.erase(url);
  }
  void SetLatency(std::chrono::milliseconds latency) { latencyMs_ = latency.count(); }
  int RequestCount(const std::string& url) const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(requests_.begin(), requests_.end(), url));
  }
  // The header lines of the last request for `url`.
  std::vector<std::string> LastHeaders(const std::string& url) const {
    const std::lock_guard lock(mutex_);
    const auto found = headers_.find(url);
    return found == headers_.end() ? std::vector<std::string>() : found->second;
  }

  std::unique_ptr<IHttpResponse> Get(const THttpRequest& request, THttpError& error) override {
    const std::string url = request.Host + request.Target;
    error = THttpError::Failed;
    FakeRoute route;
    {
      const std::lock_guard lock(mutex_);
      requests_.push_back(url);
      headers_[url] = request.Headers;
      const auto found = routes_.find(url);
      if (found == routes_.end()) return nullptr;
      route = found->second;
    }
    if (latencyMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(latencyMs_));
    if (route.Throws) throw std::runtime_error("client broke down");
    if (request.Cancel && request.Cancel->Cancelled()) return nullptr;
    error = THttpError::None;
    return std::make_unique<Response>(std::move(route), request.Cancel);
  }

 private:
  class Response final : public IHttpResponse {
   public:
    Response(FakeRoute route, std::shared_ptr<THttpCancel> cancel)
        : route_(std::move(route)), cancel_(std::move(cancel)) {}
    int Status() override { return route_.Status; }
    std::string Header(std::string_view name) override {
      const auto found = route_.Headers.find(std::string(name));
      return found == route_.Headers.end() ? std::string() : found->second;
    }
    std::int64_t AnnouncedSize() override {
      return route_.Announced < 0 ? static_cast<std::int64_t>(route_.Body.size()) : route_.Announced;
    }
    int Read(char* buffer, int size) override {
      if (route_.TimesOut) return kReadTimedOut;
      if (route_.Stalls) return WaitForCancel();
      const std::size_t n = route_.Body.copy(buffer, static_cast<std::size_t>(size), at_);
      at_ += n;
      return static_cast<int>(n);
    }

   private:
    int WaitForCancel() const {
      const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
      while (std::chrono::steady_clock::now() < giveUp) {
        if (cancel_ && cancel_->Cancelled()) return kReadFailed;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      return kReadTimedOut;
    }

    FakeRoute route_;
    std::shared_ptr<THttpCancel> cancel_;
    std::size_t at_ = 0;
  };

  mutable std::mutex mutex_;
  std::map<std::string, FakeRoute> routes_;
  std::vector<std::string> requests_;
  std::map<std::string, std::vector<std::string>> headers_;
  std::atomic<long long> latencyMs_{0};
};

// Time stands still.
class FakeClock final : public IClock {
 public:
  std::uint64_t TickMs() override { return 1000; }
  TDateTime Now() override { return 46000.5; }
};

// The window's message queue: workers post, the test's "window thread" waits.
class MessageQueue final : public IMessagePoster {
 public:
  struct Message {
    unsigned Id;
    long LParam;
  };

  void Post(unsigned message, long lParam) override {
    {
      const std::lock_guard lock(mutex_);
      messages_.push_back({message, lParam});
    }
    ready_.notify_all();
  }

  // The next message, or false after `timeout` without one.
  bool Wait(Message& message, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait_for(lock, timeout, [this] { return !messages_.empty(); })) return false;
    message = messages_.front();
    messages_.pop_front();
    return true;
  }

  // Every message of that kind posted so far, in order, taken out of the queue.
  std::vector<long> Take(unsigned id) {
    const std::lock_guard lock(mutex_);
    const auto kept = std::stable_partition(messages_.begin(), messages_.end(),
                                            [id](const Message& m) { return m.Id != id; });
    std::vector<long> taken;
    for (auto m = kept; m != messages_.end(); ++m) taken.push_back(m->LParam);
    messages_.erase(kept, messages_.end());
    return taken;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Message> messages_;
};

// Decodes anything of at least one byte into a 1 x 1 picture whose pixel is the
// file's first byte, so a test can tell which file was loaded.
class FirstBytePictureDecoder final : public IImageDecoder {
 public:
  std::optional<TBitmap32> Decode(ImageKind, std::string_view bytes) override {
    if (bytes.empty()) return std::nullopt;
    return TBitmap32{1, 1, {static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0]))}};
  }
};

// Threads whose jobs wait until the test runs them, on the test's own thread:
// a job held back is a worker blocked on the network. Joining a job held back
// runs it, as waiting for a real thread lets it end.
class HeldThreads final : public IThreadStarter {
 public:
  std::unique_ptr<IThread> Start(std::function<void()> job) override {
    jobs_.push_back(std::make_shared<Job>(std::move(job)));
    return std::make_unique<Thread>(jobs_.back());
  }
  // Runs the oldest job still held back.
  void RunNext() {
    if (Waiting() == 0) throw std::logic_error("no job held back");
    const std::shared_ptr<Job> next = jobs_.front();
    jobs_.pop_front();
    next->Run();
  }
  std::size_t Waiting() {
    std::erase_if(jobs_, [](const std::shared_ptr<Job>& job) { return !job->work; });
    return jobs_.size();
  }

 private:
  struct Job {
    void Run() {
      if (work) std::exchange(work, nullptr)();
    }
    std::function<void()> work;
  };
  class Thread final : public IThread {
   public:
    explicit Thread(std::shared_ptr<Job> job) : job_(std::move(job)) {}
    ~Thread() override {
      if (!detached_) job_->Run();
    }
    void Join() override { job_->Run(); }
    bool JoinUntil(TSteadyTime) override { return !job_->work; }
    void Detach() override { detached_ = true; }

   private:
    std::shared_ptr<Job> job_;
    bool detached_ = false;
  };
  std::deque<std::shared_ptr<Job>> jobs_;
};

// Runs each job at once, on the starting thread.
class ImmediateThreads final : public IThreadStarter {
 public:
  std::unique_ptr<IThread> Start(std::function<void()> job) override {
    job();
    return std::make_unique<EndedThread>();
  }

 private:
  class EndedThread final : public IThread {
   public:
    void Join() override {}
    bool JoinUntil(TSteadyTime) override { return true; }
    void Detach() override {}
  };
};

}  // namespace kivo::testing
