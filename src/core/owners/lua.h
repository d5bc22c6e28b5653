#pragma once
// Owner of a Lua state made with luaL_newstate or lua_newstate.
#include <lua.hpp>

#include <memory>

namespace vemo {

struct LuaStateCloser {
  void operator()(lua_State* L) const { lua_close(L); }
};
using LuaStatePtr = std::unique_ptr<lua_State, LuaStateCloser>;

}  // namespace vemo
