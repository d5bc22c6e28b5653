#pragma once
// The _vemosdk Lua module: the scripts' way to every native service.
struct lua_State;

extern "C" int luaopen_vemosdk(lua_State* L);
