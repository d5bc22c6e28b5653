#pragma once
// The _vemosdk local notification functions: Windows toasts the scripts
// show, hide and listen to.
struct lua_State;

namespace VemoSDK::LuaNotify {

int addLocalNotification(lua_State* L);
int removeLocalNotification(lua_State* L);
int listenLocalNotification(lua_State* L);
int checkCanLocalNotification(lua_State* L);

}  // namespace VemoSDK::LuaNotify
