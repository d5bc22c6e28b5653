#include "http/easy_handle_pool.h"

namespace VemoSDKHttp {

vemo::CurlEasy EasyHandlePool::take(int64_t now_ms) {
  vemo::CurlEasy handle;
  {
    std::lock_guard<std::mutex> hold(lock_);
    while (!idle_.empty() && !handle) {
      Idle entry = std::move(idle_.front());
      idle_.pop_front();
      if (now_ms - entry.since_ms < max_age_ms_) handle = std::move(entry.handle);
    }
  }
  if (!handle) return vemo::CurlEasy(curl_easy_init());
  curl_easy_reset(handle.get());
  return handle;
}

void EasyHandlePool::put(vemo::CurlEasy handle, int64_t now_ms) {
  if (!handle) return;
  std::lock_guard<std::mutex> hold(lock_);
  while (max_idle_ > 0 && idle_.size() >= max_idle_) idle_.pop_front();
  if (max_idle_ > 0) idle_.push_back({std::move(handle), now_ms});
}

size_t EasyHandlePool::idleCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return idle_.size();
}

}  // namespace VemoSDKHttp
