#pragma once
// Multi-producer, single-consumer FIFO of tasks, linked through the tasks
// themselves (no allocation of its own). Producers are wait-free: one
// exchange and one store. The consumer never blocks; while a producer is
// between its two steps, the tasks behind it wait for the next pop.
#include "core/lua_task.h"

namespace VemoSDK {

// Any thread pushes; only one thread at a time pops.
class LuaTaskFifo {
public:
  LuaTaskFifo();
  ~LuaTaskFifo();  // deletes the tasks still queued
  LuaTaskFifo(const LuaTaskFifo&) = delete;
  LuaTaskFifo& operator=(const LuaTaskFifo&) = delete;

  // Takes ownership of task.
  void push(LuaTask* task);
  // The oldest task, now owned by the caller, or null.
  LuaTask* pop();

private:
  void pushLink(LuaTaskLink* link);

  std::atomic<LuaTaskLink*> head_;  // newest link; producers swap it
  LuaTaskLink* tail_;               // oldest link; consumer only
  LuaTaskLink stub_;
};

}  // namespace VemoSDK
