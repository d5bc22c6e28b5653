#pragma once
// The log writer's queue: any thread pushes, the writer thread pops.
// One mutex guards the list; the limit is checked and the command queued
// under it in one step.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "core/logs/log_command.h"

namespace vemo::logs {

class LogCommandQueue {
public:
  // A producer that finds `limit` commands waiting waits up to room_wait_ms
  // for the writer to take one, so that a burst loses nothing; only a writer
  // that stays stuck makes records drop (and then without further waiting
  // until it moves again).
  LogCommandQueue(std::size_t limit, int room_wait_ms);

  // false when the command was dropped for want of room.
  bool push_limited(LogCommand command, bool may_wait);
  void push(LogCommand command);  // never dropped
  LogCommand pop();               // waits for a command
  std::size_t size() const;

private:
  mutable std::mutex mutex_;
  std::condition_variable not_empty_;
  std::condition_variable has_room_;
  std::deque<LogCommand> commands_;
  const std::size_t limit_;
  const int room_wait_ms_;
  bool stuck_ = false;  // a wait for room timed out and the writer has not taken a command since
};

}  // namespace vemo::logs
