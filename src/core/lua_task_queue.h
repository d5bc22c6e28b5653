#pragma once
// The one road from every thread to Lua: a lock-free FIFO of tasks plus a
// slot that keeps only the latest progress event. The Lua thread takes one
// task per tick: the FIFO first, then the slot, else nil.
#include "core/lua_task.h"
#include "core/lua_task_fifo.h"

#include <atomic>
#include <cstdint>

// Any thread posts; only the thread that owns the Lua state ticks.
class LuaTaskQueue {
public:
  // The process-wide queue, created on the first call (safe from any thread)
  // and never destroyed: threads may still post while the process exits.
  static LuaTaskQueue* getInstance();

  LuaTaskQueue() = default;
  ~LuaTaskQueue();
  LuaTaskQueue(const LuaTaskQueue&) = delete;
  LuaTaskQueue& operator=(const LuaTaskQueue&) = delete;

  // json and buffer come from malloc and are taken over (see LuaCallbackTask);
  // a null json keeps "{}", a null name keeps "ASYNC_CALL".
  void postAsyncCall(int64_t id, char* json, void* buffer, int32_t length);
  void postEvent(const char* name, int64_t id, char* json, void* buffer, int32_t length);
  // keepLatestOnly: the task replaces (and deletes) the one waiting in the
  // latest-event slot instead of joining the FIFO.
  void post(const char* name, int64_t id, char* json, void* buffer, int32_t length, bool keepLatestOnly);
  // The same, but name, json and buffer are copied, never taken: the task
  // and its copies are one block, the cheapest way to post.
  void postCopy(const char* name, int64_t id, const char* json, const void* buffer, int32_t length,
                bool keepLatestOnly);
  // Takes ownership of a ready task.
  void pushTask(VemoSDK::LuaTask* task);

  // Lua thread: pushes the values of one task (or one nil) on L and returns
  // their count.
  int tick(lua_State* L);

private:
  void enqueue(std::unique_ptr<VemoSDK::LuaCallbackTask> task, bool keepLatestOnly);

  VemoSDK::LuaTaskFifo fifo_;
  // Producers swap their task in and delete the one they took out; the Lua
  // thread swaps in null. Swaps only, so no producer ever waits.
  std::atomic<VemoSDK::LuaCallbackTask*> latest_{nullptr};
};
