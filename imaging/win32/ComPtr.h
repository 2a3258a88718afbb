// Owner of one COM interface pointer: released when the owner goes.
#pragma once

#include <utility>

namespace kivo {

template <typename Interface>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(TComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  TComPtr& operator=(TComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For the out parameter of a creating call: releases what was held.
  Interface** Out() {
    Reset();
    return &pointer_;
  }
  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace kivo
