#include "lua/lua_not_available.h"

#include <lua.hpp>

int vemo_lua_not_available(lua_State* L) { return luaL_error(L, "not available"); }
