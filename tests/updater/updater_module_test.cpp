// The _updater module as the scripts call it: argument checks, results and
// their Lua types.
#include <gtest/gtest.h>

#include <string>

#include "core/owners.h"
#include "lua_values.h"
#include "test_support.h"
#include "updater_lua.h"
#include "updater_state.h"

namespace {

using vemo::test::LuaStateHolder;
using vemo::test::TempDir;

class UpdaterModule : public ::testing::Test {
protected:
  void SetUp() override {
    luaL_requiref(L.get(), "_updater", luaopen_updater, 1);
    lua_pop(L.get(), 1);
  }

  // Runs a chunk that returns values; the values as texts.
  std::vector<std::string> eval(const std::string& chunk) {
    int top = lua_gettop(L.get());
    if (luaL_dostring(L.get(), chunk.c_str()) != LUA_OK) {
      std::string error = lua_tostring(L.get(), -1);
      lua_settop(L.get(), top);
      return {"error: " + error};
    }
    return vemo::test::pop_values(L.get(), lua_gettop(L.get()) - top);
  }

  // A Windows path as a Lua string literal.
  static std::string quoted(const std::string& path) {
    std::string text = "'";
    for (char c : path) text += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return text + "'";
  }

  LuaStateHolder L;
};

TEST_F(UpdaterModule, HasItsEightFunctions) {
  std::vector<std::string> names = {"download_progress",     "update_merge_ok",           "kill_process_by_path",
                                    "find_process_by_path",  "bring_process_to_front",    "can_write_files_exclusive",
                                    "launch_process",        "is_game_running"};
  for (const std::string& name : names)
    EXPECT_EQ(std::vector<std::string>{"<function>"}, eval("return _updater." + name)) << name;
  EXPECT_EQ(std::vector<std::string>{"#8"}, eval("local n = 0 for _ in pairs(_updater) do n = n + 1 end return n"));
}

TEST_F(UpdaterModule, MergeResultAndProgressReachTheUpdaterState) {
  updater_state().merge_ok = true;
  EXPECT_EQ(std::vector<std::string>{"<boolean>"}, eval("return _updater.update_merge_ok()"));
  EXPECT_EQ(std::vector<std::string>{"yes"}, eval("return _updater.update_merge_ok() and 'yes' or 'no'"));
  updater_state().merge_ok = false;
  EXPECT_EQ(std::vector<std::string>{"no"}, eval("return _updater.update_merge_ok() and 'yes' or 'no'"));
  updater_state().merge_ok = true;

  // No window exists here: the state still follows the scripts.
  EXPECT_TRUE(eval(R"(_updater.download_progress('{"percent":150,"leftText":"done"}'))").empty());
  EXPECT_FLOAT_EQ(100, updater_state().progress.percent);
  EXPECT_EQ(L"done", updater_state().progress.left_text);
  EXPECT_TRUE(eval("_updater.download_progress('not json')").empty());
  EXPECT_FLOAT_EQ(100, updater_state().progress.percent);
  EXPECT_NE(std::string::npos, eval("_updater.download_progress({})")[0].find("string expected"));
}

TEST_F(UpdaterModule, ExclusiveWriteCheckAnswersTrueOrFalsePathAndCode) {
  TempDir dir("module exclusive");
  std::string locked = dir.file("launcher.exe");
  ASSERT_TRUE(vemo::test::write_file(locked, "exe"));
  EXPECT_EQ(std::vector<std::string>{"<boolean>"},
            eval("return _updater.can_write_files_exclusive({" + quoted(dir.file("missing.dll")) + "})"));

  HANDLE holder =
      CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::vector<std::string> answer =
      eval("local ok, path, code = _updater.can_write_files_exclusive({''," + quoted(locked) +
           "}, 2, 100) return tostring(ok), path, code");
  CloseHandle(holder);
  EXPECT_EQ((std::vector<std::string>{"false", locked, "#32"}), answer);

  EXPECT_NE(std::string::npos, eval("return _updater.can_write_files_exclusive('a.dll')")[0].find("table expected"));
}

TEST_F(UpdaterModule, ExclusiveWriteRetriesOfAnySizeAndPathListsBehindMetamethods) {
  TempDir dir("module exclusive counts");
  std::string locked = dir.file("launcher.exe");
  ASSERT_TRUE(vemo::test::write_file(locked, "exe"));
  vemo::UniqueHandle holder(
      CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);

  // Negative counts mean no retry however large they are.
  const struct {
    const char* retries;
    int attempts;
  } cases[] = {{"-1", 1}, {"-4294967295", 1}, {"-4294967294", 1}, {"0", 1}, {"1", 2}};
  for (const auto& c : cases) {
    vemo::test::DebugLogCapture log;
    std::vector<std::string> answer = eval("return tostring(_updater.can_write_files_exclusive({" + quoted(locked) +
                                           "}, " + c.retries + ", 0))");
    EXPECT_EQ(std::vector<std::string>{"false"}, answer) << c.retries;
    std::string expected = "attempt=" + std::to_string(c.attempts) + " ";
    bool found = false;
    for (const std::string& line : log.lines())
      found = found || (line.find("can_write_files_exclusive: locked") != std::string::npos &&
                        line.find(expected) != std::string::npos);
    EXPECT_TRUE(found) << c.retries << ": expected " << expected;
  }

  // A list behind __len and __index is read like a plain one, and an error
  // raised while reading it reaches the script.
  std::string proxy = "setmetatable({}, {__len = function() return 2 end, __index = function(_, i) "
                      "if i == 1 then return '' end return " + quoted(locked) + " end})";
  EXPECT_EQ((std::vector<std::string>{"false", locked, "#32"}),
            eval("local ok, path, code = _updater.can_write_files_exclusive(" + proxy +
                 ") return tostring(ok), path, code"));
  std::vector<std::string> raised = eval(
      "return _updater.can_write_files_exclusive(setmetatable({}, {__len = function() return 3 end, "
      "__index = function(_, i) if i == 2 then error('no such entry') end return 'x' end}))");
  ASSERT_EQ(1u, raised.size());
  EXPECT_NE(std::string::npos, raised[0].find("no such entry")) << raised[0];
}

TEST_F(UpdaterModule, ProcessFunctionsOnAPathWithNothingRunning) {
  TempDir dir("module processes");
  std::string exe = quoted(dir.file("nothing.exe"));
  EXPECT_EQ((std::vector<std::string>{"#0", "#0"}), eval("return _updater.kill_process_by_path(" + exe + ")"));
  EXPECT_EQ(std::vector<std::string>{"#0"}, eval("return _updater.find_process_by_path(" + exe + ")"));
  EXPECT_EQ(std::vector<std::string>{"false"},
            eval("return tostring(_updater.bring_process_to_front(" + exe + "))"));
  EXPECT_EQ((std::vector<std::string>{"false", "#87"}),
            eval("local ok, code = _updater.launch_process('   ') return tostring(ok), code"));
  EXPECT_EQ(std::vector<std::string>{"false"}, eval("return tostring(_updater.is_game_running())"));
  EXPECT_NE(std::string::npos, eval("return _updater.find_process_by_path()")[0].find("string expected"));
}

}  // namespace
