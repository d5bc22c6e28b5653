#pragma once
// The _vemosdk functions that start, watch and end programs, and end or
// restart the own process.
struct lua_State;

namespace VemoSDK::LuaProcess {

int restartSelf(lua_State* L);
int launchProcessKillSelf(lua_State* L);
int exitSelf(lua_State* L);
int launchProcess(lua_State* L);
int isProcessRunning(lua_State* L);
int killProcess(lua_State* L);

}  // namespace VemoSDK::LuaProcess
