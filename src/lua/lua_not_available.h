#pragma once
// The answer of a module function whose feature this build does not offer
// yet: a Lua error saying so, never a made-up result.
struct lua_State;

int vemo_lua_not_available(lua_State* L);
