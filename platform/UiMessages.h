// Posting to the user-interface thread: the only way a worker talks to a window.
#pragma once

#include <mutex>

namespace kivo {

class IMessagePoster {
 public:
  virtual ~IMessagePoster() = default;
  // Queues `message` (wParam 0, lParam `lParam`) for the window's thread and
  // returns at once; safe from any thread.
  virtual void Post(unsigned message, long lParam) = 0;
};

// Posts nowhere: for work whose messages nobody waits for.
IMessagePoster& NoPoster();

// A window's poster as its workers share it. The window closes it as it goes;
// a worker still running then posts into nothing rather than to a window that
// is gone, or to another one that has since got its handle.
class TClosablePoster final : public IMessagePoster {
 public:
  explicit TClosablePoster(IMessagePoster& target) : target_(&target) {}

  void Post(unsigned message, long lParam) override {
    const std::lock_guard lock(mutex_);
    if (target_) target_->Post(message, lParam);
  }
  // Waits for a post under way; after it no post reaches the target.
  void Close() {
    const std::lock_guard lock(mutex_);
    target_ = nullptr;
  }

 private:
  std::mutex mutex_;
  IMessagePoster* target_;
};

}  // namespace kivo
