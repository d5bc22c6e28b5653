#include "lua/sdk_modules.h"

#include "cjson/vemosdk_lua_cjson.h"
#include "lua/crypt/crypt_module.h"
#include "lua/lsocket/lsocket_module.h"
#include "lua/vemosdk_module.h"
#include "lua/winmutex/winmutex_module.h"
#include "lua/zip_module.h"

#include <lua.hpp>

namespace VemoSDK {

namespace {

struct SdkModule {
  const char* name;
  lua_CFunction open;
};

// In the order they are opened.
const SdkModule kSdkModules[] = {
    {"_vemosdk", luaopen_vemosdk},
    {"_vemosdk_crypt", luaopen_vemosdk_crypt},
    {"_vemosdk_lsocket", luaopen_vemosdk_lsocket},
    {"_vemosdk_zip", luaopen_vemosdk_zip},
    {"_vemosdk_lua_cjson", luaopen_vemosdk_lua_cjson},
    {"_vemosdk_winmutex", LuaWinMutex::open},  // exported as luaopen_winmutex
};

}  // namespace

lua_State* mainThreadOf(lua_State* L) {
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_MAINTHREAD);
  lua_State* main_thread = lua_tothread(L, -1);
  lua_pop(L, 1);
  return main_thread ? main_thread : L;
}

void openSdkModules(lua_State* L) {
  for (const SdkModule& module : kSdkModules) {
    luaL_requiref(L, module.name, module.open, 1);
    lua_pop(L, 1);
  }
}

}  // namespace VemoSDK
