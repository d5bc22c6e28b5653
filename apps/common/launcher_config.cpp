#include "launcher_config.h"

#include <cstring>

#include <lua.hpp>

#include "bundle_secret.h"
#include "loader_chunk.h"
#include "lua/lua_host.h"
#include "core/lua_guard.h"

int get_launcher_config(lua_State* L) {
  if (lua_type(L, 1) != LUA_TSTRING && lua_type(L, 1) != LUA_TNUMBER) {
    lua_pushnil(L);
    return 1;
  }
  const char* key = lua_tostring(L, 1);
  if (std::strcmp(key, "sk") == 0)
    lua_pushstring(L, kBundlePassword);
  else if (std::strcmp(key, "lua_path") == 0)
    lua_pushstring(L, "asset_ls");
  else if (std::strcmp(key, "bundle_name") == 0)
    lua_pushstring(L, "bundle");
  else
    lua_pushnil(L);
  return 1;
}

void register_launcher_config(lua_State* L) {
  vemo::lua_push_guarded(L, get_launcher_config);
  lua_setglobal(L, "get_launcher_config");
  run_lua_chunk(L, kLoaderChunk.data(), kLoaderChunk.size(), kLoaderChunkName);
}
