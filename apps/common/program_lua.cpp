#include "program_lua.h"

#include "launcher_config.h"
#include "process_launch.h"

#include "lua/sdk_modules.h"
#include "sdk/exports.h"

#include <lua.hpp>

#include <string>

int lua_launch_process(lua_State* L) {
  size_t length = 0;
  const char* command = luaL_checklstring(L, 1, &length);
  LaunchResult result = launch_process(std::string(command, length));
  lua_pushboolean(L, result.started);
  if (result.started) return 1;
  lua_pushinteger(L, static_cast<lua_Integer>(result.error));
  return 2;
}

int lua_is_game_running(lua_State* L) {
  lua_pushboolean(L, is_game_running());
  return 1;
}

lua_State* create_program_lua_state(HWND main_window, const char* app_version, const char* module_name,
                                    lua_CFunction open_module) {
  lua_State* L = luaL_newstate();
  if (!L) return nullptr;
  luaL_openlibs(L);
  vemosdk_init(L, main_window, app_version);

  lua_State* main_thread = VemoSDK::mainThreadOf(L);
  luaL_requiref(main_thread, module_name, open_module, 1);
  lua_pop(main_thread, 1);
  lua_newtable(main_thread);
  lua_setfield(main_thread, LUA_REGISTRYINDEX, module_name);

  register_launcher_config(L);
  return L;
}
