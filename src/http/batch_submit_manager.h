#pragma once
// Bundles the results and events of download batches for Lua: at most one
// "BATCH_SUBMIT_EVENT" {"list":[...]} per batch per flush. A flush runs on a
// 100 ms one-shot timer (sooner than 100 ms after the last one only when 20
// or more results wait); a batch's list holds its results, then its header
// events, then at most one progress event, the newest of all batches,
// accepted at most once per progress interval.
//
// Threads: the download thread and the check workers add items, the Lua
// thread adds refusals, a pool thread flushes. Each store has its own lock.
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "core/owners.h"

class DowloadBatchSubmitManager {
public:
  // What the manager needs of the process: clocks, the flush timer and the
  // road to Lua. The process's own uses the SDK pool and the Lua task queue.
  class Environment {
  public:
    virtual ~Environment() = default;
    virtual int64_t nowMs() = 0;        // steady clock: intervals
    virtual int64_t eventTimeMs() = 0;  // wall clock, ms since 1970: "event_time"
    // Calls manager.checkStartTimerCallback() once after delay_ms from
    // another thread; false when no timer can be made.
    virtual bool startFlushTimer(DowloadBatchSubmitManager& manager, uint32_t delay_ms) = 0;
    virtual void post(int64_t batch_id, const std::string& json) = 0;
  };

  static constexpr uint32_t kFlushDelayMs = 100;
  static constexpr size_t kEarlyFlushResults = 20;
  static constexpr int32_t kDefaultProgressIntervalMs = 1000;

  // The process's manager, created on first use and never destroyed.
  static DowloadBatchSubmitManager& checkInit();

  explicit DowloadBatchSubmitManager(Environment& environment);
  DowloadBatchSubmitManager(const DowloadBatchSubmitManager&) = delete;
  DowloadBatchSubmitManager& operator=(const DowloadBatchSubmitManager&) = delete;

  // The final answer of a download of the batch. A success drops the header
  // events of that callback id that have not been delivered yet.
  void addAsyncCallResult(int64_t batch_id, int64_t callback_id, vemo::JsonPtr result, bool rename_ret,
                          bool success);
  // A header event (queued: every one is delivered) or a progress event
  // (only the newest of all batches waits).
  void addHttpEvent(int64_t batch_id, int64_t callback_id, vemo::JsonPtr event, bool queued);
  void updateProgressNotifyIntervalMills(int32_t interval_ms);
  int32_t progressIntervalMs() const { return progress_interval_ms_; }

  // The flush, run by the timer.
  void checkStartTimerCallback();

private:
  struct Item {
    int64_t batchId;
    vemo::JsonPtr object;
  };
  using Store = std::multimap<int64_t, Item>;  // callback id -> item

  void send_next_submit_callback_timer();
  // forced: also within 100 ms of the last flush (no timer could be made).
  void flush(bool forced);
  bool hasRemaining();

  Environment& env_;
  std::mutex results_lock_;
  Store results_;
  std::mutex headers_lock_;
  Store header_events_;
  std::mutex progress_lock_;
  bool has_progress_ = false;
  Item progress_{0, nullptr};

  static constexpr int64_t kNever = INT64_MIN / 2;
  std::atomic<bool> timer_armed_{false};
  std::atomic<int64_t> armed_at_ms_{kNever};
  std::atomic<int64_t> last_flush_ms_{kNever};
  std::atomic<int64_t> last_progress_ms_{kNever};
  std::atomic<int32_t> progress_interval_ms_{kDefaultProgressIntervalMs};
};
