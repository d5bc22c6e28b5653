#pragma once
// Work that other threads hand to the updater's UI thread: queued under a
// lock, and the window woken by one private message per batch. Any thread
// posts; only the window's thread drains.
#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

// The wake-up message of the updater's main window (WM_APP + 1 and + 2 are
// the launcher's tray callback and shut-down request).
constexpr UINT kMainThreadWakeMessage = WM_APP + 3;

class MainThreadQueue {
public:
  // The window that drains the queue on kMainThreadWakeMessage; null stops waking.
  void set_window(HWND window) { window_.store(window); }

  // Appends the task and wakes the window unless a wake-up is still pending.
  void post(std::function<void()> task);

  // Runs every queued task in order, outside the lock, including those posted
  // while it runs.
  void drain();

private:
  std::mutex lock_;
  std::deque<std::function<void()>> tasks_;
  std::atomic<LONG> posted_{0};  // 1 while a wake-up message is pending
  std::atomic<HWND> window_{nullptr};
};

// The updater's queue.
MainThreadQueue& main_thread_queue();

// The handler given to vemosdk_set_main_thread_handler.
void post_main_thread_task(void (*callback)(void*), void* argument);
void drain_main_thread_tasks();
