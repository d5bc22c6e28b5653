#pragma once
// The _vemosdk Lua module: the scripts' way to every native service.
struct lua_State;

extern "C" int luaopen_vemosdk(lua_State* L);

// Whether the module's function of that name is built in (false for an
// unknown name).
bool vemosdk_function_works(const char* name);
