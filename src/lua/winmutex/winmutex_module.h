#pragma once
// The `_vemosdk_winmutex` Lua module: Windows named mutexes scoped to the
// executable's path. The programs export its opener as `luaopen_winmutex`.
struct lua_State;

namespace VemoSDK::LuaWinMutex {
int open(lua_State* L);
}  // namespace VemoSDK::LuaWinMutex
