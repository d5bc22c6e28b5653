#include "core/parallel_items.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "core/owners.h"

namespace {

constexpr size_t kMaxBatchThreads = 8;

// Shared by the threads of one call; each takes the next index not yet taken.
struct IndexQueue {
  const std::function<void(size_t)>& job;
  size_t count;
  std::atomic<size_t> next{0};

  void drain() {
    for (size_t index = next.fetch_add(1); index < count; index = next.fetch_add(1)) job(index);
  }
};

// The helpers of one call, waited for before the queue they share goes away,
// also when a job throws on the calling thread.
struct HelperThreads {
  std::vector<vemo::UniqueHandle> handles;
  ~HelperThreads() {
    for (const auto& thread : handles) WaitForSingleObject(thread.get(), INFINITE);
  }
};

DWORD WINAPI drain_thread(void* queue) {
  static_cast<IndexQueue*>(queue)->drain();
  return 0;
}

}  // namespace

size_t batch_thread_count() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return std::clamp<size_t>(info.dwNumberOfProcessors, 1, kMaxBatchThreads);
}

void for_each_index_in_parallel(size_t count, size_t threads, const std::function<void(size_t)>& job) {
  IndexQueue queue{job, count};
  size_t extra = std::min(threads, count);
  extra = extra > 0 ? extra - 1 : 0;
  int priority = GetThreadPriority(GetCurrentThread());
  HelperThreads helpers;
  helpers.handles.reserve(extra);
  for (size_t n = 0; n < extra; ++n) {
    vemo::UniqueHandle thread(CreateThread(nullptr, 0, drain_thread, &queue, CREATE_SUSPENDED, nullptr));
    if (!thread) break;
    if (priority != THREAD_PRIORITY_ERROR_RETURN) SetThreadPriority(thread.get(), priority);
    ResumeThread(thread.get());
    helpers.handles.push_back(std::move(thread));
  }
  queue.drain();
}
