#include "lua/vemosdk_core_functions.h"

#include "core/debug_log.h"
#include "core/lua_task_queue.h"
#include "lua/sdk_modules.h"

#include <lua.hpp>

namespace VemoSDK::LuaCore {

namespace {

// Pushes the table of named callbacks, making it if start-up has not yet.
void pushCallbackTable(lua_State* L) {
  if (lua_getfield(L, LUA_REGISTRYINDEX, kCallbackRegistryKey) == LUA_TTABLE) return;
  lua_pop(L, 1);
  lua_newtable(L);
  lua_pushvalue(L, -1);
  lua_setfield(L, LUA_REGISTRYINDEX, kCallbackRegistryKey);
}

}  // namespace

int log(lua_State* L) {
  const char* text = lua_tostring(L, -1);
  if (text) vemo_debug_print(text);
  return 0;
}

int openLog(lua_State* L) {
  vemo_debug_set_console(lua_toboolean(L, -1) ? 1 : 0);
  return 0;
}

int registerCallback(lua_State* L) {
  luaL_checkstring(L, 1);
  luaL_checktype(L, 2, LUA_TFUNCTION);
  pushCallbackTable(L);
  lua_pushvalue(L, 1);
  lua_pushvalue(L, 2);
  lua_rawset(L, -3);
  return 0;
}

int getRegisteredCallback(lua_State* L) {
  luaL_checkstring(L, 1);
  pushCallbackTable(L);
  lua_pushvalue(L, 1);
  lua_rawget(L, -2);
  return 1;
}

int tick(lua_State* L) { return LuaTaskQueue::getInstance()->tick(L); }

}  // namespace VemoSDK::LuaCore
