#include "lua/vemosdk_module.h"

#include "lua/vemosdk_core_functions.h"

#include <lua.hpp>

namespace {

using namespace VemoSDK;

// Every function of the module, in table order. Families are added where
// their rows stand.
const luaL_Reg kVemosdkFunctions[] = {
    // lread
    {"log", LuaCore::log},
    {"open_log", LuaCore::openLog},
    {"register_cb", LuaCore::registerCallback},
    {"get_register_cb", LuaCore::getRegisteredCallback},
    {"tick", LuaCore::tick},
    // utf8_to_acp ... get_lua_res_location, downloads, pop-ups, system, files,
    // processes, key store, web views, media, vendors, logs, notifications.
    // sdkinfo (with the SDK context)
    {nullptr, nullptr},
};

}  // namespace

extern "C" int luaopen_vemosdk(lua_State* L) {
  luaL_checkversion(L);
  lua_createtable(L, 0, static_cast<int>(sizeof kVemosdkFunctions / sizeof kVemosdkFunctions[0]) - 1);
  luaL_setfuncs(L, kVemosdkFunctions, 0);
  // TODO(jsonpool): the sub-tables sensitive_words and fst follow the functions.
  return 1;
}
