#pragma once
// The _vemosdk functions of the file log and the jf log.
struct lua_State;

namespace VemoSDK::LuaLogs {

int log2(lua_State* L);
int scrollLogFile(lua_State* L);
int flushLog(lua_State* L);
int getLogFileInfos(lua_State* L);
int getCurrentLogFile(lua_State* L);
int openLogWithConfig(lua_State* L);

}  // namespace VemoSDK::LuaLogs
