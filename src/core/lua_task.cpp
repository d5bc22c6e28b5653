#include "core/lua_task.h"

#include <lua.hpp>

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/small_block_pool.h"

namespace VemoSDK {

LuaCallbackTask::LuaCallbackTask(const char* name, int64_t id, const char* json, const void* buffer,
                                 int32_t length, bool owns_texts) noexcept
    : name_(name ? name : kDefaultName),
      id_(id),
      json_(json),
      buffer_(buffer && length > 0 ? buffer : nullptr),
      length_(buffer && length > 0 ? length : 0),
      owns_texts_(owns_texts) {}

LuaCallbackTask::~LuaCallbackTask() {
  if (!owns_texts_) return;
  std::free(const_cast<char*>(json_));
  std::free(const_cast<void*>(buffer_));
}

void LuaCallbackTask::operator delete(void* block) noexcept { vemo::small_block_release(block); }

std::unique_ptr<LuaCallbackTask> LuaCallbackTask::taking(const char* name, int64_t id, char* json, void* buffer,
                                                         int32_t length) {
  if (length <= 0) buffer = nullptr;
  void* block = vemo::small_block_allocate(sizeof(LuaCallbackTask));
  if (!block) {
    std::free(json);
    std::free(buffer);
    return nullptr;
  }
  return std::unique_ptr<LuaCallbackTask>(::new (block) LuaCallbackTask(name, id, json, buffer, length, true));
}

std::unique_ptr<LuaCallbackTask> LuaCallbackTask::copyOf(const char* name, int64_t id, const char* json,
                                                         const void* buffer, int32_t length) {
  // One block: the task, then the name, the JSON and the buffer.
  size_t name_size = name ? std::strlen(name) + 1 : 0;
  size_t json_size = json ? std::strlen(json) + 1 : 0;
  size_t buffer_size = buffer && length > 0 ? static_cast<size_t>(length) : 0;
  size_t texts = name_size + json_size + buffer_size;
  if (texts < name_size || texts > SIZE_MAX - sizeof(LuaCallbackTask)) return nullptr;
  void* block = vemo::small_block_allocate(sizeof(LuaCallbackTask) + texts);
  if (!block) return nullptr;

  char* cursor = static_cast<char*>(block) + sizeof(LuaCallbackTask);
  auto copy = [&cursor](const void* from, size_t size) -> char* {
    if (!size) return nullptr;
    char* to = cursor;
    std::memcpy(to, from, size);
    cursor += size;
    return to;
  };
  const char* own_name = copy(name, name_size);
  const char* own_json = copy(json, json_size);
  const void* own_buffer = copy(buffer, buffer_size);
  return std::unique_ptr<LuaCallbackTask>(::new (block) LuaCallbackTask(
      own_name, id, own_json, own_buffer, static_cast<int32_t>(buffer_size), false));
}

int LuaCallbackTask::push(lua_State* L) {
  lua_pushstring(L, name_);
  lua_pushinteger(L, static_cast<lua_Integer>(id_));
  lua_pushstring(L, json());
  if (length_ > 0)
    lua_pushlstring(L, static_cast<const char*>(buffer_), static_cast<size_t>(length_));
  else
    lua_pushnil(L);
  return 4;
}

}  // namespace VemoSDK
