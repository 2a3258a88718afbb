// Where a feed worker leaves its finished result for the user-interface thread.
// The worker puts the whole result here and then posts its window message; the
// window's thread takes the results of that feed when it handles the message.
#pragma once

#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace kivo {

// TResult has `int FeedIndex` and `std::uint64_t Generation` (the stamp of the
// feed record the worker was started for).
template <class TResult>
class TFeedMailbox {
 public:
  void Put(TResult result) {
    const std::lock_guard lock(mutex_);
    results_.push_back(std::move(result));
  }

  // Every result of feed `index`, oldest first.
  std::vector<TResult> Take(int index) {
    return TakeIf(index, [](const TResult&) { return true; });
  }

  template <class Predicate>
  std::vector<TResult> TakeIf(int index, Predicate predicate) {
    std::vector<TResult> taken;
    const std::lock_guard lock(mutex_);
    std::vector<TResult> kept;
    for (TResult& result : results_) {
      if (result.FeedIndex == index && predicate(std::as_const(result))) {
        taken.push_back(std::move(result));
      } else {
        kept.push_back(std::move(result));
      }
    }
    results_ = std::move(kept);
    return taken;
  }

  template <class Predicate>
  bool HoldsIf(int index, Predicate predicate) const {
    const std::lock_guard lock(mutex_);
    for (const TResult& result : results_) {
      if (result.FeedIndex == index && predicate(result)) return true;
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
