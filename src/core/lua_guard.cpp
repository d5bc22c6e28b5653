#include "core/lua_guard.h"

#include "core/exception_text.h"

namespace {

// The guarded function is the closure's last upvalue; those before it are
// its own.
lua_CFunction guarded_function(lua_State* L) {
  int last = 1;
  while (lua_type(L, lua_upvalueindex(last + 1)) != LUA_TNONE) ++last;
  return reinterpret_cast<lua_CFunction>(lua_touserdata(L, lua_upvalueindex(last)));
}

int guarded_call(lua_State* L) { return vemo::lua_call_guarded(L, guarded_function(L)); }

}  // namespace

namespace vemo {

int lua_call_guarded(lua_State* L, lua_CFunction function) {
  int count = 0;
  ExceptionText failure;
  if (run_noting_exception([&] { count = function(L); }, failure)) return count;
  // Raised outside the handler, so the C++ exception is over before Lua's
  // own starts.
  return luaL_error(L, "%s", failure.text);
}

void lua_push_guarded(lua_State* L, lua_CFunction function, int n) {
  lua_pushlightuserdata(L, reinterpret_cast<void*>(function));
  lua_pushcclosure(L, guarded_call, n + 1);
}

void lua_set_guarded_funcs(lua_State* L, const luaL_Reg* functions, int nup) {
  luaL_checkstack(L, nup + 1, "too many upvalues");
  for (const luaL_Reg* entry = functions; entry->name != nullptr; ++entry) {
    if (entry->func == nullptr) {
      lua_pushboolean(L, 0);  // a place holder, as luaL_setfuncs makes it
    } else {
      for (int i = 0; i < nup; ++i) lua_pushvalue(L, -nup);
      lua_push_guarded(L, entry->func, nup);
    }
    lua_setfield(L, -(nup + 2), entry->name);
  }
  lua_pop(L, nup);
}

void lua_new_guarded_lib(lua_State* L, const luaL_Reg* functions) {
  int count = 0;
  for (const luaL_Reg* entry = functions; entry->name != nullptr; ++entry) ++count;
  lua_createtable(L, 0, count);
  lua_set_guarded_funcs(L, functions, 0);
}

}  // namespace vemo
