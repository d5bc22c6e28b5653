#pragma once
// The scripts' JSON module `_vemosdk_lua_cjson`: encode, decode, their
// options, `new` for independent instances and the `null` sentinel.
struct lua_State;

// Builds the module table, stores it in the global `_vemosdk_lua_cjson` and
// returns it (for luaL_requiref).
int luaopen_vemosdk_lua_cjson(lua_State* L);
