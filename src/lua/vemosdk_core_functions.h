#pragma once
// The _vemosdk functions that belong to no family of their own.
struct lua_State;

namespace VemoSDK::LuaCore {

int log(lua_State* L);
int openLog(lua_State* L);
int registerCallback(lua_State* L);
int getRegisteredCallback(lua_State* L);
int tick(lua_State* L);

}  // namespace VemoSDK::LuaCore
