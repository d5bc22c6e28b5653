// SDK start-up on a host state, on the SDK-owned state, and the small
// life-cycle exports around it.
#include "core/path_utils.h"
#include "core/sdk_context.h"
#include "sdk/exports.h"

#include "lua_values.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <direct.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {

using vemo::test::LuaStateHolder;

// Start-up only stores the host window; a made-up handle keeps these tests
// away from the window system.
const HWND kHostWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));

// What `action` prints on standard output.
template <class Action>
std::string printed_by(const vemo::test::TempDir& dir, Action action) {
  std::string path = dir.file("stdout.txt");
  std::fflush(stdout);
  int saved = _dup(_fileno(stdout));
  FILE* capture = std::fopen(path.c_str(), "wb");
  if (saved < 0 || !capture) return "no capture";
  _dup2(_fileno(capture), _fileno(stdout));
  action();
  std::fflush(stdout);
  _dup2(saved, _fileno(stdout));
  _close(saved);
  std::fclose(capture);
  std::string text;
  vemo::test::read_file(path, text);
  return text;
}

std::string run(lua_State* L, const char* chunk) {
  if (luaL_dostring(L, chunk) != LUA_OK) {
    std::string error = lua_tostring(L, -1);
    lua_pop(L, 1);
    return "error: " + error;
  }
  std::string result = lua_isnoneornil(L, -1) ? "nil" : luaL_tolstring(L, -1, nullptr);
  lua_settop(L, 0);
  return result;
}

TEST(SdkInit, OpensTheModulesAsGlobalsAndAnEmptyCallbackTable) {
  LuaStateHolder L;
  vemosdk_init(L.get(), kHostWindow, "1.0.9");
  EXPECT_EQ(kHostWindow, vmsdk_get_main_hwnd());
  for (const char* module : {"_vemosdk", "_vemosdk_crypt", "_vemosdk_lsocket", "_vemosdk_zip", "_vemosdk_lua_cjson",
                             "_vemosdk_winmutex"}) {
    SCOPED_TRACE(module);
    std::string check = std::string("return type(") + module + ") == 'table' and package.loaded['" + module +
                        "'] == " + module;
    EXPECT_EQ("true", run(L.get(), check.c_str()));
  }
  lua_getfield(L.get(), LUA_REGISTRYINDEX, "_vemosdk");
  ASSERT_TRUE(lua_istable(L.get(), -1));
  lua_pushnil(L.get());
  EXPECT_EQ(0, lua_next(L.get(), -2)) << "the callback table is not empty";
  lua_settop(L.get(), 0);
}

TEST(SdkInit, ASecondStartUpStartsWithANewCallbackTable) {
  LuaStateHolder L;
  vemosdk_init_with_args(L.get(), nullptr, "1.0.9", "--args");
  EXPECT_EQ("--args", vemosdk_get_context()->init_args);
  ASSERT_EQ("nil", run(L.get(), "_vemosdk.register_cb('HTTP_EVENT', function() end)"));
  ASSERT_EQ("function", run(L.get(), "return type(_vemosdk.get_register_cb('HTTP_EVENT'))"));
  vemosdk_init(L.get(), nullptr, "1.0.9");
  EXPECT_EQ("nil", run(L.get(), "return _vemosdk.get_register_cb('HTTP_EVENT')"));
  EXPECT_EQ("", vemosdk_get_context()->init_args) << "vemosdk_init starts without init arguments";
  EXPECT_EQ("1.0.9", vemosdk_get_context()->app_version);
}

TEST(SdkInit, ACoroutineGetsTheModulesOfItsMainState) {
  LuaStateHolder L;
  lua_State* coroutine = lua_newthread(L.get());
  vemosdk_init(coroutine, nullptr, "1.0.9");
  lua_settop(L.get(), 0);
  EXPECT_EQ("true", run(L.get(), "return package.loaded._vemosdk == _vemosdk"));
  lua_getfield(L.get(), LUA_REGISTRYINDEX, "_vemosdk");
  EXPECT_TRUE(lua_istable(L.get(), -1));
  lua_settop(L.get(), 0);
}

TEST(SdkLifeCycle, VersionAndMainThreadHandler) {
  EXPECT_STREQ("3.0.14", vemosdk_version());
  auto handler = +[](vemosdk_main_thread_callback callback, void* argument) { callback(argument); };
  EXPECT_EQ(handler, vemosdk_set_main_thread_handler(handler));
  EXPECT_EQ(handler, vemosdk_get_main_thread_handler());
  EXPECT_EQ(nullptr, vemosdk_set_main_thread_handler(nullptr));
  EXPECT_EQ(nullptr, vemosdk_get_main_thread_handler());
}

// The loader script in the program folder for one test, removed after it.
class ProgramLoader {
public:
  ProgramLoader() : made_(_mkdir(folder().c_str()) == 0) {}
  ~ProgramLoader() {
    std::remove(path().c_str());
    if (made_) _rmdir(folder().c_str());
  }
  ProgramLoader(const ProgramLoader&) = delete;
  ProgramLoader& operator=(const ProgramLoader&) = delete;
  bool write(const std::string& text) const { return vemo::test::write_file(path(), text); }

private:
  static std::string folder() { return get_program_dir() + "vemosdk_lua"; }
  static std::string path() { return folder() + "\\vemosdk_loader.lua"; }
  bool made_;
};

// The SDK-owned state is process-wide: its whole story is one test. The
// current folder is another one, which never counts.
TEST(SdkNativeInit, NeedsTheOwnedStateThenRunsTheLoaderScript) {
  vemo::test::TempDir dir("sdk_native_init");
  ProgramLoader loader_file;
  ASSERT_TRUE(loader_file.write("loader_ran = (loader_ran or 0) + 1\nloader_saw_sdk = type(_vemosdk)"));
  char previous[MAX_PATH];
  ASSERT_NE(nullptr, _getcwd(previous, sizeof previous));
  ASSERT_EQ(0, _chdir(dir.path().c_str()));

  EXPECT_EQ(1, vemosdk_is_passive_mode());
  HWND window = kHostWindow;
  vmsdk_set_main_hwnd(nullptr);
  vemosdk_init_with_native(window, "1.0.9", nullptr);
  EXPECT_EQ(nullptr, vmsdk_get_main_hwnd()) << "start-up ran without a state";

  lua_State* L = vemosdk_create_lua_State();
  ASSERT_NE(nullptr, L);
  vemosdk_init_with_native(window, "1.0.9", nullptr);
  EXPECT_EQ(window, vmsdk_get_main_hwnd());
  EXPECT_EQ(1, vemosdk_is_passive_mode());
  EXPECT_EQ("1", run(L, "return loader_ran"));
  EXPECT_EQ("table", run(L, "return loader_saw_sdk"));

  // A loader that fails says why, whatever it raised.
  const std::pair<const char*, const char*> failures[] = {
      {"error('loader broke', 0)", "erro msg = loader broke\n"},
      {"error({})", "erro msg = (error object is a table value)\n"},
      {"this is not Lua", "erro msg = [string \"vemosdk_lua\\vemosdk_loader.lua\"]:1:"},
  };
  for (const auto& [loader, expected] : failures) {
    SCOPED_TRACE(loader);
    ASSERT_TRUE(loader_file.write(loader));
    std::string printed = printed_by(dir, [&] { vemosdk_init_with_native(window, "1.0.9", nullptr); });
    EXPECT_NE(std::string::npos, printed.find(expected)) << printed;
    EXPECT_EQ(0, lua_gettop(L));
  }

  vemosdk_deinit();
  EXPECT_EQ(-1, vemosdk_tick_native()) << "deinit keeps the state";
  ASSERT_EQ(0, _chdir(previous));
  lua_close(L);  // the SDK forgot it; its owner closes it
}

struct LuaErrorCase {
  const char* label;
  const char* raise;  // Lua code raising the error
  const char* starts_with;
  bool has_traceback;
};

TEST(SdkLuaError, TheMessageHandlerLeavesMessageAndTraceback) {
  const LuaErrorCase cases[] = {
      {"text", "error('boom', 0)", "boom\nstack traceback:", true},
      {"number", "error(42)", "42\nstack traceback:", true},
      {"object with __tostring", "error(setmetatable({}, {__tostring = function() return 'custom' end}))",
       "custom", false},
      {"plain table", "error({})", "(error object is a table value)\nstack traceback:", true},
      {"nil", "error(nil)", "(error object is a nil value)\nstack traceback:", true},
  };
  for (const LuaErrorCase& c : cases) {
    SCOPED_TRACE(c.label);
    LuaStateHolder L;
    lua_pushcfunction(L.get(), vemosdk_on_lua_error);
    ASSERT_EQ(LUA_OK, luaL_loadstring(L.get(), c.raise));
    ASSERT_EQ(LUA_ERRRUN, lua_pcall(L.get(), 0, 0, 1));
    std::string text = lua_tostring(L.get(), -1);
    EXPECT_EQ(0u, text.rfind(c.starts_with, 0)) << text;
    EXPECT_EQ(c.has_traceback, text.find("stack traceback:") != std::string::npos) << text;
  }
}

}  // namespace
