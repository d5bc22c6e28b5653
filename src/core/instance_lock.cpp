#include "core/instance_lock.h"

#include <utility>

namespace {

std::function<void()>& registered_release() {
  static std::function<void()> release;
  return release;
}

}  // namespace

void set_instance_lock_release(std::function<void()> release) { registered_release() = std::move(release); }

void release_instance_lock() {
  std::function<void()> release = std::exchange(registered_release(), nullptr);
  if (release) release();
}
