#include "updater_lua.h"

#include "exclusive_write.h"
#include "process_by_path.h"
#include "program_lua.h"
#include "progress_window.h"
#include "updater_state.h"
#include "core/lua_guard.h"

#include <lua.hpp>

#include <climits>
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

// A Lua integer of any size as a count: negatives are 0, huge values the
// largest int (a plain narrowing would turn -4294967295 into 1).
int to_count(lua_Integer value) {
  if (value <= 0) return 0;
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

int can_write_files_exclusive_lua(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  int retries = to_count(luaL_optinteger(L, 2, 0));
  int sleep_ms = to_count(luaL_optinteger(L, 3, 0));
  lua_settop(L, 1);
  // Whatever may raise a Lua error (the table's metamethods, turning numbers
  // into text) runs before any C++ object lives: the error unwinds with
  // longjmp, past destructors. The elements wait on the stack meanwhile.
  int count = to_count(luaL_len(L, 1));
  luaL_checkstack(L, count, "too many paths");
  for (int i = 1; i <= count; ++i) {
    lua_geti(L, 1, i);
    lua_tolstring(L, -1, nullptr);  // numbers become text; anything else is skipped below
  }
  ExclusiveWriteCheck check;
  {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
      size_t length = 0;
      if (const char* text = lua_tolstring(L, 1 + i, &length)) paths.emplace_back(text, length);
    }
    check = can_write_files_exclusive(paths, retries, sleep_ms);
  }
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
  vemo::lua_new_guarded_lib(L, kUpdaterFunctions);
  return 1;
}

lua_State* create_updater_lua_state(HWND main_window, const char* app_version) {
  lua_State* L = create_program_lua_state(main_window, app_version, "_updater", luaopen_updater);
  updater_state().lua = L;
  return L;
}
