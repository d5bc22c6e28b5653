#pragma once
// The _vemosdk functions that open a page in the host window, close it,
// answer its calls, say whether a browser runtime is there, and drive the
// scripts' floater.
struct lua_State;

namespace VemoSDK::LuaWebView {

int webviewOpen(lua_State* L);
int webviewClose(lua_State* L);
int webviewIsOpened(lua_State* L);
int webviewCallbackJs(lua_State* L);
int isBuildInWebviewAvailable(lua_State* L);
// FLOATER(callback id, JSON request): the action's answer (a number; the
// bounds as JSON text for action 11), nothing for a text that does not parse.
int floater(lua_State* L);

}  // namespace VemoSDK::LuaWebView
