#pragma once
// Owners of the two kinds of hook the web view windows install.
#include <windows.h>

#include <utility>

namespace VemoSDK {

template <class Handle, BOOL(WINAPI* Release)(Handle)>
class UniqueHook {
public:
  UniqueHook() = default;
  explicit UniqueHook(Handle hook) : hook_(hook) {}
  ~UniqueHook() { reset(); }
  UniqueHook(UniqueHook&& other) noexcept : hook_(std::exchange(other.hook_, nullptr)) {}
  UniqueHook& operator=(UniqueHook&& other) noexcept {
    if (this != &other) {
      reset();
      hook_ = std::exchange(other.hook_, nullptr);
    }
    return *this;
  }
  UniqueHook(const UniqueHook&) = delete;
  UniqueHook& operator=(const UniqueHook&) = delete;

  Handle get() const { return hook_; }
  explicit operator bool() const { return hook_ != nullptr; }
  void reset(Handle hook = nullptr) {
    if (hook_) Release(hook_);
    hook_ = hook;
  }

private:
  Handle hook_ = nullptr;
};

using UniqueWinEventHook = UniqueHook<HWINEVENTHOOK, UnhookWinEvent>;
using UniqueWindowsHook = UniqueHook<HHOOK, UnhookWindowsHookEx>;

}  // namespace VemoSDK
