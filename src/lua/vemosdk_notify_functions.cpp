#include "lua/vemosdk_notify_functions.h"

#include "core/owners.h"
#include "notify/notification_center.h"

#include <lua.hpp>

#include <cstdint>

namespace VemoSDK::LuaNotify {

namespace {

using vemo::JsonPtr;

JsonPtr parseArgument(lua_State* L, int index) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, index, &length);
  return JsonPtr(cJSON_ParseWithLength(text, length));
}

}  // namespace

int addLocalNotification(lua_State* L) {
  JsonPtr request = parseArgument(L, 1);
  lua_pushinteger(L, cJSON_IsObject(request.get()) ? vmsdk_add_local_notification(request.get()) : -1);
  return 1;
}

int removeLocalNotification(lua_State* L) {
  JsonPtr request = parseArgument(L, 1);
  const cJSON* id = cJSON_GetObjectItemCaseSensitive(request.get(), "notify_id");
  vmsdk_remove_local_notification(cJSON_IsNumber(id) ? static_cast<int64_t>(id->valuedouble) : 0);
  return 0;
}

int listenLocalNotification(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  int64_t toast_id = luaL_checkinteger(L, 2);
  vmsdk_listen_local_notification(callback_id, toast_id);
  return 0;
}

int checkCanLocalNotification(lua_State* L) {
  lua_pushboolean(L, vmsdk_check_can_local_notification());
  return 1;
}

}  // namespace VemoSDK::LuaNotify
