// The exported posting and driving functions, through the process-wide
// queue, and the guard that keeps C++ exceptions inside the SDK.
#include "core/debug_log.h"
#include "core/export_guard.h"
#include "core/lua_task_queue.h"
#include "sdk/exports.h"

#include "lua_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace {

using vemo::test::LuaStateHolder;
using vemo::test::pop_values;
using Values = std::vector<std::string>;

Values tick(lua_State* L) { return pop_values(L, vemosdk_tick(L)); }

std::mutex g_lines_lock;
std::vector<std::string> g_lines;

void record_line(int, const char* text, int length) {
  std::lock_guard<std::mutex> lock(g_lines_lock);
  g_lines.emplace_back(text, length);
}

// The debug log's lines while it lives, each as written (prefix included).
class DebugLines {
public:
  DebugLines() {
    g_lines.clear();
    vemo_debug_set_console(1);
    vemo_debug_set_callback(record_line);
  }
  ~DebugLines() {
    vemo_debug_set_callback(nullptr);
    vemo_debug_set_console(0);
  }
  bool any_ends_with(const std::string& tail) const {
    std::lock_guard<std::mutex> lock(g_lines_lock);
    for (std::string line : g_lines) {
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      if (line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0) return true;
    }
    return false;
  }
};

// A task whose values fail half-way: it pushes one value, then fails.
class FailingTask final : public VemoSDK::LuaTask {
public:
  explicit FailingTask(std::function<void(lua_State*)> fail) : fail_(std::move(fail)) {}
  int push(lua_State* L) override {
    lua_pushstring(L, "half-way");
    fail_(L);
    return 1;
  }

private:
  std::function<void(lua_State*)> fail_;
};

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

struct GuardCase {
  const char* label;
  std::function<void()> fail;
  const char* logged;
};

TEST(ExportGuard, StandardExceptionsBecomeTheFailureValueAndALogLine) {
  const GuardCase cases[] = {
      {"no memory", [] { throw std::bad_alloc(); }, "probe_export failed: not enough memory"},
      {"length error", [] { throw std::length_error("name too long"); }, "probe_export failed: name too long"},
  };
  for (const GuardCase& c : cases) {
    SCOPED_TRACE(c.label);
    DebugLines lines;
    EXPECT_EQ(-7, vemo::guard_export("probe_export", -7, [&] {
                c.fail();
                return 1;
              }));
    EXPECT_TRUE(lines.any_ends_with(c.logged));
    EXPECT_NO_THROW(vemo::guard_export("void_export", [&] { c.fail(); }));
    EXPECT_TRUE(lines.any_ends_with(std::string("void_export") + (c.logged + std::strlen("probe_export"))));
  }
  EXPECT_EQ(5, vemo::guard_export("probe_export", -7, [] { return 5; }));
}

// Stands for an exception of a type the guard does not know.
struct NotAStandardException {};

int raise_lua_error_inside_export(lua_State* L) {
  return vemo::guard_export("probe_export", -1, [&] { return luaL_error(L, "raised by the body"); });
}

TEST(ExportGuard, LuaErrorsReachTheProtectedCallThatWaitsForThem) {
  EXPECT_THROW(vemo::guard_export("probe_export", [] { throw NotAStandardException(); }), NotAStandardException);

  LuaStateHolder L;
  lua_pushcfunction(L.get(), raise_lua_error_inside_export);
  ASSERT_EQ(LUA_ERRRUN, lua_pcall(L.get(), 0, 0, 0));
  EXPECT_STREQ("raised by the body", lua_tostring(L.get(), -1));
  lua_pop(L.get(), 1);
  // The state is whole afterwards.
  EXPECT_EQ("3", vemo::test::run_chunk(L.get(), "return 1 + 2"));
}

struct TickCase {
  const char* label;
  std::function<void(lua_State*)> fail;
  const char* logged;
};

TEST_F(SdkExports, TickDropsATaskWhoseValuesFailAndDeliversTheNext) {
  const TickCase cases[] = {
      {"Lua error", [](lua_State* state) { luaL_error(state, "no decoder for this task"); },
       "vemosdk_tick failed: no decoder for this task"},
      {"no memory", [](lua_State*) { throw std::bad_alloc(); }, "vemosdk_tick failed: not enough memory"},
  };
  for (const TickCase& c : cases) {
    SCOPED_TRACE(c.label);
    DebugLines lines;
    LuaTaskQueue::getInstance()->pushTask(std::make_unique<FailingTask>(c.fail).release());
    vemosdk_post_async_result(7, nullptr);
    lua_pushinteger(L.get(), 99);  // the host's own value stays below

    // Called by the host outside any protected call: without one of its
    // own, Lua would panic and end the program.
    EXPECT_EQ(0, vemosdk_tick(L.get()));
    EXPECT_EQ(1, lua_gettop(L.get()));
    EXPECT_TRUE(lines.any_ends_with(c.logged));
    EXPECT_EQ((Values{"ASYNC_CALL", "#7", "{}", "nil"}), tick(L.get()));
    EXPECT_EQ((Values{"#99"}), pop_values(L.get(), 1));
  }
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
