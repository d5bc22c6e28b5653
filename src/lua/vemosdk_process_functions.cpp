#include "lua/vemosdk_process_functions.h"

#include <lua.hpp>

#include <string>

#include "core/lua_guard.h"
#include "core/debug_log.h"
#include "core/text_convert.h"
#include "lua/process_control.h"

namespace VemoSDK::LuaProcess {

namespace {

// The process handle of a started program: a full userdata whose __gc
// closes the handles that are still open when Lua collects it.
constexpr char kProcessMetatable[] = "vemosdk.process";

int collectProcess(lua_State* L) {
  auto* info = static_cast<PROCESS_INFORMATION*>(luaL_checkudata(L, 1, kProcessMetatable));
  close_process_handles(*info);
  return 0;
}

void pushProcess(lua_State* L, const PROCESS_INFORMATION& started) {
  auto* info = static_cast<PROCESS_INFORMATION*>(lua_newuserdata(L, sizeof(PROCESS_INFORMATION)));
  *info = started;
  if (luaL_newmetatable(L, kProcessMetatable)) {
    vemo::lua_push_guarded(L, collectProcess);
    lua_setfield(L, -2, "__gc");
    lua_pushliteral(L, "vemosdk.process");
    lua_setfield(L, -2, "__name");
  }
  lua_setmetatable(L, -2);
}

// The record at index 1; null for nil (or nothing), an argument error for
// any other value.
PROCESS_INFORMATION* optProcess(lua_State* L) {
  if (lua_isnoneornil(L, 1)) return nullptr;
  return static_cast<PROCESS_INFORMATION*>(luaL_checkudata(L, 1, kProcessMetatable));
}

// nil (or false), the system error code, "launch process failed".
int pushLaunchFailure(lua_State* L, DWORD error, bool false_first) {
  vemo_debug_printf("launch process failed, %d", static_cast<int>(error));
  if (false_first)
    lua_pushboolean(L, 0);
  else
    lua_pushnil(L);
  lua_pushnumber(L, static_cast<lua_Number>(error));
  lua_pushliteral(L, "launch process failed");
  return 3;
}

}  // namespace

int restartSelf(lua_State* L) {
  vemo_debug_printf("_restart_self received");
  std::wstring command = GetCommandLineW();
  vemo_debug_printf("cmd %s\n", wstring_to_utf8(command).c_str());
  DWORD error = hand_over_and_exit(command, StartFolder::kInherited);
  vemo_debug_printf("_vemosdk_restart create process failed,%d", static_cast<int>(error));
  vemo_debug_printf("_restart_self result:%d", 0);
  lua_pushboolean(L, 0);
  return 1;
}

int launchProcessKillSelf(lua_State* L) {
  const char* command = luaL_checkstring(L, 1);
  DWORD error = hand_over_and_exit(utf8_to_wstring(command), StartFolder::kProgramFolder);
  return pushLaunchFailure(L, error, true);
}

int exitSelf(lua_State*) { exit_own_process(); }

int launchProcess(lua_State* L) {
  const char* command = luaL_checkstring(L, 1);
  PROCESS_INFORMATION info;
  if (DWORD error = start_process(utf8_to_wstring(command), StartFolder::kProgramFolder, info))
    return pushLaunchFailure(L, error, false);
  vemo_debug_printf("launch process succ, exe path:%s", command);
  pushProcess(L, info);
  return 1;
}

int isProcessRunning(lua_State* L) {
  PROCESS_INFORMATION* info = optProcess(L);
  if (!info) {
    vemo_debug_printf("_is_process_running pinfo is nil, just return false");
    lua_pushboolean(L, 0);
    return 1;
  }
  bool running = process_still_running(*info);
  vemo_debug_printf("_is_process_running exists:%d", running ? 1 : 0);
  lua_pushboolean(L, running ? 1 : 0);
  return 1;
}

int killProcess(lua_State* L) {
  PROCESS_INFORMATION* info = optProcess(L);
  if (!info) {
    lua_pushboolean(L, 0);
    return 1;
  }
  DWORD code = kill_started_process(*info);
  vemo_debug_printf("_kill_process ret:%d", code == 0 ? 1 : 0);
  lua_pushboolean(L, code == 0 ? 1 : 0);
  lua_pushnumber(L, static_cast<lua_Number>(code));
  lua_pushnil(L);
  return 3;
}

}  // namespace VemoSDK::LuaProcess
