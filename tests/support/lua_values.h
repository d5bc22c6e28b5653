#pragma once
// Reads what a tick pushed on a Lua stack as texts, for comparison in tests:
// nil is "nil", an integer is "#" and its digits, a string is itself (NUL
// bytes included), anything else is "<type name>".
#include <lua.hpp>

#include <string>
#include <vector>

#include "core/owners.h"

namespace vemo::test {

inline std::vector<std::string> pop_values(lua_State* L, int count) {
  std::vector<std::string> values;
  int first = lua_gettop(L) - count + 1;
  for (int i = first; i < first + count; ++i) {
    int type = lua_type(L, i);
    if (type == LUA_TNIL) {
      values.emplace_back("nil");
    } else if (type == LUA_TNUMBER && lua_isinteger(L, i)) {
      values.emplace_back("#" + std::to_string(lua_tointeger(L, i)));
    } else if (type == LUA_TSTRING) {
      size_t length = 0;
      const char* text = lua_tolstring(L, i, &length);
      values.emplace_back(text, length);
    } else {
      values.emplace_back(std::string("<") + lua_typename(L, type) + ">");
    }
  }
  lua_pop(L, count);
  return values;
}

// Runs a chunk and gives its results as text, joined with "," (luaL_tolstring
// of each), or "error: " and the message when it raised. The stack is left
// as it was.
inline std::string run_chunk(lua_State* L, const std::string& chunk) {
  int top = lua_gettop(L);
  if (luaL_dostring(L, chunk.c_str()) != LUA_OK) {
    size_t length = 0;
    const char* message = luaL_tolstring(L, -1, &length);
    std::string error = "error: " + std::string(message, length);
    lua_settop(L, top);
    return error;
  }
  std::string joined;
  int results = lua_gettop(L);
  for (int i = top + 1; i <= results; ++i) {
    if (i > top + 1) joined += ",";
    size_t length = 0;
    const char* text = luaL_tolstring(L, i, &length);
    joined.append(text, length);
    lua_pop(L, 1);
  }
  lua_settop(L, top);
  return joined;
}

// A fresh Lua state with the standard libraries, closed at scope end.
class LuaStateHolder {
public:
  LuaStateHolder() : L_(luaL_newstate()) { luaL_openlibs(L_.get()); }
  lua_State* get() const { return L_.get(); }

private:
  LuaStatePtr L_;
};

}  // namespace vemo::test
