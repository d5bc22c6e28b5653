// Native-call tasks reaching Lua through the tick, their JSON arguments
// decoded by the scripts' "FOREIGN_JSON_DECODE", and the stat posts.
#include "sdk/native_call_task.h"

#include "core/json_object.h"
#include "core/lua_posts.h"
#include "core/lua_task_queue.h"
#include "sdk/exports.h"
#include "lua_values.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vemo::test::LuaStateHolder;

// Started as the programs start; `delivered()` renders what one tick gives:
// values joined by "|", tables as JSON with their keys sorted, nil as "nil".
class NativeCalls : public ::testing::Test {
protected:
  void SetUp() override {
    vemosdk_init(L.get(), nullptr, "1.0.9");
    ASSERT_EQ("", run(R"(
      local function sorted_json(v)
        if type(v) ~= "table" then return _vemosdk_lua_cjson.encode(v) end
        if #v > 0 or next(v) == nil then
          local items = {}
          for i = 1, #v do items[i] = sorted_json(v[i]) end
          return (#v > 0 and "[" or "{") .. table.concat(items, ",") .. (#v > 0 and "]" or "}")
        end
        local keys = {}
        for k in pairs(v) do keys[#keys + 1] = k end
        table.sort(keys)
        local members = {}
        for i, k in ipairs(keys) do members[i] = string.format("%q:%s", k, sorted_json(v[k])) end
        return "{" .. table.concat(members, ",") .. "}"
      end
      function render_tick()
        local values = table.pack(_vemosdk.tick())
        local parts = {}
        for i = 1, values.n do
          local v = values[i]
          parts[i] = type(v) == "table" and sorted_json(v) or tostring(v)
        end
        return table.concat(parts, "|")
      end
      while render_tick() ~= "nil" do end
    )"));
  }

  std::string run(const char* chunk) {
    if (luaL_dostring(L.get(), chunk) == LUA_OK) return "";
    std::string error = lua_tostring(L.get(), -1);
    lua_settop(L.get(), 0);
    return error;
  }

  void useDecoder(const char* function_text) {
    std::string chunk = std::string("_vemosdk.register_cb('FOREIGN_JSON_DECODE', ") + function_text + ")";
    ASSERT_EQ("", run(chunk.c_str()));
  }

  std::string delivered() {
    lua_getglobal(L.get(), "render_tick");
    if (lua_pcall(L.get(), 0, 1, 0) != LUA_OK) return std::string("error: ") + lua_tostring(L.get(), -1);
    std::string text = lua_tostring(L.get(), -1);
    lua_pop(L.get(), 1);
    return text;
  }

  LuaStateHolder L;
};

TEST_F(NativeCalls, CommitEventDeliversItsNamesAndDecodedTables) {
  useDecoder("_vemosdk_lua_cjson.decode");
  EXPECT_TRUE(post_commit_event("sdk.lua.stat", R"({"is_upload_now":false})", R"({"n":1})"));
  EXPECT_TRUE(post_commit_event("", "{}", "[1,2]"));
  EXPECT_EQ(R"(FOREIGN_NATIVE_CALL|vendors.jf|commit_event|sdk.lua.stat|{"is_upload_now":false}|{"n":1})",
            delivered());
  EXPECT_EQ("FOREIGN_NATIVE_CALL|vendors.jf|commit_event|nil|{}|[1,2]", delivered());
  EXPECT_EQ("nil", delivered());
}

TEST_F(NativeCalls, StatActionDeliversTextsFlagAndDecodedJson) {
  useDecoder("_vemosdk_lua_cjson.decode");
  EXPECT_TRUE(post_stat_action("umid_err", "umid_load_gs_dll_fail", 0, R"({"is_upload_now":true})"));
  EXPECT_TRUE(post_stat_action("", nullptr, 1, "[]"));
  EXPECT_EQ(
      R"(FOREIGN_NATIVE_CALL|vemosdk_stat|stat_action|umid_err|umid_load_gs_dll_fail|false|{"is_upload_now":true})",
      delivered());
  EXPECT_EQ("FOREIGN_NATIVE_CALL|vemosdk_stat|stat_action|nil|nil|true|{}", delivered());
}

// An argument that does not decode drops its task: the tick hands over the
// next task instead (or nil), with nothing left behind on the stack.
TEST_F(NativeCalls, UndecodableArgumentDropsTheTaskAndTheTickMovesOn) {
  struct DecodeCase {
    const char* label;
    const char* decoder;  // null: none registered
    const char* labels;
    const char* stats;
  };
  const DecodeCase cases[] = {
      {"no decoder", nullptr, "{}", "{}"},
      {"decoder raises", "function() error('no') end", "{}", "{}"},
      {"labels do not parse", "_vemosdk_lua_cjson.decode", "{", "{}"},
      {"stats do not parse", "_vemosdk_lua_cjson.decode", "{}", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.decoder) useDecoder(c.decoder);
    else ASSERT_EQ("", run("debug.getregistry()._vemosdk.FOREIGN_JSON_DECODE = nil"));

    const int top = lua_gettop(L.get());
    post_commit_event("e", c.labels, c.stats);
    EXPECT_EQ(1, LuaTaskQueue::getInstance()->tick(L.get()));
    EXPECT_TRUE(lua_isnil(L.get(), -1));
    lua_pop(L.get(), 1);
    EXPECT_EQ(top, lua_gettop(L.get()));

    post_stat_action("a", "b", 1, c.stats[0] ? "{" : "");
    post_commit_event("e", c.labels, c.stats);
    vemosdk_post_async_result(77, nullptr);
    EXPECT_EQ("ASYNC_CALL|77|{}|nil", delivered());
    EXPECT_EQ("nil", delivered());
  }
}

TEST_F(NativeCalls, DecodeJsonIntoLuaLeavesOneValueOrNothing) {
  useDecoder("_vemosdk_lua_cjson.decode");
  lua_State* state = L.get();
  const int top = lua_gettop(state);
  const char json[] = R"({"k":[1,2]})";
  ASSERT_TRUE(decode_json_into_lua(state, json, sizeof(json) - 1));
  EXPECT_EQ(top + 1, lua_gettop(state));
  lua_getfield(state, -1, "k");
  EXPECT_EQ(2, static_cast<int>(luaL_len(state, -1)));
  lua_settop(state, top);

  EXPECT_FALSE(decode_json_into_lua(state, "[1,", 3));
  EXPECT_EQ(top, lua_gettop(state));
  // Only the given length counts.
  ASSERT_TRUE(decode_json_into_lua(state, "[1]garbage", 3));
  lua_settop(state, top);

  ASSERT_EQ("", run("debug.getregistry()._vemosdk = nil"));
  EXPECT_FALSE(decode_json_into_lua(state, "{}", 2));
  EXPECT_EQ(top, lua_gettop(state));
}

TEST_F(NativeCalls, StatEventAddsTheActionAndLabelsByUploadMode) {
  useDecoder("_vemosdk_lua_cjson.decode");
  struct ModeCase {
    int mode;
    const char* labels;
  };
  const ModeCase modes[] = {{kStatUploadLater, R"({"is_upload_now":false})"},
                            {kStatUploadNow, R"({"is_upload_now":true})"},
                            {7, "{}"}};
  for (const auto& m : modes) {
    JsonObject stats;
    ASSERT_TRUE(stats.create());
    stats.addString("net_type", "1");
    EXPECT_TRUE(post_stat_event("sdk.lua.stat", "webview.cost", &stats, m.mode));
    EXPECT_EQ(std::string("FOREIGN_NATIVE_CALL|vendors.jf|commit_event|sdk.lua.stat|") + m.labels +
                  R"(|{"action":"webview.cost","net_type":"1"})",
              delivered())
        << m.mode;
  }
  // No stats object at all still commits, with an empty table.
  EXPECT_TRUE(post_stat_event("sdk.lua.stat", "webview.cost", nullptr));
  EXPECT_EQ(R"(FOREIGN_NATIVE_CALL|vendors.jf|commit_event|sdk.lua.stat|{"is_upload_now":false}|{})", delivered());
  JsonObject invalid;
  EXPECT_TRUE(post_stat_event("sdk.lua.stat", "x", &invalid));
  EXPECT_EQ(R"(FOREIGN_NATIVE_CALL|vendors.jf|commit_event|sdk.lua.stat|{"is_upload_now":false}|{})", delivered());
}

}  // namespace
