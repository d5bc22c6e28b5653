// The exported posting and driving functions, through the process-wide queue.
#include "core/lua_task_queue.h"
#include "sdk/exports.h"

#include "lua_values.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using vemo::test::LuaStateHolder;
using vemo::test::pop_values;
using Values = std::vector<std::string>;

Values tick(lua_State* L) { return pop_values(L, vemosdk_tick(L)); }

class SdkExports : public ::testing::Test {
protected:
  void SetUp() override {
    while (tick(L.get()) != Values{"nil"}) {
    }
  }
  LuaStateHolder L;
};

TEST_F(SdkExports, AsyncResultIsACopyAndNullKeepsEmptyObject) {
  char text[] = R"({"succ":true})";
  vemosdk_post_async_result(41, text);
  std::memset(text, 'x', sizeof text - 1);  // the caller's text is its own again
  vemosdk_post_async_result(42, nullptr);
  EXPECT_EQ((Values{"ASYNC_CALL", "#41", R"({"succ":true})", "nil"}), tick(L.get()));
  EXPECT_EQ((Values{"ASYNC_CALL", "#42", "{}", "nil"}), tick(L.get()));
}

TEST_F(SdkExports, AsyncIndexIsFormattedJsonUnderTheSignWidenedId) {
  vemosdk_post_async_index(-3, 1);
  EXPECT_EQ((Values{"ASYNC_CALL", "#-3", "{\n\t\"index\":\t1\n}", "nil"}), tick(L.get()));
}

TEST_F(SdkExports, LuaEventCopiesNameJsonAndBuffer) {
  // Plug-ins keep their memory: here it lives on the stack, so taking it
  // over (and freeing it later) would crash.
  char name[] = "VENDOR_EVENT";
  char json[] = R"({"from":"plugin"})";
  char buffer[] = {'\x01', '\0', '\x02'};
  vemosdk_post_lua_event(name, 0x7fffffff00000001LL, json, buffer, sizeof buffer);
  vemosdk_post_lua_event(nullptr, 2, nullptr, nullptr, 0);
  std::memset(name, '_', sizeof name - 1);
  std::memset(json, '_', sizeof json - 1);
  std::memset(buffer, '_', sizeof buffer);
  EXPECT_EQ((Values{"VENDOR_EVENT", "#9223372032559808513", R"({"from":"plugin"})", std::string("\x01\0\x02", 3)}),
            tick(L.get()));
  EXPECT_EQ((Values{"ASYNC_CALL", "#2", "{}", "nil"}), tick(L.get()));
}

TEST(SdkNativeState, TickNativeNeedsTheOwnedStateThenRunsTheScriptsTick) {
  EXPECT_EQ(-1, vemosdk_tick_native());
  lua_State* L = vemosdk_create_lua_State();
  ASSERT_NE(nullptr, L);
  EXPECT_EQ(nullptr, vemosdk_create_lua_State()) << "a second state replaced the first";

  // Without the scripts the error is swallowed.
  EXPECT_EQ(0, vemosdk_tick_native());
  EXPECT_EQ(0, lua_gettop(L));

  ASSERT_EQ(LUA_OK, luaL_dostring(L, R"(
    package.preload['vemosdk_lua.vemosdk'] = function()
      return { tick = function(arg) ticked_with = tostring(arg) end }
    end)"));
  EXPECT_EQ(0, vemosdk_tick_native());
  lua_getglobal(L, "ticked_with");
  EXPECT_STREQ("false", lua_tostring(L, -1));
  lua_pop(L, 1);
}

}  // namespace
