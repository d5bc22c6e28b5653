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
// sysinfo_open_url(url, ...): webview_open for http and https URLs only;
// any other URL raises an error instead of reaching the shell.
int sysinfoOpenUrl(lua_State* L);
// webview_call_js(script): true when a page is open and the script not empty.
int webviewCallJs(lua_State* L);
// webview_load_url(url): loads it in the open page, if any.
int webviewLoadUrl(lua_State* L);
// webview_operator(JSON {"type", "data"}): the operation's answer; false for
// bad JSON, a missing or unknown type, and "call_js" without a "js_str" script. One
// page and no hide cache: "show", "hide" and "remove_hide_cache" find no
// cached window.
int webviewOperator(lua_State* L);
// FLOATER(callback id, JSON request): the action's answer (a number; the
// bounds as JSON text for action 11), nothing for a text that does not parse.
int floater(lua_State* L);

}  // namespace VemoSDK::LuaWebView
