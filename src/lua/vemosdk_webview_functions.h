#pragma once
// The _vemosdk functions that open a page in the host window, close it, and
// answer its calls.
struct lua_State;

namespace VemoSDK::LuaWebView {

int webviewOpen(lua_State* L);
int webviewClose(lua_State* L);
int webviewIsOpened(lua_State* L);
int webviewCallbackJs(lua_State* L);

}  // namespace VemoSDK::LuaWebView
