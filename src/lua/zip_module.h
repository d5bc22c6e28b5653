#pragma once
// The `_vemosdk_zip` Lua module (read-only zip archives, with passwords).
struct lua_State;

int luaopen_vemosdk_zip(lua_State* L);
