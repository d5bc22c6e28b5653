#pragma once
// Owner of one COM interface reference, released when it goes.
#include <utility>

namespace vemo {

template <class T>
class ComPtr {
public:
  ComPtr() = default;
  explicit ComPtr(T* pointer) : pointer_(pointer) {}  // takes over a reference
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  void reset(T* pointer = nullptr) {
    if (pointer_) pointer_->Release();
    pointer_ = pointer;
  }

private:
  T* pointer_ = nullptr;
};

}  // namespace vemo
