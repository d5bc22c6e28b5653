#include "patch/patch.h"

#include "core/lua_task_queue.h"

#include <cstdio>
#include <cstdlib>

void vemo_patch_progress_callback(int done, int total, uint32_t id_low, uint32_t id_high) {
  const int64_t callback_id = static_cast<int64_t>((static_cast<uint64_t>(id_high) << 32) | id_low);
  char text[80];
  int length = std::snprintf(text, sizeof text, "{\"completeCount\":%d,\"totalCount\":%d}", done, total);
  auto* json = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
  if (!json) return;
  std::snprintf(json, static_cast<size_t>(length) + 1, "%s", text);
  // Only the newest progress of all patch requests waits for Lua.
  LuaTaskQueue::getInstance()->post("PATCH_EVENT", callback_id, json, nullptr, 0, true);
}
