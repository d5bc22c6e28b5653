// Thin C entry points of the SDK, each behind the export guard; the work is
// done in C++ behind them.
#include "sdk/exports.h"

#include "core/debug_log.h"
#include "core/export_guard.h"
#include "core/lua_error.h"
#include "core/lua_guard.h"
#include "core/lua_posts.h"
#include "core/lua_task_queue.h"
#include "core/sdk_runtime.h"
#include "core/thread_pool.h"
#include "lua/winmutex/winmutex_module.h"
#include "sdk/sdk_lifecycle.h"

using vemo::guard_export;

VEMOSDK_EXPORT void vemosdk_init(lua_State* L, HWND window, const char* app_version) {
  guard_export("vemosdk_init", [&] { VemoSDK::initWithArgs(L, window, app_version, nullptr); });
}

VEMOSDK_EXPORT void vemosdk_init_with_args(lua_State* L, HWND window, const char* app_version,
                                           const char* init_args) {
  guard_export("vemosdk_init_with_args", [&] { VemoSDK::initWithArgs(L, window, app_version, init_args); });
}

VEMOSDK_EXPORT lua_State* vemosdk_create_lua_State() {
  return guard_export("vemosdk_create_lua_State", static_cast<lua_State*>(nullptr),
                      [] { return VemoSDK::createOwnedLuaState(); });
}

VEMOSDK_EXPORT void vemosdk_init_with_native(HWND window, const char* app_version, const char* init_args) {
  guard_export("vemosdk_init_with_native", [&] { VemoSDK::initWithNative(window, app_version, init_args); });
}

VEMOSDK_EXPORT int vemosdk_is_passive_mode() {
  return guard_export("vemosdk_is_passive_mode", 0, [] { return VemoSDK::isPassiveMode(); });
}

VEMOSDK_EXPORT void vemosdk_deinit() {
  guard_export("vemosdk_deinit", [] { VemoSDK::deinit(); });
}

VEMOSDK_EXPORT int vemosdk_destroy() {
  return guard_export("vemosdk_destroy", -1, [] {
    VemoSDK::deinit();
    vemo_debug_printf("vemosdk_destroy not implemented");
    return 0;
  });
}

VEMOSDK_EXPORT const char* vemosdk_version() {
  return guard_export("vemosdk_version", kSdkVersion, [] { return kSdkVersion; });
}

// A task's values may run the scripts' JSON decoder: what Lua raised and no
// script caught ends here, not in a panic of the host's state.
VEMOSDK_EXPORT int vemosdk_tick(lua_State* L) {
  return vemo::guard_lua_export("vemosdk_tick", L, 0,
                                [](lua_State* state) { return LuaTaskQueue::getInstance()->tick(state); });
}

VEMOSDK_EXPORT int vemosdk_tick_native() {
  return guard_export("vemosdk_tick_native", -1, [] { return VemoSDK::tickNative(); });
}

VEMOSDK_EXPORT void vemosdk_timer_once(intptr_t id, float seconds) {
  guard_export("vemosdk_timer_once", [&] { VemoSDK::timerOnce(id, seconds); });
}

VEMOSDK_EXPORT vemosdk_main_thread_handler vemosdk_set_main_thread_handler(vemosdk_main_thread_handler handler) {
  return guard_export("vemosdk_set_main_thread_handler", static_cast<vemosdk_main_thread_handler>(nullptr), [&] {
    VemoSDK::setMainThreadHandler(handler);
    return handler;
  });
}

// Lua calls it: a C++ exception becomes a Lua error, and Lua's own pass.
VEMOSDK_EXPORT int vemosdk_on_lua_error(lua_State* L) { return vemo::lua_call_guarded(L, VemoSDK::onLuaError); }

VEMOSDK_EXPORT void vemosdk_post_async_result(int64_t id, const char* json) {
  guard_export("vemosdk_post_async_result", [&] { VemoSDK::postAsyncResult(id, json); });
}

VEMOSDK_EXPORT void vemosdk_post_async_index(int32_t id, int n) {
  guard_export("vemosdk_post_async_index", [&] { VemoSDK::postAsyncIndex(id, n); });
}

VEMOSDK_EXPORT void vemosdk_post_lua_event(const char* name, int64_t id, const char* json, const void* buffer,
                                           int length) {
  guard_export("vemosdk_post_lua_event", [&] { VemoSDK::postLuaEvent(name, id, json, buffer, length); });
}

// Lua calls it as a module opener: a C++ exception becomes a Lua error, and a
// Lua error travels on to the caller's protected call.
VEMOSDK_EXPORT int luaopen_winmutex(lua_State* L) { return vemo::lua_call_guarded(L, VemoSDK::LuaWinMutex::open); }
