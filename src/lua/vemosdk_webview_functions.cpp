#include "lua/vemosdk_webview_functions.h"

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/text_convert.h"
#include "webview/webview_event_dispatcher.h"
#include "webview/webview_json.h"
#include "webview/webview_runtime_discovery.h"
#include "webview/window_work.h"
#include "webview/windows/floater_actions.h"
#include "webview/windows/vemo_browser_opener.h"

#include <windows.h>

#include <shellapi.h>

#include <lua.hpp>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace VemoSDK::LuaWebView {
namespace {

bool isWebUrl(const std::string& url) {
  auto startsWith = [&](const char* scheme) {
    size_t n = std::strlen(scheme);
    return url.size() > n && _strnicmp(url.c_str(), scheme, n) == 0;
  };
  return startsWith("http://") || startsWith("https://");
}

// The shell runs whatever it is given: a program path or a file URL would
// start a program, not a browser.
void openInSystemBrowser(const std::string& url) {
  if (!isWebUrl(url)) {
    vemo_debug_printf("system browser refused for a URL that is not http(s): %s\n", url.c_str());
    return;
  }
  std::wstring wide = utf8_to_wstring(url);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.lpVerb = L"open";
  info.lpFile = wide.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

}  // namespace

int webviewOpen(lua_State* L) {
  std::string url = luaL_checkstring(L, 1);
  std::string injection = luaL_optstring(L, 2, "{}");
  std::string options = luaL_optstring(L, 3, "{}");
  vemo::JsonPtr parsed(cJSON_Parse(options.c_str()));
  if (!parsed) {
    const char* position = cJSON_GetErrorPtr();
    if (position) std::fprintf(stderr, "Error before: %s\n", position);
    return 0;
  }
  const cJSON* type = cJSON_GetObjectItemCaseSensitive(parsed.get(), "webview_type");
  bool osBrowser = cJSON_IsString(type) && std::strcmp(type->valuestring, "os_browser") == 0;
  if (osBrowser || WebViewRuntimeDiscovery::check() != 1) {
    openInSystemBrowser(url);
    return 0;
  }
  VemoBrowserOpener::forRequest(parsed.get()).open(url, injection, options);
  return 0;
}

int sysinfoOpenUrl(lua_State* L) {
  std::string url = luaL_checkstring(L, 1);
  if (!isWebUrl(url)) return luaL_error(L, "sysinfo_open_url opens only http and https URLs, not \"%s\"", url.c_str());
  return webviewOpen(L);
}

int webviewCallJs(lua_State* L) {
  std::string script = luaL_checkstring(L, 1);
  lua_pushboolean(L, VemoBrowserOpener::browserOpener().callJs(script));
  return 1;
}

int webviewLoadUrl(lua_State* L) {
  std::string url = luaL_checkstring(L, 1);
  VemoBrowserOpener::browserOpener().loadUrl(url);
  return 0;
}

int webviewOperator(lua_State* L) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, 1, &length);
  vemo::JsonPtr request(cJSON_ParseWithLength(text, length));
  const char* type = json_get_string(request.get(), "type");
  if (!type) {
    lua_pushboolean(L, false);
    return 1;
  }
  std::string operation = type;
  const cJSON* data = cJSON_GetObjectItemCaseSensitive(request.get(), "data");
  VemoBrowserOpener& opener = VemoBrowserOpener::forRequest(data);
  bool answer = false;
  if (operation == "show") {
    answer = opener.show(data);
  } else if (operation == "hide") {
    answer = opener.hide(data);
  } else if (operation == "remove_hide_cache") {
    std::unique_ptr<VemoWebViewWindow> window = opener.takeWindow(json_get_string(data, "webview_id"));
    answer = window != nullptr;
    VemoBrowserOpener::discard(std::move(window));
  } else if (operation == "prepare") {
    // Only the community opener opens browsers, so it keeps the prepared one.
    VemoBrowserOpener::communityOpener().prepare(data);
    answer = true;
  } else if (operation == "is_opened") {
    answer = opener.isOpened();
  } else if (operation == "close") {
    opener.close();
    answer = true;
  } else if (operation == "call_js") {
    const char* script = json_get_string(data, "js_str");
    answer = script && *script;
    if (answer) opener.callJs(script);
  }
  lua_pushboolean(L, answer);
  return 1;
}

int webviewClose(lua_State*) {
  VemoBrowserOpener::browserOpener().close();
  return 0;
}

int webviewIsOpened(lua_State* L) {
  lua_pushboolean(L, VemoBrowserOpener::browserOpener().isOpened());
  return 1;
}

int isBuildInWebviewAvailable(lua_State* L) {
  int found = WebViewRuntimeDiscovery::check();
  lua_pushboolean(L, found == 1);
  lua_pushinteger(L, found);
  return 2;
}

int webviewCallbackJs(lua_State* L) {
  std::string cbid = luaL_checkstring(L, 1);
  std::string text = luaL_checkstring(L, 2);
  // Copies travel with the job: the Lua strings may be gone when it runs.
  runWindowWork([cbid, text] { WebViewEventDispatcher::instance().deliverCallback(cbid, text); });
  return 0;
}

int floater(lua_State* L) {
  lua_Integer callbackId = luaL_checkinteger(L, 1);
  size_t length = 0;
  const char* text = luaL_checklstring(L, 2, &length);
  cJSON* request = cJSON_ParseWithLength(text, length);
  if (!request) return 0;
  FloaterActionAnswer answer = vmsdk_floater_action(callbackId, request);
  if (answer.bounds.empty()) {
    lua_pushinteger(L, answer.result);
  } else {
    lua_pushlstring(L, answer.bounds.data(), answer.bounds.size());
  }
  return 1;
}

}  // namespace VemoSDK::LuaWebView
