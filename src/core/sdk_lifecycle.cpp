#include "core/sdk_lifecycle.h"

#include "core/sdk_runtime.h"

#include <lua.hpp>

namespace VemoSDK {

namespace {

constexpr char kNativeTickChunk[] = "local E = require 'vemosdk_lua.vemosdk' \nE.tick(false)";

}  // namespace

lua_State* createOwnedLuaState() {
  if (ownedLuaState()) {
    // TODO(core): through the debug log once it lands.
    return nullptr;
  }
  lua_State* L = luaL_newstate();
  if (!L) return nullptr;
  luaL_openlibs(L);
  setOwnedLuaState(L);
  return L;
}

int tickNative() {
  lua_State* L = ownedLuaState();
  if (!L) return -1;
  int top = lua_gettop(L);
  // The host loop goes on whatever the script does: errors are dropped.
  if (luaL_loadstring(L, kNativeTickChunk) == LUA_OK) lua_pcall(L, 0, 0, 0);
  lua_settop(L, top);
  return 0;
}

}  // namespace VemoSDK
