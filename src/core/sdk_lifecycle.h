#pragma once
// Start-up, shut-down and driving of the SDK behind the exported life-cycle
// interface. Every function runs on the host's UI thread.
#include <windows.h>

struct lua_State;

namespace VemoSDK {

// The Lua state the SDK owns for hosts without one; null (and the existing
// state kept) when it already owns one.
lua_State* createOwnedLuaState();

// Runs the scripts' tick on the SDK-owned state: -1 without one, else 0.
int tickNative();

}  // namespace VemoSDK
