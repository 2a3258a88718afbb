#include "platform/Worker.h"

namespace kivo {

TWorker::TWorker(TSharedRef<const std::atomic<bool>> busy, std::unique_ptr<IThread> thread)
    : busy_(std::move(busy)), thread_(std::move(thread)) {}

TWorker::~TWorker() {
  if (thread_) thread_->Join();
}

bool TWorker::Stop(TSteadyTime deadline) {
  if (!thread_) return true;
  const bool ended = thread_->JoinUntil(deadline);
  if (!ended) thread_->Detach();
  thread_.reset();
  return ended;
}

}  // namespace kivo
