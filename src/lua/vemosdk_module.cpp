#include "lua/vemosdk_module.h"

#include "core/sdk_context.h"
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
    // processes, key store, web views, media, vendors, sdkinfo_get_version_name
    {"sdkinfo", vemosdk_push_sdk_info},
    // error_report ... get_paths, system information, logs, notifications
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
