// A shared owner that always owns something. What a worker co-owns with the
// window (mailbox, poster, cancel, run flags) is held this way, so neither
// side checks for null and neither can be handed an empty one.
#pragma once

#include <concepts>
#include <memory>
#include <stdexcept>
#include <utility>

namespace kivo {

template <class T>
class TSharedRef {
 public:
  explicit TSharedRef(std::shared_ptr<T> owner) : owner_(std::move(owner)) {
    if (!owner_) throw std::invalid_argument("TSharedRef made from an empty owner");
  }
  // `part` lives inside what `owner` owns (a member, a base).
  template <class U>
  TSharedRef(const TSharedRef<U>& owner, T& part) : owner_(owner.Shared(), &part) {}
  template <class U>
  requires std::convertible_to<U*, T*> TSharedRef(const TSharedRef<U>& other) : owner_(other.Shared()) {}

  // Copies only: a moved-from owner would be empty.
  TSharedRef(const TSharedRef&) = default;
  TSharedRef& operator=(const TSharedRef&) = default;
  ~TSharedRef() = default;

  T& operator*() const { return *owner_; }
  T* operator->() const { return owner_.get(); }
  const std::shared_ptr<T>& Shared() const { return owner_; }

 private:
  std::shared_ptr<T> owner_;
};

template <class T, class... Args>
TSharedRef<T> MakeShared(Args&&... args) {
  return TSharedRef<T>(std::make_shared<T>(std::forward<Args>(args)...));
}

}  // namespace kivo
