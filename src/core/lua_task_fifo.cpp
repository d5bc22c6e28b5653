#include "core/lua_task_fifo.h"

namespace VemoSDK {

LuaTaskFifo::LuaTaskFifo() : head_(&stub_), tail_(&stub_) {}

LuaTaskFifo::~LuaTaskFifo() {
  while (LuaTask* task = pop()) delete task;
}

void LuaTaskFifo::push(LuaTask* task) { pushLink(task); }

void LuaTaskFifo::pushLink(LuaTaskLink* link) {
  link->next.store(nullptr, std::memory_order_relaxed);
  LuaTaskLink* previous = head_.exchange(link, std::memory_order_acq_rel);
  previous->next.store(link, std::memory_order_release);
}

LuaTask* LuaTaskFifo::pop() {
  LuaTaskLink* tail = tail_;
  LuaTaskLink* next = tail->next.load(std::memory_order_acquire);
  if (tail == &stub_) {
    if (!next) return nullptr;
    tail_ = next;
    tail = next;
    next = next->next.load(std::memory_order_acquire);
  }
  if (next) {
    tail_ = next;
    return static_cast<LuaTask*>(tail);
  }
  // tail is the last link we can see. If a producer has swapped the head but
  // not linked yet, leave tail in place until it has.
  if (tail != head_.load(std::memory_order_acquire)) return nullptr;
  // Put the stub behind tail so that tail can be handed out.
  pushLink(&stub_);
  next = tail->next.load(std::memory_order_acquire);
  if (next) {
    tail_ = next;
    return static_cast<LuaTask*>(tail);
  }
  return nullptr;
}

}  // namespace VemoSDK
