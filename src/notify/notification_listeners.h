#pragma once
// Toast id -> Lua callback id of the scripts that listen. Event threads of
// the Windows Runtime, the Lua thread and process exit all use it: one lock.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

namespace VemoSDK::Notify {

class NotificationListeners {
public:
  // Never destroyed: an event may still arrive while the process exits.
  static NotificationListeners& instance();

  void listen(int64_t toast_id, int64_t callback_id);
  // The listener of a toast, forgotten as it is taken: each gets one message.
  std::optional<int64_t> take(int64_t toast_id);
  void clear();

private:
  std::mutex lock_;
  std::map<int64_t, int64_t> callbacks_;  // guarded by lock_
};

}  // namespace VemoSDK::Notify
