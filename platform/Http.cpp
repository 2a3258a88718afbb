#include "platform/Http.h"

#include <utility>

namespace kivo {

THttpCancel::TAbort::TAbort(TAbort&& other) noexcept
    : owner_(std::move(other.owner_)), id_(std::exchange(other.id_, 0)) {}

THttpCancel::TAbort& THttpCancel::TAbort::operator=(TAbort&& other) noexcept {
  if (this != &other) {
    Release();
    owner_ = std::move(other.owner_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

THttpCancel::TAbort::~TAbort() {
  Release();
}

void THttpCancel::TAbort::Release() {
  if (!owner_) return;
  const std::lock_guard lock(owner_->mutex_);
  owner_->aborts_.erase(id_);
  owner_.reset();
}

// The aborts run under the lock: a registration that ends meanwhile waits, so
// an abort never outlives what it closes.
void THttpCancel::Cancel() {
  cancelled_.store(true, std::memory_order_release);
  const std::lock_guard lock(mutex_);
  for (auto& [id, abort] : aborts_) {
    if (abort) std::exchange(abort, nullptr)();
  }
}

THttpCancel::TAbort THttpCancel::OnCancel(const std::shared_ptr<THttpCancel>& cancel,
                                          std::function<void()> abort) {
  if (!cancel) return {};
  const std::lock_guard lock(cancel->mutex_);
  if (cancel->Cancelled()) {
    abort();
    return {};
  }
  const std::uint64_t id = cancel->nextId_++;
  cancel->aborts_.emplace(id, std::move(abort));
  return TAbort(cancel, id);
}

}  // namespace kivo
