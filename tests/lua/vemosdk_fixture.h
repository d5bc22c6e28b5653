#pragma once
// A Lua state started as the programs start it (vemosdk_init), with no task
// waiting, and `run`, which gives a chunk's results as text.
#include "core/exports.h"

#include "lua_values.h"

#include <gtest/gtest.h>

#include <string>

namespace vemo::test {

class VemosdkModule : public ::testing::Test {
protected:
  void SetUp() override {
    vemosdk_init(L.get(), nullptr, "1.0.9");
    while (run("return _vemosdk.tick()") != "nil") {
    }
  }
  // The results of a chunk joined with "," (or "error: ..." when it raised).
  std::string run(const std::string& chunk) {
    lua_State* s = L.get();
    if (luaL_dostring(s, chunk.c_str()) != LUA_OK) {
      std::string error = lua_tostring(s, -1);
      lua_settop(s, 0);
      return "error: " + error;
    }
    std::string joined;
    for (int i = 1; i <= lua_gettop(s); ++i) {
      if (i > 1) joined += ",";
      joined += luaL_tolstring(s, i, nullptr);
      lua_pop(s, 1);
    }
    lua_settop(s, 0);
    return joined;
  }
  LuaStateHolder L;
};

}  // namespace vemo::test
