#include "http/serial_worker.h"

namespace VemoSDKHttp {

SerialWorker::~SerialWorker() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void SerialWorker::post(std::function<void()> job) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    jobs_.push_back(std::move(job));
    if (!thread_.joinable()) thread_ = std::thread(&SerialWorker::run, this);
  }
  wake_.notify_one();
}

void SerialWorker::run() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    wake_.wait(hold, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    hold.unlock();
    job();
    hold.lock();
  }
}

}  // namespace VemoSDKHttp
