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

int initJfFileCache(lua_State* L);
int switchJfSubDir(lua_State* L);
int jfLog(lua_State* L);
int getCurrentJfFileInfo(lua_State* L);
int getJfFileInfos(lua_State* L);
int flushJfLog(lua_State* L);
int scrollJfLogFile(lua_State* L);

}  // namespace VemoSDK::LuaLogs
