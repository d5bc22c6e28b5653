#pragma once
// Paces all downloads of the process together. A rate in bytes per second
// becomes a budget per 500 ms window; while a high-priority download is
// active, high-priority downloads share 80 % of each window and the others
// 20 %. A write that finds no budget is held back (the caller pauses the
// transfer) and resumes in a later window. Bytes written over a window's
// budget are carried into the next, so the long-run average keeps the rate.
// The Lua thread sets the rate; the download thread asks before each write.
#include <cstddef>
#include <cstdint>
#include <mutex>

class VemoLimitHttpSpeed {
public:
  // What the limiter needs to know of one transfer; kept by the transfer.
  struct Pace {
    int32_t priority = 0;
    bool paused = false;  // set while the limiter holds the transfer back
  };

  static constexpr int64_t kWindowMs = 500;

  // rate: bytes per second; 0 changes nothing, a negative rate lifts the limit.
  void updateBandwidth(int64_t rate, int64_t buffer_floor);
  // Write side: whether n bytes may be written now. A refusal sets
  // pace.paused; the caller then pauses the transfer.
  bool allowWrite(Pace& pace, size_t n, int64_t now_ms);
  // Progress side: starts a new window when one is due; true when the paused
  // transfer may resume now (pace.paused is then cleared).
  bool progressStep(Pace& pace, int64_t now_ms);

  bool limited() const;
  int64_t windowLimit() const;  // bytes per window, -1 when unlimited
  int64_t lowLimit() const;
  int64_t highLimit() const;

private:
  void startWindowLocked(int64_t now_ms);
  int64_t normalLimitLocked() const { return high_mode_ ? low_limit_ : window_limit_; }

  mutable std::mutex lock_;
  int64_t rate_ = 0;
  int64_t window_limit_ = -1;
  int64_t low_limit_ = 0;
  int64_t high_limit_ = 0;
  int64_t window_start_ = 0;
  int64_t normal_bytes_ = 0;  // counted in this window (carried debt included)
  int64_t high_bytes_ = 0;
  bool normal_over_ = false;
  bool high_over_ = false;
  bool high_seen_ = false;  // a high-priority write happened in this window
  bool high_mode_ = false;  // the window is split between the two classes
};
