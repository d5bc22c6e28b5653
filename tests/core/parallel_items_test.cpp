// The batch helper: every index once, the caller's priority, and the calls
// really running side by side.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <vector>

#include "core/parallel_items.h"

namespace {

TEST(ParallelItems, CallsEveryIndexExactlyOnce) {
  const std::pair<size_t, size_t> cases[] = {{0, 4}, {1, 8}, {7, 3}, {1000, 8}, {50, 1}, {5, 0}};
  for (const auto& [count, threads] : cases) {
    std::vector<std::atomic<int>> calls(count);
    for_each_index_in_parallel(count, threads, [&calls](size_t index) { calls[index].fetch_add(1); });
    for (size_t index = 0; index < count; ++index)
      ASSERT_EQ(calls[index].load(), 1) << "index " << index << " of " << count << " on " << threads;
  }
}

TEST(ParallelItems, HelpersRunAtTheCallersPriorityAndAtTheSameTime) {
  ASSERT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST));
  constexpr size_t kThreads = 4;
  // Each call waits until all four have begun: only four threads at once get past.
  std::atomic<size_t> begun{0};
  std::atomic<int> wrong_priority{0};
  std::atomic<int> stuck{0};
  for_each_index_in_parallel(kThreads, kThreads, [&](size_t) {
    if (GetThreadPriority(GetCurrentThread()) != THREAD_PRIORITY_HIGHEST) wrong_priority.fetch_add(1);
    begun.fetch_add(1);
    // A generous limit so that a helper that never started fails the test instead of hanging it.
    for (int spins = 0; begun.load() < kThreads; ++spins) {
      if (spins == 60000) {
        stuck.fetch_add(1);
        return;
      }
      Sleep(1);
    }
  });
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  EXPECT_EQ(wrong_priority.load(), 0);
  EXPECT_EQ(stuck.load(), 0);
}

}  // namespace
