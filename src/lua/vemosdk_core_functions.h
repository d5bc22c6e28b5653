#pragma once
// The _vemosdk functions that belong to no family of their own.
struct lua_State;

namespace VemoSDK::LuaCore {

int log(lua_State* L);
int openLog(lua_State* L);
int registerCallback(lua_State* L);
int getRegisteredCallback(lua_State* L);
int tick(lua_State* L);

// Text, program and SDK information (vemosdk_info_functions.cpp).
int utf8ToAcp(lua_State* L);
int acpToUtf8(lua_State* L);
int getLuaResLocation(lua_State* L);
int getSupportFunctions(lua_State* L);
int isPassiveMode(lua_State* L);
int timerOnce(lua_State* L);
int os(lua_State* L);
int abi(lua_State* L);
int binVersion(lua_State* L);
int systemClock(lua_State* L);
int systemMs(lua_State* L);
int sdkinfoGetVersionName(lua_State* L);
int getSdkInfos(lua_State* L);
int decryptSdkconfig(lua_State* L);
int getSdkconfigPath(lua_State* L);
int getResourcesPath(lua_State* L);
int getPaths(lua_State* L);
int getCommandLine(lua_State* L);

// copy_clipboard (vemosdk_clipboard.cpp).
int copyClipboard(lua_State* L);

}  // namespace VemoSDK::LuaCore
