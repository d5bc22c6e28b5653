#pragma once
// Tasks handed from any thread to the Lua thread through LuaTaskQueue. A task
// knows how to push its values on a Lua stack; the queue deletes it after.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

struct lua_State;

namespace VemoSDK {

// The queue's link, part of every task so that posting costs one allocation.
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

// Releases memory that came from the C allocator.
struct CFree {
  void operator()(void* p) const { std::free(p); }
};

// The common task: event name, 64-bit id, JSON text and an optional buffer.
// Pushes exactly these four values (nil for a missing JSON or buffer).
class LuaCallbackTask final : public LuaTask {
public:
  static constexpr const char* kDefaultName = "ASYNC_CALL";
  static constexpr const char* kEmptyJson = "{}";

  // name: borrowed, must live as long as the process (null: "ASYNC_CALL").
  // json, buffer: taken over, allocated with malloc; they are released with
  // free. A null json keeps "{}". A buffer with length 0 is not taken.
  LuaCallbackTask(const char* name, int64_t id, char* json, void* buffer, int32_t length);

  // Same values, but name, json and buffer are copied, never taken: for
  // callers whose memory this module must neither keep nor free (plug-ins
  // with their own C runtime). Null when memory runs out.
  static std::unique_ptr<LuaCallbackTask> copyOf(const char* name, int64_t id, const char* json,
                                                 const void* buffer, int32_t length);

  int push(lua_State* L) override;

  const char* name() const { return name_; }
  int64_t id() const { return id_; }
  const char* json() const { return json_ ? json_.get() : kEmptyJson; }
  const void* buffer() const { return buffer_.get(); }
  int32_t length() const { return length_; }

private:
  LuaCallbackTask() = default;

  const char* name_ = kDefaultName;
  std::string owned_name_;  // set only by copyOf; name_ then points into it
  int64_t id_ = 0;
  std::unique_ptr<char, CFree> json_;  // null means the shared "{}"
  std::unique_ptr<void, CFree> buffer_;
  int32_t length_ = 0;
};

}  // namespace VemoSDK
