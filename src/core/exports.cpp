// Thin C entry points of the SDK; the work is done in C++ behind them.
#include "core/exports.h"

#include "core/lua_posts.h"
#include "core/lua_task_queue.h"
#include "core/sdk_lifecycle.h"

VEMOSDK_EXPORT int vemosdk_tick(lua_State* L) { return LuaTaskQueue::getInstance()->tick(L); }

VEMOSDK_EXPORT int vemosdk_tick_native() { return VemoSDK::tickNative(); }

VEMOSDK_EXPORT lua_State* vemosdk_create_lua_State() { return VemoSDK::createOwnedLuaState(); }

VEMOSDK_EXPORT void vemosdk_post_async_result(int64_t id, const char* json) {
  VemoSDK::postAsyncResult(id, json);
}

VEMOSDK_EXPORT void vemosdk_post_async_index(int32_t id, int n) { VemoSDK::postAsyncIndex(id, n); }

VEMOSDK_EXPORT void vemosdk_post_lua_event(const char* name, int64_t id, const char* json, const void* buffer,
                                           int length) {
  VemoSDK::postLuaEvent(name, id, json, buffer, length);
}
