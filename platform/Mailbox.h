// Where a worker leaves its finished result for the user-interface thread,
// under a key (a feed's index, a picture's serial number). The worker puts the
// whole result here and then posts its window message; the window's thread
// takes the results of that key when it handles the message.
#pragma once

#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace kivo {

// `Key` names the result's int member that files it.
template <class TResult, auto Key = &TResult::FeedIndex>
class TMailbox {
 public:
  using TValue = TResult;

  void Put(TResult result) {
    const std::lock_guard lock(mutex_);
    results_.push_back(std::move(result));
  }

  // Every result under `key`, oldest first.
  std::vector<TResult> Take(int key) {
    return TakeIf(key, [](const TResult&) { return true; });
  }

  template <class Predicate>
  std::vector<TResult> TakeIf(int key, Predicate predicate) {
    std::vector<TResult> taken;
    const std::lock_guard lock(mutex_);
    std::vector<TResult> kept;
    for (TResult& result : results_) {
      if (result.*Key == key && predicate(std::as_const(result))) {
        taken.push_back(std::move(result));
      } else {
        kept.push_back(std::move(result));
      }
    }
    results_ = std::move(kept);
    return taken;
  }

  template <class Predicate>
  bool HoldsIf(int key, Predicate predicate) const {
    const std::lock_guard lock(mutex_);
    for (const TResult& result : results_) {
      if (result.*Key == key && predicate(result)) return true;
    }
    return false;
  }

  std::size_t Size() const {
    const std::lock_guard lock(mutex_);
    return results_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<TResult> results_;
};

}  // namespace kivo
