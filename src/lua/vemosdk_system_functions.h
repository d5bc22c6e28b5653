#pragma once
// The _vemosdk functions that read the screen, the memory and the host
// window, act on the host window, and keep the start-with-Windows value.
struct lua_State;

namespace VemoSDK::LuaSystem {

int memoryInfo(lua_State* L);
int screenWidth(lua_State* L);
int screenHeight(lua_State* L);
int windowSize(lua_State* L);
int windowMinimize(lua_State* L);
int switchToGame(lua_State* L);
int readRegKey(lua_State* L);
int saveRegKey(lua_State* L);
int removeRegKey(lua_State* L);

}  // namespace VemoSDK::LuaSystem
