#include "core/lua_task_queue.h"

#include <lua.hpp>

#include <memory>
#include <new>

using VemoSDK::LuaCallbackTask;
using VemoSDK::LuaTask;

LuaTaskQueue* LuaTaskQueue::getInstance() {
  static LuaTaskQueue* const instance = new LuaTaskQueue();
  return instance;
}

LuaTaskQueue::~LuaTaskQueue() { delete latest_; }

namespace {

// Posting runs on threads that cannot take an exception: without memory the
// task is dropped and what it would have owned is released.
LuaCallbackTask* newTask(const char* name, int64_t id, char* json, void* buffer, int32_t length) {
  auto* task = new (std::nothrow) LuaCallbackTask(name, id, json, buffer, length);
  if (!task) {
    std::free(json);
    if (length > 0) std::free(buffer);
  }
  return task;
}

}  // namespace

void LuaTaskQueue::postAsyncCall(int64_t id, char* json, void* buffer, int32_t length) {
  pushTask(newTask(nullptr, id, json, buffer, length));
}

void LuaTaskQueue::postEvent(const char* name, int64_t id, char* json, void* buffer, int32_t length) {
  post(name, id, json, buffer, length, false);
}

void LuaTaskQueue::post(const char* name, int64_t id, char* json, void* buffer, int32_t length,
                        bool keepLatestOnly) {
  LuaCallbackTask* task = newTask(name, id, json, buffer, length);
  if (!task) return;
  if (!keepLatestOnly) {
    pushTask(task);
    return;
  }
  LuaCallbackTask* replaced;
  {
    std::lock_guard<std::mutex> lock(slot_lock_);
    replaced = latest_;
    latest_ = task;
  }
  delete replaced;
}

void LuaTaskQueue::pushTask(LuaTask* task) {
  if (task) fifo_.push(task);
}

int LuaTaskQueue::tick(lua_State* L) {
  // push() may raise a Lua error (out of memory). Lua errors are C++
  // exceptions in this build, so the task is owned here and freed as the
  // error unwinds; no lock is held while it runs.
  for (;;) {
    std::unique_ptr<LuaTask> task(fifo_.pop());
    if (!task) {
      std::lock_guard<std::mutex> lock(slot_lock_);
      task.reset(latest_);
      latest_ = nullptr;
    }
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
