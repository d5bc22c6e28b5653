#pragma once
// The SDK's private Windows thread pool: fire-and-forget work items and
// one-shot timers on 1 to 5 threads. Callbacks run on pool threads and may
// only post to LuaTaskQueue or use objects with their own locks.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>

namespace ThreadPoolWrappers {

struct TimerTraits {
  static void close(PTP_TIMER timer) { CloseThreadpoolTimer(timer); }
};
struct WorkTraits {
  static void close(PTP_WORK work) { CloseThreadpoolWork(work); }
};

// A timer or work handle and whether this wrapper still owns it. The pool's
// operations hand ownership to the pool as soon as the handle exists, so
// the handle is only valid until its callback has run (or the pool is gone).
template <class Handle, class Traits>
class PoolHandle {
public:
  PoolHandle() = default;
  ~PoolHandle() { reset(); }
  PoolHandle(const PoolHandle&) = delete;
  PoolHandle& operator=(const PoolHandle&) = delete;

  Handle get() const { return handle_; }
  bool owned() const { return owned_; }
  void reset(Handle handle = nullptr) {
    if (owned_ && handle_) Traits::close(handle_);
    handle_ = handle;
    owned_ = handle != nullptr;
  }
  void release() { owned_ = false; }

private:
  Handle handle_ = nullptr;
  bool owned_ = false;
};

using TimerHandle = PoolHandle<PTP_TIMER, TimerTraits>;
using WorkHandle = PoolHandle<PTP_WORK, WorkTraits>;

// Created and destroyed on one thread (the UI thread, for the SDK pool);
// work and timers may be started from any thread, pool threads included.
// A work item or timer is released right after its callback has run;
// destroying the pool cancels the timers still pending and waits for the
// callbacks that are running or queued.
class CThreadPool {
public:
  // A private pool of 1 to 5 threads. When it cannot be set up, every
  // operation fails.
  CThreadPool();
  virtual ~CThreadPool();
  CThreadPool(const CThreadPool&) = delete;
  CThreadPool& operator=(const CThreadPool&) = delete;

  // Called once, by the constructor. min_threads / max_threads of -1 leave
  // the system's value. False when the pool, its cleanup group or the
  // minimum cannot be set.
  bool init(HMODULE library, int min_threads, int max_threads, PTP_CLEANUP_GROUP_CANCEL_CALLBACK cancel);

  bool submitWork(PTP_WORK_CALLBACK callback, void* context, WorkHandle& handle);
  // One shot after delay_ms; window_ms lets the system batch expirations.
  bool armTimer(PTP_TIMER_CALLBACK callback, void* context, uint32_t delay_ms, uint32_t window_ms,
                TimerHandle& handle);

  // Runs a copy of the callable on a pool thread.
  bool submit(std::function<void()> callable);
  bool startTimer(PTP_TIMER_CALLBACK callback, void* context, uint32_t delay_ms);
  // After delay_ms, posts "ASYNC_CALL" with the id (sign-extended) to Lua.
  bool timerOnce(int32_t id, uint32_t delay_ms);

  // Timers armed through this pool whose callback has not run yet.
  size_t pendingTimers() const;

  // What the destructor does first, for owners that must close the pool
  // while others can still reach it: from here on every operation fails;
  // pending timers are cancelled and running or queued callbacks waited
  // for. A second call does nothing.
  void close();

private:
  struct ArmedTimer;

  // After a timer's callback: drops it from the pending list and releases it.
  void release(ArmedTimer* armed, PTP_TIMER timer);
  static void CALLBACK onTimer(PTP_CALLBACK_INSTANCE instance, void* context, PTP_TIMER timer);

  TP_CALLBACK_ENVIRON environment_;
  PTP_CLEANUP_GROUP cleanup_group_ = nullptr;
  PTP_POOL pool_ = nullptr;

  // Guards the list and the accepting flag, and is held while an object is
  // created so that closing never races with a new member of the group.
  mutable std::mutex lock_;
  bool accepting_ = false;
  std::list<ArmedTimer> armed_;  // timers not yet fired
};

// What CThreadPool::submit runs on a pool thread: the copied callable, which
// it deletes after.
void CALLBACK thread_pool_work_callback(PTP_CALLBACK_INSTANCE instance, void* context, PTP_WORK work);
// What CThreadPool::timerOnce arms: posts "ASYNC_CALL" with the id in context.
void CALLBACK vemosdk_timer_once_callback(PTP_CALLBACK_INSTANCE instance, void* context, PTP_TIMER timer);

}  // namespace ThreadPoolWrappers

// The SDK pool (1 to 5 threads): created by the first call, deleted by
// vemosdk_delete_thread_pool; the next call after that creates a new one.
// Both are called on the UI thread.
ThreadPoolWrappers::CThreadPool* vemosdk_get_thread_pool();
void vemosdk_delete_thread_pool();

namespace VemoSDK {

// vemosdk_timer_once behind the export: after `seconds` an "ASYNC_CALL" task
// with the id (taken as 32 bits) reaches Lua. Negative, NaN and too long
// delays are refused and logged; false then, or when no timer could be made.
bool timerOnce(int64_t id, double seconds);

}  // namespace VemoSDK
