#include "http/worker_threads.h"

namespace VemoSDKHttp {

WorkerThreads::~WorkerThreads() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerThreads::post(std::function<void()> job) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    jobs_.push_back(std::move(job));
    // While stopping, the threads left run what their jobs still post.
    if (!stopping_ && idle_ == 0 && threads_.size() < count_) threads_.emplace_back(&WorkerThreads::run, this);
  }
  wake_.notify_one();
}

void WorkerThreads::run() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    ++idle_;
    wake_.wait(hold, [this] { return stopping_ || !jobs_.empty(); });
    --idle_;
    if (jobs_.empty()) return;
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    hold.unlock();
    job();
    hold.lock();
  }
}

}  // namespace VemoSDKHttp
