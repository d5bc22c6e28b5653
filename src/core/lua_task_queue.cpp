#include "core/lua_task_queue.h"

#include <lua.hpp>

#include <memory>

using VemoSDK::LuaCallbackTask;
using VemoSDK::LuaTask;

LuaTaskQueue* LuaTaskQueue::getInstance() {
  static LuaTaskQueue* const instance = new LuaTaskQueue();
  return instance;
}

LuaTaskQueue::~LuaTaskQueue() { delete latest_.exchange(nullptr); }

// Posting runs on threads that cannot take an exception: without memory the
// task is dropped (LuaCallbackTask releases what it would have owned).
void LuaTaskQueue::postAsyncCall(int64_t id, char* json, void* buffer, int32_t length) {
  post(nullptr, id, json, buffer, length, false);
}

void LuaTaskQueue::postEvent(const char* name, int64_t id, char* json, void* buffer, int32_t length) {
  post(name, id, json, buffer, length, false);
}

void LuaTaskQueue::post(const char* name, int64_t id, char* json, void* buffer, int32_t length,
                        bool keepLatestOnly) {
  enqueue(LuaCallbackTask::taking(name, id, json, buffer, length), keepLatestOnly);
}

void LuaTaskQueue::postCopy(const char* name, int64_t id, const char* json, const void* buffer, int32_t length,
                            bool keepLatestOnly) {
  enqueue(LuaCallbackTask::copyOf(name, id, json, buffer, length), keepLatestOnly);
}

void LuaTaskQueue::enqueue(std::unique_ptr<LuaCallbackTask> task, bool keepLatestOnly) {
  if (!task) return;
  if (keepLatestOnly)
    delete latest_.exchange(task.release(), std::memory_order_acq_rel);
  else
    fifo_.push(task.release());
}

void LuaTaskQueue::pushTask(LuaTask* task) {
  if (task) fifo_.push(task);
}

int LuaTaskQueue::tick(lua_State* L) {
  // push() may raise a Lua error (out of memory). Lua errors are C++
  // exceptions in this build, so the task is owned here and freed as the
  // error unwinds.
  for (;;) {
    std::unique_ptr<LuaTask> task(fifo_.pop());
    if (!task) task.reset(latest_.exchange(nullptr, std::memory_order_acq_rel));
    if (!task) {
      lua_pushnil(L);
      return 1;
    }
    int count = task->push(L);
    task.reset();
    // A task that could push nothing (a native call whose JSON argument
    // did not decode) is dropped, and the next one is delivered instead.
    if (count > 0) return count;
  }
}
