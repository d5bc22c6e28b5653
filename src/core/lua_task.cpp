#include "core/lua_task.h"

#include <lua.hpp>

#include <cstring>
#include <new>

namespace VemoSDK {

LuaCallbackTask::LuaCallbackTask(const char* name, int64_t id, char* json, void* buffer, int32_t length)
    : name_(name ? name : kDefaultName), id_(id), json_(json) {
  if (buffer && length > 0) {
    buffer_.reset(buffer);
    length_ = length;
  }
}

std::unique_ptr<LuaCallbackTask> LuaCallbackTask::copyOf(const char* name, int64_t id, const char* json,
                                                         const void* buffer, int32_t length) {
  std::unique_ptr<LuaCallbackTask> task(new (std::nothrow) LuaCallbackTask());
  if (!task) return nullptr;
  if (name) {
    try {
      task->owned_name_ = name;
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    task->name_ = task->owned_name_.c_str();
  }
  task->id_ = id;
  if (json) {
    size_t size = std::strlen(json) + 1;
    task->json_.reset(static_cast<char*>(std::malloc(size)));
    if (!task->json_) return nullptr;
    std::memcpy(task->json_.get(), json, size);
  }
  if (buffer && length > 0) {
    task->buffer_.reset(std::malloc(static_cast<size_t>(length)));
    if (!task->buffer_) return nullptr;
    std::memcpy(task->buffer_.get(), buffer, static_cast<size_t>(length));
    task->length_ = length;
  }
  return task;
}

int LuaCallbackTask::push(lua_State* L) {
  lua_pushstring(L, name_);
  lua_pushinteger(L, static_cast<lua_Integer>(id_));
  lua_pushstring(L, json());
  if (length_ > 0)
    lua_pushlstring(L, static_cast<const char*>(buffer_.get()), static_cast<size_t>(length_));
  else
    lua_pushnil(L);
  return 4;
}

}  // namespace VemoSDK
