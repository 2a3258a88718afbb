#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/Thread.h"

namespace kivo {

namespace {

// std::thread has no join with a deadline: the thread says when it is done.
class TThreadEnd {
 public:
  void Signal() {
    {
      const std::lock_guard lock(mutex_);
      ended_ = true;
    }
    endedChanged_.notify_all();
  }
  bool WaitUntil(TSteadyTime deadline) {
    std::unique_lock lock(mutex_);
    return endedChanged_.wait_until(lock, deadline, [this] { return ended_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable endedChanged_;
  bool ended_ = false;
};

class TStdThread final : public IThread {
 public:
  explicit TStdThread(std::function<void()> job) {
    thread_ = std::thread([job = std::move(job), end = end_]() mutable {
      job();
      job = nullptr;
      end->Signal();
    });
  }
  ~TStdThread() override { Join(); }
  TStdThread(const TStdThread&) = delete;
  TStdThread& operator=(const TStdThread&) = delete;

  void Join() override {
    if (thread_.joinable()) thread_.join();
  }
  bool JoinUntil(TSteadyTime deadline) override {
    if (!thread_.joinable()) return true;
    if (!end_->WaitUntil(deadline)) return false;
    thread_.join();
    return true;
  }
  void Detach() override {
    if (thread_.joinable()) thread_.detach();
  }

 private:
  std::shared_ptr<TThreadEnd> end_ = std::make_shared<TThreadEnd>();
  std::thread thread_;
};

class TStdThreadStarter final : public IThreadStarter {
 public:
  std::unique_ptr<IThread> Start(std::function<void()> job) override {
    return std::make_unique<TStdThread>(std::move(job));
  }
};

}  // namespace

IThreadStarter& SystemThreads() {
  static TStdThreadStarter threads;
  return threads;
}

}  // namespace kivo
