#pragma once
// Keeps a failing script from flooding the crash-report service: the same
// error again within the window is dropped, and at most kLuaErrorBurst
// reports go out per window.
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace VemoSDK {

constexpr std::int64_t kLuaErrorWindowMs = 60 * 1000;
constexpr size_t kLuaErrorBurst = 10;

class LuaErrorLimiter {
public:
  // Whether the error with this text may be reported at now_ms.
  bool allow(const std::string& error_text, std::int64_t now_ms);

private:
  std::mutex lock_;
  std::map<std::string, std::int64_t> last_sent_;  // error text -> when it last went out
  std::deque<std::int64_t> sent_;                  // sending times within the window
};

// Sends a Lua error as an immediate report ("lua", "exception") unless the
// process's limiter drops it.
void report_lua_error(const char* message, const char* stack);

}  // namespace VemoSDK
