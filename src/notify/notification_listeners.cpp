#include "notify/notification_listeners.h"

namespace VemoSDK::Notify {

NotificationListeners& NotificationListeners::instance() {
  static NotificationListeners* const listeners = new NotificationListeners();
  return *listeners;
}

void NotificationListeners::listen(int64_t toast_id, int64_t callback_id) {
  std::lock_guard<std::mutex> guard(lock_);
  callbacks_[toast_id] = callback_id;
}

std::optional<int64_t> NotificationListeners::take(int64_t toast_id) {
  std::lock_guard<std::mutex> guard(lock_);
  auto found = callbacks_.find(toast_id);
  if (found == callbacks_.end()) return std::nullopt;
  int64_t callback_id = found->second;
  callbacks_.erase(found);
  return callback_id;
}

void NotificationListeners::clear() {
  std::lock_guard<std::mutex> guard(lock_);
  callbacks_.clear();
}

}  // namespace VemoSDK::Notify
