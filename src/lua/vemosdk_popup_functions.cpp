#include "lua/vemosdk_popup_functions.h"

#include "core/json_utils.h"
#include "core/lua_posts.h"
#include "core/owners.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"
#include "webview/popups/popup_slots.h"

#include <lua.hpp>

#include <windows.h>

#include <cstdint>
#include <string>

namespace VemoSDK::LuaPopups {

namespace {

using vemo::JsonPtr;

JsonPtr parseArgument(lua_State* L, int index) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, index, &length);
  return JsonPtr(cJSON_ParseWithLength(text, length));
}

int numberOr(const cJSON* object, const char* name, int fallback) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, name);
  return cJSON_IsNumber(item) ? static_cast<int>(item->valuedouble) : fallback;
}

std::string textOr(const cJSON* object, const char* name, const char* fallback) {
  const char* text = json_get_string(object, name);
  return text ? text : fallback;
}

}  // namespace

int modalOpen(lua_State* L) {
  int64_t callbackId = luaL_checkinteger(L, 1);
  std::string title = luaL_checkstring(L, 2);
  JsonPtr options = parseArgument(L, 3);
  const cJSON* o = options.get();
  if (o && textOr(o, "type", "") == "simple") {
    MessageBoxW(vmsdk_get_main_hwnd(), utf8_to_wstring(textOr(o, "message", "")).c_str(),
                utf8_to_wstring(title).c_str(), MB_OK);
    postAsyncIndex(static_cast<int32_t>(callbackId), 1);
    return 0;
  }
  int kind = 1;
  std::string first, second;
  const cJSON* buttons = cJSON_GetObjectItemCaseSensitive(o, "buttons");
  int count = cJSON_IsArray(buttons) ? cJSON_GetArraySize(buttons) : 0;
  auto label = [&](int i) {
    const cJSON* item = cJSON_GetArrayItem(buttons, i);
    return std::string(cJSON_IsString(item) ? item->valuestring : "");
  };
  if (count == 0) {
    first = o ? "OK" : "";  // a text that does not parse leaves the button blank
  } else {
    first = label(0);
    if (count >= 2) {
      kind = 2;
      second = label(1);
    }
  }
  show_alert(title, textOr(o, "message", ""), kind, first, second, callbackId, numberOr(o, "messageHeight", 60),
             textOr(o, "alignType", "left"));
  return 0;
}

int modalClose(lua_State*) {
  vmsdk_modal_close();
  return 0;
}

int toastOpen(lua_State* L) {
  luaL_checkinteger(L, 1);  // read, not used: a toast answers nothing
  std::string message = luaL_checkstring(L, 2);
  JsonPtr options = parseArgument(L, 3);
  vmsdk_toast_open(message, numberOr(options.get(), "messageHeight", 20));
  return 0;
}

int loadingShow(lua_State*) {
  vmsdk_loading_show();
  return 0;
}

int loadingHide(lua_State*) {
  vmsdk_loading_hide();
  return 0;
}

}  // namespace VemoSDK::LuaPopups
