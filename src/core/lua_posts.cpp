#include "core/lua_posts.h"

#include "core/lua_task_queue.h"
#include "core/owners.h"

#include <cjson/cJSON.h>

namespace VemoSDK {

// Without memory nothing is posted: "{}" instead of the text would lie.
void postAsyncResult(int64_t id, const char* json) {
  LuaTaskQueue::getInstance()->postCopy(nullptr, id, json, nullptr, 0, false);
}

void postAsyncIndex(int64_t id, int n) {
  vemo::JsonPtr object(cJSON_CreateObject());
  if (!object) return;
  vemo::JsonText printed(cJSON_AddNumberToObject(object.get(), "index", n) ? cJSON_Print(object.get()) : nullptr);
  object.reset();
  if (!printed) return;
  // cJSON's allocator need not be malloc: the queue keeps a copy.
  LuaTaskQueue::getInstance()->postCopy(nullptr, id, printed.get(), nullptr, 0, false);
}

void postLuaEvent(const char* name, int64_t id, const char* json, const void* buffer, int32_t length) {
  LuaTaskQueue::getInstance()->postCopy(name, id, json, buffer, length, false);
}

}  // namespace VemoSDK
