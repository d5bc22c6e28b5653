#pragma once
// The _vemosdk functions that ask the hardware information: each takes a
// callback id and answers it once, later, through the task queue.
struct lua_State;

namespace VemoSDK::LuaHardware {

int cpuUsage(lua_State* L);
int memory(lua_State* L);
int launchTime(lua_State* L);
int networkCurrentState(lua_State* L);  // also gives its argument back
int screenRefreshRate(lua_State* L);
int cpuInfo(lua_State* L);
int gpuInfo(lua_State* L);
int computerInfo(lua_State* L);
int diskInfo(lua_State* L);

}  // namespace VemoSDK::LuaHardware
