#pragma once
// Start-up, shut-down and driving of the SDK behind the exported life-cycle
// interface. Every function runs on the host's UI thread.
#include <windows.h>

struct lua_State;

namespace VemoSDK {

// The start-up sequence on the host's Lua state (init_args may be null).
void initWithArgs(lua_State* L, HWND window, const char* app_version, const char* init_args);

// Start-up on the SDK-owned state, then its loader script.
void initWithNative(HWND window, const char* app_version, const char* init_args);

// Forgets the SDK-owned state and releases what start-up made that can be
// made again.
void deinit();

// The Lua state the SDK owns for hosts without one; null (and the existing
// state kept) when it already owns one.
lua_State* createOwnedLuaState();

// Runs the scripts' tick on the SDK-owned state: -1 without one, else 0.
int tickNative();

}  // namespace VemoSDK
