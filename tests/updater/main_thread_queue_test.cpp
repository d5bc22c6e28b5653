#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "main_thread_queue.h"

namespace {

// A message-only window on the test's thread that stands for the updater's.
class WakeWindow {
public:
  WakeWindow() {
    window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~WakeWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }

  // Removes the pending wake-up messages and returns how many there were.
  int take_wake_ups() {
    int count = 0;
    MSG message;
    while (PeekMessageW(&message, window_, kMainThreadWakeMessage, kMainThreadWakeMessage, PM_REMOVE)) ++count;
    return count;
  }

private:
  HWND window_ = nullptr;
};

TEST(MainThreadQueue, TwoPostsMakeOneWakeUpAndRunInOrder) {
  WakeWindow window;
  ASSERT_TRUE(window.get());
  MainThreadQueue queue;
  queue.set_window(window.get());
  std::vector<int> ran;
  std::thread poster([&] {
    queue.post([&] { ran.push_back(1); });
    queue.post([&] { ran.push_back(2); });
  });
  poster.join();
  EXPECT_EQ(1, window.take_wake_ups());
  EXPECT_TRUE(ran.empty());  // nothing runs before the window drains
  queue.drain();
  EXPECT_EQ((std::vector<int>{1, 2}), ran);

  // The next batch wakes the window again.
  queue.post([&] { ran.push_back(3); });
  EXPECT_EQ(1, window.take_wake_ups());
  queue.drain();
  EXPECT_EQ((std::vector<int>{1, 2, 3}), ran);
}

TEST(MainThreadQueue, TaskPostedWhileDrainingRunsInTheSameDrainAndWakesAgain) {
  WakeWindow window;
  MainThreadQueue queue;
  queue.set_window(window.get());
  std::vector<int> ran;
  queue.post([&] {
    ran.push_back(1);
    queue.post([&] { ran.push_back(2); });
  });
  EXPECT_EQ(1, window.take_wake_ups());
  queue.drain();
  EXPECT_EQ((std::vector<int>{1, 2}), ran);
  // The flag was cleared before the drain, so the nested post sent its own
  // wake-up; the drain it causes finds nothing left, which is harmless.
  EXPECT_EQ(1, window.take_wake_ups());
  queue.drain();
  EXPECT_EQ((std::vector<int>{1, 2}), ran);
}

TEST(MainThreadQueue, FailedWakeUpDoesNotLeaveTheQueueAsleep) {
  MainThreadQueue queue;  // no window yet: the wake-up cannot be posted
  std::vector<int> ran;
  queue.post([&] { ran.push_back(1); });
  MSG stray;
  EXPECT_FALSE(PeekMessageW(&stray, nullptr, kMainThreadWakeMessage, kMainThreadWakeMessage, PM_REMOVE))
      << "a post without a window must not become a message for the posting thread";

  WakeWindow window;
  queue.set_window(window.get());
  queue.post([&] { ran.push_back(2); });
  EXPECT_EQ(1, window.take_wake_ups());
  queue.drain();
  EXPECT_EQ((std::vector<int>{1, 2}), ran);

  // A window that is gone fails the post the same way.
  HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  queue.set_window(gone);
  queue.post([&] { ran.push_back(3); });
  queue.set_window(window.get());
  queue.post([&] { ran.push_back(4); });
  EXPECT_EQ(1, window.take_wake_ups());
  queue.drain();
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), ran);
}

TEST(MainThreadQueue, ManyThreadsEveryTaskRunsOnceInOrderPerThread) {
  WakeWindow window;
  MainThreadQueue queue;
  queue.set_window(window.get());
  constexpr int kThreads = 6;
  constexpr int kPerThread = 2000;
  std::vector<int> next(kThreads, 0);
  std::atomic<int> out_of_order{0};
  std::atomic<int> total{0};
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        queue.post([&, t, i] {
          if (next[t] != i) ++out_of_order;
          next[t] = i + 1;
          ++total;
        });
      }
    });
  }
  // The window's thread drains only when woken, as the window procedure
  // does: a task left queued without a wake-up on its way never runs.
  int wake_ups = 0;
  DWORD started = GetTickCount();
  while (total.load() < kThreads * kPerThread && GetTickCount() - started < 60000) {
    MSG message;
    if (PeekMessageW(&message, window.get(), kMainThreadWakeMessage, kMainThreadWakeMessage, PM_REMOVE)) {
      ++wake_ups;
      queue.drain();
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
    }
  }
  for (auto& p : posters) p.join();
  EXPECT_EQ(kThreads * kPerThread, total.load());
  EXPECT_EQ(0, out_of_order.load());
  EXPECT_GT(wake_ups, 0);
  EXPECT_LT(wake_ups, kThreads * kPerThread);  // batched, not one per task
}

}  // namespace
