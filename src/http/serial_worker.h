#pragma once
// One background thread that runs jobs in the order they were queued. The
// download manager checks finished files on it, so that hashing a large file
// never holds up the transfers of the download thread. Any thread queues.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace VemoSDKHttp {

class SerialWorker {
public:
  SerialWorker() = default;
  // Runs the jobs still queued, then ends the thread.
  ~SerialWorker();
  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;

  void post(std::function<void()> job);

private:
  void run();

  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::thread thread_;  // started by the first job
};

}  // namespace VemoSDKHttp
