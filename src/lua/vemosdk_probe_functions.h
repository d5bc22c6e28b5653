#pragma once
// The _vemosdk functions that answer at once from the system probes: the
// machine's identity, version, locale, sizes and times.
struct lua_State;

namespace VemoSDK::LuaProbes {

int sysinfo(lua_State* L);
int sysinfoIdfa(lua_State* L);
int osVersion(lua_State* L);
int memorySize(lua_State* L);
int country(lua_State* L);
int language(lua_State* L);
int diskSize(lua_State* L);
int installTime(lua_State* L);
int updateTime(lua_State* L);
int ipAddr(lua_State* L);
int appVersionName(lua_State* L);
int timeZone(lua_State* L);

}  // namespace VemoSDK::LuaProbes
