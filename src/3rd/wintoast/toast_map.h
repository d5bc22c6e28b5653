#pragma once
// The toasts a WinToast has shown, shared with their event handlers, which
// run on system threads: every access takes the lock.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace WinToastLib {

class ToastPlatform;

struct ToastMap {
  std::mutex lock;
  std::map<int64_t, bool> ready_for_deletion;  // toast id -> an event has come for it
  std::shared_ptr<ToastPlatform> platform;

  // After an event: forgets the toasts marked before, then marks this one.
  void markForDeletion(int64_t id);
};

}  // namespace WinToastLib
