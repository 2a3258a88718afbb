#include "platform/Http.h"

#include <utility>

namespace kivo {

void THttpCancel::Cancel() {
  // Aborts run under the lock, so Remove cannot return while one is running.
  const std::lock_guard<std::mutex> lock(mutex_);
  if (cancelled_.exchange(true, std::memory_order_acq_rel)) return;
  for (auto& [id, abort] : aborts_) abort();
  aborts_.clear();
}

std::uint64_t THttpCancel::Add(std::function<void()> abort) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (Cancelled()) return 0;
  const std::uint64_t id = nextId_++;
  aborts_.emplace(id, std::move(abort));
  return id;
}

void THttpCancel::Remove(std::uint64_t id) {
  const std::lock_guard<std::mutex> lock(mutex_);
  aborts_.erase(id);
}

THttpCancelWatch::THttpCancelWatch(std::shared_ptr<THttpCancel> cancel, std::function<void()> abort)
    : cancel_(std::move(cancel)) {
  if (cancel_) id_ = cancel_->Add(std::move(abort));
}

THttpCancelWatch::~THttpCancelWatch() {
  if (cancel_ && id_ != 0) cancel_->Remove(id_);
}

}  // namespace kivo
