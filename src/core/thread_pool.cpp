#include "core/thread_pool.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <utility>

#include "core/debug_log.h"
#include "core/lua_task_queue.h"

namespace ThreadPoolWrappers {

namespace {

constexpr int kMinThreads = 1;
constexpr int kMaxThreads = 5;

// A relative due time: negative, in 100 ns units, computed in 64 bits so
// that long delays do not wrap around to short ones.
FILETIME relativeDueTime(uint32_t delay_ms) {
  ULARGE_INTEGER due;
  due.QuadPart = static_cast<ULONGLONG>(-static_cast<LONGLONG>(delay_ms) * 10000);
  FILETIME time;
  time.dwLowDateTime = due.LowPart;
  time.dwHighDateTime = due.HighPart;
  return time;
}

}  // namespace

void CALLBACK thread_pool_work_callback(PTP_CALLBACK_INSTANCE, void* context, PTP_WORK) {
  std::unique_ptr<std::function<void()>> callable(static_cast<std::function<void()>*>(context));
  (*callable)();
}

void CALLBACK vemosdk_timer_once_callback(PTP_CALLBACK_INSTANCE, void* context, PTP_TIMER) {
  auto id = static_cast<int32_t>(reinterpret_cast<intptr_t>(context));
  LuaTaskQueue::getInstance()->postAsyncCall(id, nullptr, nullptr, 0);
}

// What a timer armed through the pool runs, and its place in the list of
// pending timers.
struct CThreadPool::ArmedTimer {
  CThreadPool* pool;
  PTP_TIMER_CALLBACK callback;
  void* context;
  std::list<ArmedTimer>::iterator place;
};

CThreadPool::CThreadPool() {
  InitializeThreadpoolEnvironment(&environment_);
  init(nullptr, kMinThreads, kMaxThreads, nullptr);
}

CThreadPool::~CThreadPool() {
  close();
  DestroyThreadpoolEnvironment(&environment_);
}

bool CThreadPool::init(HMODULE library, int min_threads, int max_threads,
                       PTP_CLEANUP_GROUP_CANCEL_CALLBACK cancel) {
  pool_ = CreateThreadpool(nullptr);
  if (!pool_) return false;
  SetThreadpoolCallbackPool(&environment_, pool_);
  if (library) SetThreadpoolCallbackLibrary(&environment_, library);
  cleanup_group_ = CreateThreadpoolCleanupGroup();
  if (!cleanup_group_) return false;
  SetThreadpoolCallbackCleanupGroup(&environment_, cleanup_group_, cancel);
  if (min_threads != -1 && !SetThreadpoolThreadMinimum(pool_, static_cast<DWORD>(min_threads))) return false;
  if (max_threads != -1) SetThreadpoolThreadMaximum(pool_, static_cast<DWORD>(max_threads));
  std::lock_guard<std::mutex> guard(lock_);
  accepting_ = true;
  return true;
}

void CThreadPool::close() {
  if (cleanup_group_) {
    {
      // From here on no object joins the group, so the group's close sees
      // all of them.
      std::lock_guard<std::mutex> guard(lock_);
      accepting_ = false;
    }
    // Cancels the timers that have not fired and waits for the callbacks
    // that run or are queued; the group releases every member left.
    CloseThreadpoolCleanupGroupMembers(cleanup_group_, FALSE, nullptr);
    std::lock_guard<std::mutex> guard(lock_);
    armed_.clear();  // the cancelled ones
  }
  if (pool_) CloseThreadpool(pool_);
  if (cleanup_group_) CloseThreadpoolCleanupGroup(cleanup_group_);
  pool_ = nullptr;
  cleanup_group_ = nullptr;
}

bool CThreadPool::submitWork(PTP_WORK_CALLBACK callback, void* context, WorkHandle& handle) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!accepting_) return false;
  PTP_WORK work = CreateThreadpoolWork(callback, context, &environment_);
  if (!work) return false;
  handle.reset(work);
  handle.release();
  SubmitThreadpoolWork(work);
  // Closing a submitted work item frees it once its callback has run.
  CloseThreadpoolWork(work);
  return true;
}

bool CThreadPool::armTimer(PTP_TIMER_CALLBACK callback, void* context, uint32_t delay_ms, uint32_t window_ms,
                           TimerHandle& handle) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!accepting_) return false;
  armed_.push_front(ArmedTimer{this, callback, context, {}});
  ArmedTimer& armed = armed_.front();
  armed.place = armed_.begin();
  PTP_TIMER timer = CreateThreadpoolTimer(onTimer, &armed, &environment_);
  if (!timer) {
    armed_.pop_front();
    return false;
  }
  handle.reset(timer);
  handle.release();

  FILETIME due = relativeDueTime(delay_ms);
  SetThreadpoolTimer(timer, &due, 0, window_ms);
  return true;
}

void CThreadPool::release(ArmedTimer* armed, PTP_TIMER timer) {
  std::lock_guard<std::mutex> guard(lock_);
  armed_.erase(armed->place);
  // A fired one-shot timer is done: release it now rather than at the
  // pool's end (the system frees it once this callback returns). Once the
  // pool has begun to close, the cleanup group releases it instead: a
  // member must not be released twice. Holding the lock keeps close() from
  // starting in between.
  if (accepting_) CloseThreadpoolTimer(timer);
}

void CALLBACK CThreadPool::onTimer(PTP_CALLBACK_INSTANCE instance, void* context, PTP_TIMER timer) {
  auto* armed = static_cast<ArmedTimer*>(context);
  armed->callback(instance, armed->context, timer);
  armed->pool->release(armed, timer);
}

bool CThreadPool::submit(std::function<void()> callable) {
  auto copy = std::make_unique<std::function<void()>>(std::move(callable));
  WorkHandle handle;
  if (!submitWork(thread_pool_work_callback, copy.get(), handle)) return false;
  copy.release();  // thread_pool_work_callback deletes it
  return true;
}

bool CThreadPool::startTimer(PTP_TIMER_CALLBACK callback, void* context, uint32_t delay_ms) {
  TimerHandle handle;
  return armTimer(callback, context, delay_ms, 0, handle);
}

bool CThreadPool::timerOnce(int32_t id, uint32_t delay_ms) {
  return startTimer(vemosdk_timer_once_callback, reinterpret_cast<void*>(static_cast<intptr_t>(id)), delay_ms);
}

size_t CThreadPool::pendingTimers() const {
  std::lock_guard<std::mutex> guard(lock_);
  return armed_.size();
}

}  // namespace ThreadPoolWrappers

namespace {
// Atomic so that pool threads may read it while the UI thread is the only
// writer; deleting the pool while another thread uses it stays the
// caller's fault, as for every singleton of the SDK.
std::atomic<ThreadPoolWrappers::CThreadPool*> g_sdk_pool{nullptr};
}

ThreadPoolWrappers::CThreadPool* vemosdk_get_thread_pool() {
  ThreadPoolWrappers::CThreadPool* pool = g_sdk_pool.load(std::memory_order_acquire);
  if (!pool) {
    pool = new ThreadPoolWrappers::CThreadPool();
    g_sdk_pool.store(pool, std::memory_order_release);
  }
  return pool;
}

void vemosdk_delete_thread_pool() {
  ThreadPoolWrappers::CThreadPool* pool = g_sdk_pool.load(std::memory_order_acquire);
  if (!pool) return;
  // Closed while the getter still hands it out: a callback that arms its
  // next timer through the getter meanwhile is refused by the closing pool,
  // instead of starting a new pool that would carry the chain past the end.
  pool->close();
  g_sdk_pool.store(nullptr, std::memory_order_release);
  delete pool;
}

namespace VemoSDK {

bool timerOnce(int64_t id, double seconds) {
  double ms = std::trunc(seconds * 1000.0);
  if (!(ms >= 0) || ms > 4294967295.0) {
    vemo_debug_printf("vemosdk_timer_once: refused a delay of %g seconds for id %lld\n", seconds,
                      static_cast<long long>(id));
    return false;
  }
  return vemosdk_get_thread_pool()->timerOnce(static_cast<int32_t>(id), static_cast<uint32_t>(ms));
}

}  // namespace VemoSDK
