#include "updater_lua.h"

#include "exclusive_write.h"
#include "launcher_lua.h"
#include "process_by_path.h"
#include "progress_window.h"
#include "updater_state.h"

#include <lua.hpp>

#include <string>
#include <vector>

namespace {

int download_progress(lua_State* L) {
  update_download_progress(luaL_checkstring(L, 1));
  return 0;
}

int update_merge_ok(lua_State* L) {
  lua_pushboolean(L, updater_state().merge_ok);
  return 1;
}

int kill_process_by_path_lua(lua_State* L) {
  KillByPathResult result = kill_process_by_path(luaL_checkstring(L, 1));
  lua_pushinteger(L, result.matched);
  lua_pushinteger(L, result.killed);
  return 2;
}

int find_process_by_path_lua(lua_State* L) {
  lua_pushinteger(L, find_process_by_path(luaL_checkstring(L, 1)));
  return 1;
}

int bring_process_to_front_lua(lua_State* L) {
  lua_pushboolean(L, bring_process_to_front(luaL_checkstring(L, 1)));
  return 1;
}

int can_write_files_exclusive_lua(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  lua_Integer retries = luaL_optinteger(L, 2, 0);
  lua_Integer sleep_ms = luaL_optinteger(L, 3, 0);
  std::vector<std::string> paths;
  lua_Integer count = static_cast<lua_Integer>(luaL_len(L, 1));
  for (lua_Integer i = 1; i <= count; ++i) {
    lua_geti(L, 1, i);
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);  // strings and numbers; anything else is skipped
    if (text) paths.emplace_back(text, length);
    lua_pop(L, 1);
  }
  constexpr lua_Integer kMaxWait = 0x7fffffff;
  ExclusiveWriteCheck check = can_write_files_exclusive(paths, static_cast<int>(retries < kMaxWait ? retries : kMaxWait),
                                                        static_cast<int>(sleep_ms < kMaxWait ? sleep_ms : kMaxWait));
  lua_pushboolean(L, check.writable);
  if (check.writable) return 1;
  lua_pushlstring(L, check.path.data(), check.path.size());
  lua_pushinteger(L, static_cast<lua_Integer>(check.error));
  return 3;
}

const luaL_Reg kUpdaterFunctions[] = {
    {"download_progress", download_progress},
    {"update_merge_ok", update_merge_ok},
    {"kill_process_by_path", kill_process_by_path_lua},
    {"find_process_by_path", find_process_by_path_lua},
    {"bring_process_to_front", bring_process_to_front_lua},
    {"can_write_files_exclusive", can_write_files_exclusive_lua},
    {"launch_process", lua_launch_process},
    {"is_game_running", lua_is_game_running},
    {nullptr, nullptr},
};

}  // namespace

extern "C" int luaopen_updater(lua_State* L) {
  luaL_checkversion(L);
  luaL_newlib(L, kUpdaterFunctions);
  return 1;
}

lua_State* create_updater_lua_state(HWND main_window, const char* app_version) {
  lua_State* L = create_program_lua_state(main_window, app_version, "_updater", luaopen_updater);
  updater_state().lua = L;
  return L;
}
