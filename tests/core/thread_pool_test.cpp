// The SDK thread pool: work items, one-shot timers and their release, and
// vemosdk_timer_once delivering "ASYNC_CALL" to Lua. Waits use generous
// deadlines; nothing here asserts how fast the pool is.
#include "core/thread_pool.h"

#include "core/debug_log.h"
#include "core/lua_task_queue.h"
#include "core/owners.h"
#include "lua_values.h"
#include "sdk/exports.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using ThreadPoolWrappers::CThreadPool;
using vemo::test::LuaStateHolder;
using vemo::test::pop_values;
using Values = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr auto kDeadline = std::chrono::seconds(10);

// Polls until done() holds or the deadline passes; the last answer of done().
bool waitFor(const std::function<bool()>& done, Clock::duration deadline = kDeadline) {
  auto end = Clock::now() + deadline;
  while (!done()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void CALLBACK countTimer(PTP_CALLBACK_INSTANCE, void* context, PTP_TIMER) {
  ++*static_cast<std::atomic<int>*>(context);
}

void CALLBACK countWork(PTP_CALLBACK_INSTANCE, void* context, PTP_WORK) {
  ++*static_cast<std::atomic<int>*>(context);
}

class SdkTimers : public ::testing::Test {
protected:
  void SetUp() override {
    while (nextTask() != Values{"nil"}) {
    }
  }

  Values nextTask() { return pop_values(L.get(), LuaTaskQueue::getInstance()->tick(L.get())); }

  // The next task to reach Lua, or {"nil"} when none came in time.
  Values waitForTask(Clock::duration deadline = kDeadline) {
    Values task{"nil"};
    waitFor([&] { return (task = nextTask()) != Values{"nil"}; }, deadline);
    return task;
  }

  LuaStateHolder L;
};

TEST_F(SdkTimers, DeliversTheIdAndEmptyJsonAfterTheDelay) {
  auto start = Clock::now();
  vemosdk_timer_once(42, 0.25f);
  EXPECT_EQ((Values{"ASYNC_CALL", "#42", "{}", "nil"}), waitForTask());
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(SdkTimers, DelayUnderAMillisecondFiresAtOnce) {
  vemosdk_timer_once(1, 0.25f);
  vemosdk_timer_once(2, 0.0009f);  // 0 ms
  EXPECT_EQ("#2", waitForTask().at(1));
  EXPECT_EQ("#1", waitForTask().at(1));
}

TEST_F(SdkTimers, IdIsTakenAs32BitsAndArrivesWithItsSign) {
  struct IdCase {
    intptr_t id;
    const char* delivered;
  };
  const IdCase cases[] = {{-5, "#-5"}, {0, "#0"}, {2147483647, "#2147483647"}, {INT32_MIN, "#-2147483648"}};
  for (const auto& c : cases) {
    vemosdk_timer_once(c.id, 0.0f);
    EXPECT_EQ(c.delivered, waitForTask().at(1)) << c.id;
  }
  EXPECT_TRUE(VemoSDK::timerOnce(0x100000007LL, 0.0));
  EXPECT_EQ("#7", waitForTask().at(1));
}

TEST_F(SdkTimers, TwoTimersWithOneIdBothFire) {
  vemosdk_timer_once(9, 0.01f);
  vemosdk_timer_once(9, 0.01f);
  EXPECT_EQ("#9", waitForTask().at(1));
  EXPECT_EQ("#9", waitForTask().at(1));
}

std::mutex g_log_lock;
std::string g_log;
void keepLog(int, const char* text, int length) {
  std::lock_guard<std::mutex> guard(g_log_lock);
  g_log.append(text, static_cast<size_t>(length));
}

TEST_F(SdkTimers, RefusesDelaysThatAreNoDelayAndSaysSo) {
  vemo_debug_set_console(1);
  vemo_debug_set_callback(keepLog);
  const size_t pending = vemosdk_get_thread_pool()->pendingTimers();
  const double refused[] = {-1.0, -0.001, std::nan(""), std::numeric_limits<double>::infinity(), 4294968.0};
  for (double seconds : refused) {
    g_log.clear();
    EXPECT_FALSE(VemoSDK::timerOnce(3, seconds)) << seconds;
    EXPECT_NE(std::string::npos, g_log.find("vemosdk_timer_once: refused")) << seconds << ": " << g_log;
  }
  vemo_debug_set_callback(nullptr);
  vemo_debug_set_console(0);
  EXPECT_EQ(pending, vemosdk_get_thread_pool()->pendingTimers());
  EXPECT_EQ((Values{"nil"}), waitForTask(std::chrono::milliseconds(300)));
}

TEST_F(SdkTimers, LongDelayDoesNotWrapToAShortOne) {
  // 429,497 ms is just past what 32 bits hold in 100 ns units.
  vemosdk_timer_once(5, 429.497f);
  EXPECT_EQ((Values{"nil"}), waitForTask(std::chrono::milliseconds(1500)));
  EXPECT_EQ(1u, vemosdk_get_thread_pool()->pendingTimers());
  vemosdk_deinit();  // cancels it
  EXPECT_EQ((Values{"nil"}), nextTask());
}

TEST_F(SdkTimers, DeinitCancelsPendingTimersAndTheNextUseMakesANewPool) {
  vemosdk_timer_once(11, 0.3f);
  vemosdk_deinit();
  EXPECT_EQ((Values{"nil"}), waitForTask(std::chrono::milliseconds(700)));
  vemosdk_timer_once(12, 0.0f);
  EXPECT_EQ("#12", waitForTask().at(1));
}

// The repeat pattern of the download batch flush on the SDK pool: each run
// arms the next through the pool getter. One run is held up until the pool
// is being deleted; it must find the closing pool (and be refused) rather
// than start a new pool that keeps the chain alive after the deletion.
std::atomic<int> g_sdk_chain_runs{0};
HANDLE g_chain_running = nullptr;
HANDLE g_chain_resume = nullptr;
void CALLBACK sdkChainTimer(PTP_CALLBACK_INSTANCE, void*, PTP_TIMER) {
  if (++g_sdk_chain_runs == 3) {
    SetEvent(g_chain_running);
    WaitForSingleObject(g_chain_resume, 10000);
  }
  vemosdk_get_thread_pool()->startTimer(sdkChainTimer, nullptr, 1);
}

TEST_F(SdkTimers, ChainRearmedThroughTheGetterEndsWithTheSdkPool) {
  vemo::UniqueHandle running(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  vemo::UniqueHandle resume_run(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  g_chain_running = running.get();
  g_chain_resume = resume_run.get();
  ASSERT_TRUE(vemosdk_get_thread_pool()->startTimer(sdkChainTimer, nullptr, 0));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_chain_running, 10000));
  // The deletion waits for the held run, which goes on once the deletion
  // has had ample time to begin.
  std::thread resume([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SetEvent(g_chain_resume);
  });
  vemosdk_delete_thread_pool();
  resume.join();
  const int runs = g_sdk_chain_runs;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(runs, g_sdk_chain_runs.load());
  EXPECT_EQ(0u, vemosdk_get_thread_pool()->pendingTimers());
}

TEST(ThreadPool, PendingTimerNeverFiresAfterThePoolIsDestroyed) {
  std::atomic<int> fired{0};
  auto pool = std::make_unique<CThreadPool>();
  ASSERT_TRUE(pool->startTimer(countTimer, &fired, 300));
  EXPECT_EQ(1u, pool->pendingTimers());
  pool.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(0, fired.load());
}

TEST(ThreadPool, FiredTimersAreReleased) {
  std::atomic<int> fired{0};
  CThreadPool pool;
  constexpr int kTimers = 2000;
  for (int i = 0; i < kTimers; ++i) ASSERT_TRUE(pool.startTimer(countTimer, &fired, static_cast<uint32_t>(i % 3)));
  EXPECT_TRUE(waitFor([&] { return fired == kTimers; })) << fired;
  EXPECT_TRUE(waitFor([&] { return pool.pendingTimers() == 0; })) << pool.pendingTimers();
}

// The repeat pattern of the download batch flush: each run arms the next.
struct Repeater {
  CThreadPool* pool;
  std::atomic<int> runs{0};
  int limit;
};
void CALLBACK repeatTimer(PTP_CALLBACK_INSTANCE, void* context, PTP_TIMER) {
  auto* repeater = static_cast<Repeater*>(context);
  if (++repeater->runs < repeater->limit) repeater->pool->startTimer(repeatTimer, repeater, 1);
}

TEST(ThreadPool, TimerRearmedFromItsCallbackRunsUntilThePoolCloses) {
  auto pool = std::make_unique<CThreadPool>();
  Repeater finite{pool.get(), {0}, 5};
  Repeater endless{pool.get(), {0}, std::numeric_limits<int>::max()};
  ASSERT_TRUE(pool->startTimer(repeatTimer, &finite, 0));
  ASSERT_TRUE(pool->startTimer(repeatTimer, &endless, 0));
  EXPECT_TRUE(waitFor([&] { return finite.runs == 5 && endless.runs > 20; }));
  pool.reset();  // refuses new timers while it closes, so this ends
  int runs = endless.runs;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(runs, endless.runs.load());
  EXPECT_EQ(5, finite.runs.load());
}

TEST(ThreadPool, WorkRunsOnAtMostFivePoolThreadsAndClosingWaitsForIt) {
  std::atomic<int> done{0}, running{0}, most{0};
  std::atomic<bool> on_caller_thread{false};
  const auto caller = std::this_thread::get_id();
  auto pool = std::make_unique<CThreadPool>();
  constexpr int kItems = 40;
  for (int i = 0; i < kItems; ++i) {
    ASSERT_TRUE(pool->submit([&] {
      if (std::this_thread::get_id() == caller) on_caller_thread = true;
      int now = ++running;
      for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      --running;
      ++done;
    }));
  }
  pool.reset();  // queued work still runs
  EXPECT_EQ(kItems, done.load());
  EXPECT_FALSE(on_caller_thread.load());
  EXPECT_GE(most.load(), 1);
  EXPECT_LE(most.load(), 5);
}

TEST(ThreadPool, SubmitWorkLeavesTheHandleToThePool) {
  std::atomic<int> ran{0};
  CThreadPool pool;
  ThreadPoolWrappers::WorkHandle handle;
  ASSERT_TRUE(pool.submitWork(countWork, &ran, handle));
  EXPECT_NE(nullptr, handle.get());
  EXPECT_FALSE(handle.owned());
  EXPECT_TRUE(waitFor([&] { return ran == 1; }));
}

}  // namespace
