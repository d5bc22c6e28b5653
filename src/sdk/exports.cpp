// Thin C entry points of the SDK; the work is done in C++ behind them.
#include "sdk/exports.h"

#include "core/debug_log.h"
#include "core/lua_error.h"
#include "core/lua_posts.h"
#include "core/lua_task_queue.h"
#include "core/sdk_runtime.h"
#include "core/thread_pool.h"
#include "lua/winmutex/winmutex_module.h"
#include "sdk/sdk_lifecycle.h"

VEMOSDK_EXPORT void vemosdk_init(lua_State* L, HWND window, const char* app_version) {
  VemoSDK::initWithArgs(L, window, app_version, nullptr);
}

VEMOSDK_EXPORT void vemosdk_init_with_args(lua_State* L, HWND window, const char* app_version,
                                           const char* init_args) {
  VemoSDK::initWithArgs(L, window, app_version, init_args);
}

VEMOSDK_EXPORT lua_State* vemosdk_create_lua_State() { return VemoSDK::createOwnedLuaState(); }

VEMOSDK_EXPORT void vemosdk_init_with_native(HWND window, const char* app_version, const char* init_args) {
  VemoSDK::initWithNative(window, app_version, init_args);
}

VEMOSDK_EXPORT int vemosdk_is_passive_mode() { return VemoSDK::isPassiveMode(); }

VEMOSDK_EXPORT void vemosdk_deinit() { VemoSDK::deinit(); }

VEMOSDK_EXPORT int vemosdk_destroy() {
  VemoSDK::deinit();
  vemo_debug_printf("vemosdk_destroy not implemented");
  return 0;
}

VEMOSDK_EXPORT const char* vemosdk_version() { return kSdkVersion; }

VEMOSDK_EXPORT int vemosdk_tick(lua_State* L) { return LuaTaskQueue::getInstance()->tick(L); }

VEMOSDK_EXPORT int vemosdk_tick_native() { return VemoSDK::tickNative(); }

VEMOSDK_EXPORT void vemosdk_timer_once(intptr_t id, float seconds) { VemoSDK::timerOnce(id, seconds); }

VEMOSDK_EXPORT vemosdk_main_thread_handler vemosdk_set_main_thread_handler(vemosdk_main_thread_handler handler) {
  VemoSDK::setMainThreadHandler(handler);
  return handler;
}

VEMOSDK_EXPORT int vemosdk_on_lua_error(lua_State* L) { return VemoSDK::onLuaError(L); }

VEMOSDK_EXPORT void vemosdk_post_async_result(int64_t id, const char* json) {
  VemoSDK::postAsyncResult(id, json);
}

VEMOSDK_EXPORT void vemosdk_post_async_index(int32_t id, int n) { VemoSDK::postAsyncIndex(id, n); }

VEMOSDK_EXPORT void vemosdk_post_lua_event(const char* name, int64_t id, const char* json, const void* buffer,
                                           int length) {
  VemoSDK::postLuaEvent(name, id, json, buffer, length);
}

// Called by Lua as a module opener: a Lua error raised here must travel on to
// the caller's protected call, so it is not caught.
VEMOSDK_EXPORT int luaopen_winmutex(lua_State* L) { return VemoSDK::LuaWinMutex::open(L); }
