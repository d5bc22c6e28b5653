#pragma once
// The _vemosdk functions that open a page in the host window, close it,
// answer its calls, and say whether a browser runtime is there.
struct lua_State;

namespace VemoSDK::LuaWebView {

int webviewOpen(lua_State* L);
int webviewClose(lua_State* L);
int webviewIsOpened(lua_State* L);
int webviewCallbackJs(lua_State* L);
int isBuildInWebviewAvailable(lua_State* L);

}  // namespace VemoSDK::LuaWebView
