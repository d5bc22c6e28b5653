// The applications' Lua hosting: the precompiled tick, its guard against
// re-entry from a modal loop, and chunk runs that survive errors.
#include "lua/lua_host.h"

#include "lua_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using vemo::test::LuaStateHolder;

// Stands in for a modal loop inside Lua: the window procedure would get a
// timer message and call the tick again while this tick still runs.
int tick_again(lua_State* L) {
  call_tick_function(L);
  return 0;
}

class LuaHost : public ::testing::Test {
protected:
  void SetUp() override {
    lua_register(L.get(), "tick_again", tick_again);
    // The scripts' tick module, as the applications require it.
    ASSERT_EQ(LUA_OK, luaL_dostring(L.get(), R"(
      ticks, fail_next, nest = 0, false, false
      package.preload['vemosdk_lua.vemosdk'] = function()
        return { tick = function()
          ticks = ticks + 1
          if fail_next then fail_next = false; error('tick failed') end
          if nest then tick_again() end
        end }
      end)"));
    ASSERT_EQ(1, precompile_tick_function(L.get()));
  }
  void TearDown() override { release_tick_function(L.get()); }

  int global_int(const char* name) {
    lua_getglobal(L.get(), name);
    int value = static_cast<int>(lua_tointeger(L.get(), -1));
    lua_pop(L.get(), 1);
    return value;
  }
  void run(const char* chunk) { ASSERT_EQ(LUA_OK, luaL_dostring(L.get(), chunk)); }

  LuaStateHolder L;
};

TEST_F(LuaHost, EachCallRunsTheScriptsTickOnce) {
  call_tick_function(L.get());
  call_tick_function(L.get());
  EXPECT_EQ(2, global_int("ticks"));
  EXPECT_EQ(0, lua_gettop(L.get()));
}

TEST_F(LuaHost, ATickStartedInsideATickIsSkipped) {
  run("nest = true");
  call_tick_function(L.get());
  EXPECT_EQ(1, global_int("ticks"));
  run("nest = false");
  call_tick_function(L.get());
  EXPECT_EQ(2, global_int("ticks")) << "the guard stayed set";
}

TEST_F(LuaHost, AnErrorInATickDoesNotStopTheNext) {
  run("fail_next = true");
  call_tick_function(L.get());
  EXPECT_EQ(0, lua_gettop(L.get()));
  call_tick_function(L.get());
  EXPECT_EQ(2, global_int("ticks"));
}

TEST_F(LuaHost, WithoutTheReferenceNothingRuns) {
  release_tick_function(L.get());
  call_tick_function(L.get());
  call_tick_function(nullptr);
  EXPECT_EQ(0, global_int("ticks"));
}

TEST(LuaHostChunks, RunLuaChunkRestoresTheStackOnSuccessAndError) {
  LuaStateHolder L;
  const char* chunks[] = {"ran = 1", "error('boom')", "this is not Lua", "error(setmetatable({}, {}))"};
  for (const char* chunk : chunks) {
    SCOPED_TRACE(chunk);
    run_lua_chunk(L.get(), chunk, std::strlen(chunk), "test_chunk");
    EXPECT_EQ(0, lua_gettop(L.get()));
  }
  lua_getglobal(L.get(), "ran");
  EXPECT_EQ(1, lua_tointeger(L.get(), -1));
}

TEST(LuaHostChunks, TheMessageHandlerLeavesTheMessageWithItsTraceback) {
  LuaStateHolder L;
  lua_pushcfunction(L.get(), lua_error_traceback);
  ASSERT_EQ(LUA_OK, luaL_loadstring(L.get(), "local function inner() error('deep', 0) end inner()"));
  ASSERT_EQ(LUA_ERRRUN, lua_pcall(L.get(), 0, 0, 1));
  std::string text = lua_tostring(L.get(), -1);
  EXPECT_EQ(0u, text.rfind("deep\nstack traceback:", 0)) << text;
  EXPECT_NE(std::string::npos, text.find("inner")) << text;
}

}  // namespace
