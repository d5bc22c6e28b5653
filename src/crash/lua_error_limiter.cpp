#include "crash/lua_error_limiter.h"

#include <iterator>

#include "core/debug_log.h"
#include "core/system_clock.h"
#include "crash/crash_report_builder.h"

namespace VemoSDK {

bool LuaErrorLimiter::allow(const std::string& error_text, std::int64_t now_ms) {
  std::lock_guard<std::mutex> hold(lock_);
  while (!sent_.empty() && now_ms - sent_.front() >= kLuaErrorWindowMs) sent_.pop_front();
  for (auto it = last_sent_.begin(); it != last_sent_.end();) {
    it = now_ms - it->second >= kLuaErrorWindowMs ? last_sent_.erase(it) : std::next(it);
  }
  if (last_sent_.count(error_text) || sent_.size() >= kLuaErrorBurst) return false;
  last_sent_[error_text] = now_ms;
  sent_.push_back(now_ms);
  return true;
}

void report_lua_error(const char* message, const char* stack) {
  static LuaErrorLimiter limiter;
  std::string text = message ? message : "";
  if (!limiter.allow(text + '\n' + (stack ? stack : ""), system_clock_ms())) {
    vemo_debug_printf("lua error not reported again: %s", text.c_str());
    return;
  }
  crash_error_report("lua", "exception", message, stack, nullptr, nullptr);
}

}  // namespace VemoSDK
