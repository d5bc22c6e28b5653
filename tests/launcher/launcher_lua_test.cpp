// The launcher's Lua surface, without a window: get_launcher_config and the
// _launcher functions that need none.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/owners.h"
#include "launcher_config.h"
#include "launcher_lua.h"
#include "launcher_state.h"
#include "lua.hpp"
#include "lua_values.h"
#include "module_walk.h"

namespace {

class LauncherLua : public testing::Test {
protected:
  void SetUp() override {
    luaL_openlibs(L_.get());
    lua_register(L_.get(), "get_launcher_config", get_launcher_config);
    luaL_requiref(L_.get(), "_launcher", luaopen_launcher, 1);
    lua_pop(L_.get(), 1);
  }

  std::string run(const char* chunk) { return vemo::test::run_chunk(L_.get(), chunk); }

  vemo::LuaStatePtr L_{luaL_newstate()};
};

TEST_F(LauncherLua, ConfigAnswersItsThreeKeysOnly) {
  struct Case {
    const char* expression;
    const char* expected;
  };
  const Case cases[] = {
      {"get_launcher_config('lua_path')", "asset_ls"},
      {"get_launcher_config('bundle_name')", "bundle"},
      {"#get_launcher_config('sk')", "69"},
      {"get_launcher_config('sk'):match('^[\\33-\\126]+$') ~= nil", "true"},
      {"get_launcher_config('LUA_PATH')", "nil"},
      {"get_launcher_config('lua_path ')", "nil"},
      {"get_launcher_config(nil)", "nil"},
      {"get_launcher_config({})", "nil"},
      {"get_launcher_config(12)", "nil"},
      {"get_launcher_config()", "nil"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(c.expected, run((std::string("return ") + c.expression).c_str()));
  }
}

TEST_F(LauncherLua, ModuleHasItsThirteenFunctions) {
  EXPECT_EQ("13", run("local n = 0 for _, f in pairs(_launcher) do assert(type(f) == 'function') n = n + 1 end "
                      "return n"));
  for (const char* name : {"show_main_window", "get_version", "get_exe_directory", "open_install_directory",
                           "launch_process", "is_game_running", "create_notification_window",
                           "destroy_notification_window", "hide_to_tray", "set_close_action", "set_tray_menu_text",
                           "before_kill_self_cleanup", "shutdown_for_updater"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ("function", run((std::string("return type(_launcher.") + name + ")").c_str()));
  }
}

TEST_F(LauncherLua, NoFunctionIsNotAvailable) {
  // Not called: they open a folder window or end the process.
  const char* skipped = "_launcher.open_install_directory _launcher.shutdown_for_updater _launcher.before_kill_self_cleanup";
  EXPECT_EQ("", vemo::test::functions_not_available(L_.get(), "_launcher", skipped));
  // Undo what the calls without arguments left behind.
  run("_launcher.destroy_notification_window() _launcher.set_close_action()");
}

TEST_F(LauncherLua, ProcessFunctionsCheckTheirArguments) {
  EXPECT_EQ("false 87", run("local ok, code = _launcher.launch_process('   ') return tostring(ok) .. ' ' .. code"));
  EXPECT_NE(std::string::npos, run("return select(2, pcall(_launcher.launch_process, {}))").find("string expected"));
  EXPECT_EQ("false", run("return _launcher.is_game_running()"));
  EXPECT_EQ("1.0.9", run("return _launcher.get_version()"));
  EXPECT_EQ("\\", run("return _launcher.get_exe_directory():sub(-1)"));
}

TEST_F(LauncherLua, CloseActionDefaultsToTray) {
  run("_launcher.set_close_action('exit')");
  EXPECT_EQ(CloseAction::kExit, launcher_state().close_action);
  run("_launcher.set_close_action()");
  EXPECT_EQ(CloseAction::kHideToTray, launcher_state().close_action);
  run("_launcher.set_close_action('EXIT')");
  EXPECT_EQ(CloseAction::kHideToTray, launcher_state().close_action);
}

}  // namespace
