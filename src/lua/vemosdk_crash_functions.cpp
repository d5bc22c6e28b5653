#include "lua/vemosdk_crash_functions.h"

#include <lua.hpp>

#include "crash/crash_report_builder.h"

namespace LuaCrash {

int errorReport(lua_State* L) {
  const char* texts[6];
  for (int i = 0; i < 6; ++i) texts[i] = lua_type(L, i + 1) == LUA_TSTRING ? lua_tostring(L, i + 1) : nullptr;
  VemoSDK::crash_error_report(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]);
  return 0;
}

}  // namespace LuaCrash
