#pragma once
// A few background threads that run queued jobs, each job once. The download
// manager checks and renames finished files on them: hashing a large file
// never holds up the transfers of the download thread, and the file system
// calls of many small files overlap. Any thread queues.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace VemoSDKHttp {

class WorkerThreads {
public:
  explicit WorkerThreads(size_t count) : count_(count) {}
  // Runs the jobs still queued, then ends the threads.
  ~WorkerThreads();
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  void post(std::function<void()> job);
  size_t threadCount() const { return count_; }

private:
  void run();

  const size_t count_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  size_t idle_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;  // started as jobs need them
};

}  // namespace VemoSDKHttp
