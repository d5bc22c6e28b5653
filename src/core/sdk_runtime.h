#pragma once
// Process-wide values of the running SDK: the host window, the Lua state the
// SDK owns when the host asked it for one, and the host's main-thread
// handler. Written on the host's UI thread; readable from any thread.
#include <windows.h>

struct lua_State;

// The SDK's version, as vemosdk_version and the scripts see it.
constexpr char kSdkVersion[] = "3.0.14";

// Runs callback(argument) on the host's UI thread.
using vemosdk_main_thread_callback = void (*)(void* argument);
using vemosdk_main_thread_handler = void (*)(vemosdk_main_thread_callback callback, void* argument);

// The window that owns everything the SDK shows; null before start-up.
HWND vmsdk_get_main_hwnd();
void vmsdk_set_main_hwnd(HWND window);

// The host's handler, or null: then window work runs in place.
vemosdk_main_thread_handler vemosdk_get_main_thread_handler();

namespace VemoSDK {

void setMainThreadHandler(vemosdk_main_thread_handler handler);

// The Lua state created by vemosdk_create_lua_State, or null.
lua_State* ownedLuaState();
void setOwnedLuaState(lua_State* L);

// 0 while the host drives the tick (always, in this SDK).
int tickMode();
void setTickMode(int mode);
// 1 while the host drives the tick, which is always the case here.
int isPassiveMode();

}  // namespace VemoSDK
