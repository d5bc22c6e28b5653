#include "http/speed_limiter.h"

#include <algorithm>

#include "core/debug_log.h"

void VemoLimitHttpSpeed::updateBandwidth(int64_t rate, int64_t buffer_floor) {
  (void)buffer_floor;  // the caller has already raised the rate to it
  if (rate == 0) {
    vemo_debug_printf("update speed value is 0, skip update speed\n");
    return;
  }
  std::lock_guard<std::mutex> hold(lock_);
  rate_ = rate;
  if (rate < 0) {
    window_limit_ = -1;
    low_limit_ = high_limit_ = 0;
  } else {
    // rate x 500 / 1000 without overflowing for any rate.
    window_limit_ = std::max<int64_t>(1, rate / 1000 * kWindowMs + rate % 1000 * kWindowMs / 1000);
    low_limit_ = window_limit_ / 5;
    high_limit_ = window_limit_ - low_limit_;
  }
  vemo_debug_printf("updateBandwidth limit:%lld low_limit:%lld, high_limit:%lld", static_cast<long long>(window_limit_),
                    static_cast<long long>(low_limit_), static_cast<long long>(high_limit_));
}

void VemoLimitHttpSpeed::startWindowLocked(int64_t now_ms) {
  if (window_limit_ < 0) {
    normal_bytes_ = high_bytes_ = 0;
  } else {
    normal_bytes_ = std::max<int64_t>(0, normal_bytes_ - normalLimitLocked());
    high_bytes_ = high_mode_ ? std::max<int64_t>(0, high_bytes_ - high_limit_) : 0;
  }
  // Back-to-back windows keep a 500 ms beat however late they are noticed,
  // so the average holds; after a quiet spell a window starts now.
  window_start_ = now_ms - window_start_ < 2 * kWindowMs ? window_start_ + kWindowMs : now_ms;
  high_mode_ = high_seen_;
  high_seen_ = false;
  // A class still in debt stays held back; the others may resume.
  normal_over_ = window_limit_ >= 0 && normal_bytes_ >= normalLimitLocked();
  high_over_ = window_limit_ >= 0 && high_mode_ && high_bytes_ >= high_limit_;
}

bool VemoLimitHttpSpeed::allowWrite(Pace& pace, size_t n, int64_t now_ms) {
  std::lock_guard<std::mutex> hold(lock_);
  if (window_limit_ < 0) {
    pace.paused = false;
    return true;
  }
  if (now_ms - window_start_ > kWindowMs) startWindowLocked(now_ms);
  if (pace.priority > 0) high_seen_ = high_mode_ = true;
  bool high = high_mode_ && pace.priority > 0;
  int64_t& counter = high ? high_bytes_ : normal_bytes_;
  int64_t limit = high ? high_limit_ : normalLimitLocked();
  bool& over = high ? high_over_ : normal_over_;
  // Decided on what was counted before this write, so that a write larger
  // than the whole window still passes once and is paid for afterwards.
  if (counter < limit && normal_bytes_ + high_bytes_ < window_limit_) {
    counter += static_cast<int64_t>(n);
    over = false;
    pace.paused = false;
    return true;
  }
  over = true;
  pace.paused = true;
  return false;
}

bool VemoLimitHttpSpeed::progressStep(Pace& pace, int64_t now_ms) {
  std::lock_guard<std::mutex> hold(lock_);
  if (window_limit_ < 0 || now_ms - window_start_ > kWindowMs) startWindowLocked(now_ms);
  bool over = pace.priority > 0 ? high_over_ : normal_over_;
  if (over || !pace.paused) return false;
  pace.paused = false;
  return true;
}

bool VemoLimitHttpSpeed::limited() const {
  std::lock_guard<std::mutex> hold(lock_);
  return window_limit_ >= 0;
}

int64_t VemoLimitHttpSpeed::windowLimit() const {
  std::lock_guard<std::mutex> hold(lock_);
  return window_limit_;
}

int64_t VemoLimitHttpSpeed::lowLimit() const {
  std::lock_guard<std::mutex> hold(lock_);
  return low_limit_;
}

int64_t VemoLimitHttpSpeed::highLimit() const {
  std::lock_guard<std::mutex> hold(lock_);
  return high_limit_;
}
