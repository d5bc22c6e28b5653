#pragma once
// The _vemosdk pop-up functions: the native alert (or a system message
// box), the loading pop-up and the toast.
struct lua_State;

namespace VemoSDK::LuaPopups {

int modalOpen(lua_State* L);
int modalClose(lua_State* L);
int toastOpen(lua_State* L);
int loadingShow(lua_State* L);
int loadingHide(lua_State* L);

}  // namespace VemoSDK::LuaPopups
