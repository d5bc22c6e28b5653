#pragma once
// The SDK's exported life-cycle, driving and posting interface (C linkage,
// UTF-8 texts; no export takes ownership of what it is given).
#include "core/sdk_runtime.h"
#include "core/vemosdk_export.h"

#include <stdint.h>

struct lua_State;

VEMOSDK_EXPORT void vemosdk_init(lua_State* L, HWND window, const char* app_version);
VEMOSDK_EXPORT void vemosdk_init_with_args(lua_State* L, HWND window, const char* app_version,
                                           const char* init_args);
VEMOSDK_EXPORT lua_State* vemosdk_create_lua_State();
VEMOSDK_EXPORT void vemosdk_init_with_native(HWND window, const char* app_version, const char* init_args);
VEMOSDK_EXPORT int vemosdk_is_passive_mode();
VEMOSDK_EXPORT void vemosdk_deinit();
VEMOSDK_EXPORT int vemosdk_destroy();
VEMOSDK_EXPORT const char* vemosdk_version();

VEMOSDK_EXPORT int vemosdk_tick(lua_State* L);
VEMOSDK_EXPORT int vemosdk_tick_native();
// After `seconds`, an "ASYNC_CALL" task with the id (taken as 32 bits) reaches Lua.
VEMOSDK_EXPORT void vemosdk_timer_once(intptr_t id, float seconds);

VEMOSDK_EXPORT vemosdk_main_thread_handler vemosdk_set_main_thread_handler(vemosdk_main_thread_handler handler);
VEMOSDK_EXPORT int vemosdk_on_lua_error(lua_State* L);
// An immediate error report to the crash-report service; each null text is
// read as empty.
VEMOSDK_EXPORT void vemosdk_error_report(const char* logType, const char* logLevel, const char* errMsg,
                                         const char* stackTrace, const char* stackHash, const char* extra);
// Installs crash capture with the host's callback (null: none) and returns
// the unhandled-exception filter set before.
VEMOSDK_EXPORT LPTOP_LEVEL_EXCEPTION_FILTER set_crash_callback(void (*callback)(EXCEPTION_POINTERS* pointers));
// A report line "key: <text>" asked of callback at each capture; a key already
// present keeps its first callback.
VEMOSDK_EXPORT void set_fill_crash_log_ext_info_callback(const char* key, const char* (*callback)(const char* key));
// Stores the host's security-check value for the vendor start-up: with the
// value 1 a configuration without a "SECURITY" entry is reported.
VEMOSDK_EXPORT void vemosdk_set_security_check(void* callback);
// A plug-in DLL from the vendors folder ("vendors\<folder>\<file>.dll"), or null.
VEMOSDK_EXPORT HMODULE vemosdk_load_vendor_dll(const char* folder, const char* file);
// The opener of the `_vemosdk_winmutex` module (named mutexes for scripts).
VEMOSDK_EXPORT int luaopen_winmutex(lua_State* L);

VEMOSDK_EXPORT void vemosdk_post_async_result(int64_t id, const char* json);
VEMOSDK_EXPORT void vemosdk_post_async_index(int32_t id, int n);
VEMOSDK_EXPORT void vemosdk_post_lua_event(const char* name, int64_t id, const char* json, const void* buffer,
                                           int length);
