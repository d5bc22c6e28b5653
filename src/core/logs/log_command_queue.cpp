#include "core/logs/log_command_queue.h"

#include <chrono>
#include <utility>

namespace vemo::logs {

LogCommandQueue::LogCommandQueue(std::size_t limit, int room_wait_ms) : limit_(limit), room_wait_ms_(room_wait_ms) {}

bool LogCommandQueue::push_limited(LogCommand command, bool may_wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (commands_.size() >= limit_) {
    if (!may_wait || stuck_) return false;
    bool room = has_room_.wait_for(lock, std::chrono::milliseconds(room_wait_ms_),
                                   [this] { return commands_.size() < limit_; });
    if (!room) {
      stuck_ = true;
      return false;
    }
  }
  commands_.push_back(std::move(command));
  not_empty_.notify_all();
  return true;
}

void LogCommandQueue::push(LogCommand command) {
  std::lock_guard<std::mutex> lock(mutex_);
  commands_.push_back(std::move(command));
  not_empty_.notify_all();
}

LogCommand LogCommandQueue::pop() {
  std::unique_lock<std::mutex> lock(mutex_);
  not_empty_.wait(lock, [this] { return !commands_.empty(); });
  LogCommand command = std::move(commands_.front());
  commands_.pop_front();
  stuck_ = false;
  has_room_.notify_all();
  return command;
}

std::size_t LogCommandQueue::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commands_.size();
}

}  // namespace vemo::logs
