#pragma once
// The crash-report function of _vemosdk.
struct lua_State;

namespace LuaCrash {

// error_report(logType, logLevel, errMsg, stackTrace, stackHash, extra): an
// immediate error report; a missing or non-text argument is absent.
int errorReport(lua_State* L);

}  // namespace LuaCrash
