#pragma once
// Every function the SDK registers with Lua runs behind one guard: a C++
// exception of the standard library leaving it (out of memory, a length
// error) becomes a Lua error with a text, which pcall catches, also inside a
// coroutine. Lua raises its own errors as exceptions of another type; those
// pass through untouched.
#include <lua.hpp>

namespace vemo {

// luaL_setfuncs with each function behind the guard; the nup values on the
// stack are each function's first upvalues, as with luaL_setfuncs.
void lua_set_guarded_funcs(lua_State* L, const luaL_Reg* functions, int nup);
// A new table of the functions, behind the guard (luaL_newlib).
void lua_new_guarded_lib(lua_State* L, const luaL_Reg* functions);
// lua_pushcclosure behind the guard: the n values on the stack are the
// function's upvalues, at the same indexes.
void lua_push_guarded(lua_State* L, lua_CFunction function, int n = 0);
// Runs function(L) at once behind the guard, for a C function Lua calls
// that was not registered through the above (a module opener, a message
// handler).
int lua_call_guarded(lua_State* L, lua_CFunction function);

}  // namespace vemo
