#pragma once
// Tasks handed from any thread to the Lua thread through LuaTaskQueue. A task
// knows how to push its values on a Lua stack; the queue deletes it after.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

struct lua_State;

namespace VemoSDK {

// The queue's link, part of every task so that the queue allocates nothing.
struct LuaTaskLink {
  std::atomic<LuaTaskLink*> next{nullptr};
};

// Abstract task for the Lua thread. Built on any thread, pushed and deleted
// on the Lua thread.
class LuaTask : private LuaTaskLink {
public:
  LuaTask() = default;
  LuaTask(const LuaTask&) = delete;
  LuaTask& operator=(const LuaTask&) = delete;
  virtual ~LuaTask() = default;

  // Pushes the task's values on L and returns how many were pushed.
  virtual int push(lua_State* L) = 0;

private:
  friend class LuaTaskFifo;
};

// The common task: event name, 64-bit id, JSON text and an optional buffer.
// Pushes exactly these four values (nil for a missing JSON or buffer). The
// task lives in one block of the small-block pool, with whatever texts it
// copied, so that posting one costs at most one allocation.
class LuaCallbackTask final : public LuaTask {
public:
  static constexpr const char* kDefaultName = "ASYNC_CALL";
  static constexpr const char* kEmptyJson = "{}";

  // name: borrowed, must live as long as the process (null: "ASYNC_CALL").
  // json, buffer: taken over, allocated with malloc; they are released with
  // free, also when the task cannot be made (null is then answered). A null
  // json keeps "{}". A buffer with length 0 or less is not taken.
  static std::unique_ptr<LuaCallbackTask> taking(const char* name, int64_t id, char* json, void* buffer,
                                                 int32_t length);

  // Same values, but name, json and buffer are copied into the task's own
  // block, never taken: for callers that keep their memory (plug-ins with
  // their own C runtime, texts in std::string). Null without memory.
  static std::unique_ptr<LuaCallbackTask> copyOf(const char* name, int64_t id, const char* json,
                                                 const void* buffer, int32_t length);

  ~LuaCallbackTask() override;
  // The block goes back to the pool; tasks are made only by the two above.
  static void operator delete(void* block) noexcept;
  static void* operator new(size_t) = delete;

  int push(lua_State* L) override;

  const char* name() const { return name_; }
  int64_t id() const { return id_; }
  const char* json() const { return json_ ? json_ : kEmptyJson; }
  const void* buffer() const { return buffer_; }
  int32_t length() const { return length_; }

private:
  LuaCallbackTask(const char* name, int64_t id, const char* json, const void* buffer, int32_t length,
                  bool owns_texts) noexcept;

  const char* name_;
  int64_t id_;
  const char* json_;  // null means the shared "{}"
  const void* buffer_;
  int32_t length_;
  bool owns_texts_;  // json_ and buffer_ came from malloc (not from this block)
};

}  // namespace VemoSDK
