#pragma once
// The SDK's exported life-cycle, driving, posting, configuration, crash and
// vendor interface (C linkage, UTF-8 texts; no export takes ownership of what
// it is given). No C++ exception leaves an export: each answers the failure
// value named in its line (see core/export_guard.h).
#include "core/sdk_runtime.h"
#include "core/vemosdk_export.h"

#include <stdint.h>

struct lua_State;
struct cJSON;

// Host's UI thread: starts the SDK (crash capture, pool, context, HTTP, vendors) and opens the modules in L's main
// thread when L is not null.
VEMOSDK_EXPORT void vemosdk_init(lua_State* L, HWND window, const char* app_version);
// Host's UI thread: vemosdk_init with the host's start-up arguments (a JSON text, null for none).
VEMOSDK_EXPORT void vemosdk_init_with_args(lua_State* L, HWND window, const char* app_version,
                                           const char* init_args);
// Host's UI thread: the Lua state the SDK owns, with the standard libraries; null when one exists or on failure.
VEMOSDK_EXPORT lua_State* vemosdk_create_lua_State();
// Host's UI thread: starts the SDK on the state vemosdk_create_lua_State made and runs the loader script.
VEMOSDK_EXPORT void vemosdk_init_with_native(HWND window, const char* app_version, const char* init_args);
// Any thread: 1 while the host drives the tick (always here); 0 on failure.
VEMOSDK_EXPORT int vemosdk_is_passive_mode();
// Host's UI thread: lets the owned state go, ends the pool (pending timers never fire) and the vendors.
VEMOSDK_EXPORT void vemosdk_deinit();
// Host's UI thread: vemosdk_deinit; 0, or -1 on failure.
VEMOSDK_EXPORT int vemosdk_destroy();
// Any thread: the SDK's version text, owned by the SDK.
VEMOSDK_EXPORT const char* vemosdk_version();

// The thread owning L: pushes one task's values (or one nil) and returns their count. A task whose values fail (a
// Lua error no script caught, no memory) is dropped: the stack is left as it was and 0 is returned.
VEMOSDK_EXPORT int vemosdk_tick(lua_State* L);
// Host's UI thread: runs the scripts' tick on the owned state, their errors dropped; 0, or -1 without the state.
VEMOSDK_EXPORT int vemosdk_tick_native();
// Any thread: after `seconds`, an "ASYNC_CALL" task with the id (taken as 32 bits) reaches Lua.
VEMOSDK_EXPORT void vemosdk_timer_once(intptr_t id, float seconds);

// Any thread: the handler that runs the SDK's window work on the host's UI thread (null: in place); returns the
// handler, null on failure.
VEMOSDK_EXPORT vemosdk_main_thread_handler vemosdk_set_main_thread_handler(vemosdk_main_thread_handler handler);
// Lua's message handler (the thread in error): reports the error object at 1 to the crash service and returns 1,
// the message with its traceback; a C++ exception inside becomes a Lua error, so Lua answers LUA_ERRERR.
VEMOSDK_EXPORT int vemosdk_on_lua_error(lua_State* L);
// Any thread: an immediate error report to the crash-report service; each null text is read as empty.
VEMOSDK_EXPORT void vemosdk_error_report(const char* logType, const char* logLevel, const char* errMsg,
                                         const char* stackTrace, const char* stackHash, const char* extra);
// Any thread: installs crash capture with the host's callback (null: none) and returns the unhandled-exception
// filter set before (null on failure).
VEMOSDK_EXPORT LPTOP_LEVEL_EXCEPTION_FILTER set_crash_callback(void (*callback)(EXCEPTION_POINTERS* pointers));
// Any thread: a report line "key: <text>" asked of callback at each capture; a key already present keeps its first
// callback.
VEMOSDK_EXPORT void set_fill_crash_log_ext_info_callback(const char* key, const char* (*callback)(const char* key));
// Any thread: stores the host's security-check value for the vendor start-up: with the value 1 a configuration
// without a "SECURITY" entry is reported.
VEMOSDK_EXPORT void vemosdk_set_security_check(void* callback);
// Any thread: a plug-in DLL from the vendors folder ("vendors\<folder>\<file>.dll"), or null.
VEMOSDK_EXPORT HMODULE vemosdk_load_vendor_dll(const char* folder, const char* file);
// Lua (require): the opener of the `_vemosdk_winmutex` module (named mutexes for scripts); returns 1, the module.
VEMOSDK_EXPORT int luaopen_winmutex(lua_State* L);

// Any thread: "ASYNC_CALL" with the id and a copy of json (null: "{}") reaches Lua.
VEMOSDK_EXPORT void vemosdk_post_async_result(int64_t id, const char* json);
// Any thread: "ASYNC_CALL" with the id (sign-widened) and {"index": n} reaches Lua.
VEMOSDK_EXPORT void vemosdk_post_async_index(int32_t id, int n);
// Any thread: the named event (null: "ASYNC_CALL") with copies of json and buffer reaches Lua.
VEMOSDK_EXPORT void vemosdk_post_lua_event(const char* name, int64_t id, const char* json, const void* buffer,
                                           int length);

// Host's UI thread, before start-up: each stores the absolute form of the folder or configuration file the SDK
// reads (the path as given when it cannot be made absolute); null or too long stores nothing.
VEMOSDK_EXPORT void vemosdk_set_res_path(const char* path);
VEMOSDK_EXPORT void vemosdk_set_sdkconfig_path(const char* path);
VEMOSDK_EXPORT void vemosdk_set_vendors_path(const char* path);
VEMOSDK_EXPORT void vemosdk_set_webview_path(const char* path);
// Any thread: a new object of the "sdks" entries under their names, deleted by the caller (the entries stay the
// configuration's); empty without a configuration or its "sdks", null on failure.
VEMOSDK_EXPORT cJSON* vemosdk_get_sdk_infos();
// Any thread: the "meta" object of the first "sdks" entry of that name, borrowed from the live context's
// configuration; null when absent.
VEMOSDK_EXPORT const cJSON* vemosdk_get_sdk_meta(const char* name);
