#include "core/lua_posts.h"

#include "core/lua_task_queue.h"

#include <cjson/cJSON.h>

#include <cstring>

namespace VemoSDK {

namespace {

char* copyText(const char* text) {
  if (!text) return nullptr;
  size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(std::malloc(size));
  if (copy) std::memcpy(copy, text, size);
  return copy;
}

}  // namespace

void postAsyncResult(int64_t id, const char* json) {
  char* copy = copyText(json);
  if (json && !copy) return;  // out of memory: posting "{}" instead would lie
  LuaTaskQueue::getInstance()->postAsyncCall(id, copy, nullptr, 0);
}

void postAsyncIndex(int64_t id, int n) {
  cJSON* object = cJSON_CreateObject();
  if (!object) return;
  char* printed = nullptr;
  if (cJSON_AddNumberToObject(object, "index", n)) printed = cJSON_Print(object);
  cJSON_Delete(object);
  if (!printed) return;
  // cJSON's allocator need not be malloc: hand the queue a copy it can free.
  char* copy = copyText(printed);
  cJSON_free(printed);
  if (copy) LuaTaskQueue::getInstance()->postAsyncCall(id, copy, nullptr, 0);
}

void postLuaEvent(const char* name, int64_t id, const char* json, const void* buffer, int32_t length) {
  std::unique_ptr<LuaCallbackTask> task = LuaCallbackTask::copyOf(name, id, json, buffer, length);
  if (task) LuaTaskQueue::getInstance()->pushTask(task.release());
}

}  // namespace VemoSDK
