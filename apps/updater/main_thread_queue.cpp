#include "main_thread_queue.h"

#include "core/debug_log.h"

#include <utility>

void MainThreadQueue::post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    tasks_.push_back(std::move(task));
  }
  LONG expected = 0;
  if (!posted_.compare_exchange_strong(expected, 1)) return;  // a wake-up is on its way
  // A null window would turn the post into a message for this thread.
  HWND window = window_.load();
  if (!window || !PostMessageW(window, kMainThreadWakeMessage, 0, 0)) {
    // No message will come for this batch: let the next post try again
    // rather than leaving the queue asleep for good.
    vemo_debug_printf("main thread queue: PostMessage failed, err=%lu\n", GetLastError());
    posted_.store(0);
  }
}

void MainThreadQueue::drain() {
  // Cleared first: a task posted from here on sends a new wake-up, so none
  // waits without a message on its way.
  posted_.exchange(0);
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

MainThreadQueue& main_thread_queue() {
  static MainThreadQueue queue;
  return queue;
}

void post_main_thread_task(void (*callback)(void*), void* argument) {
  main_thread_queue().post([callback, argument] { callback(argument); });
}

void drain_main_thread_tasks() { main_thread_queue().drain(); }
