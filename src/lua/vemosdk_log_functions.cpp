// _vemosdk functions of the file log and the jf log: they read their Lua
// arguments and hand them to the log facade or the jf store; the queries
// answer their callback id at once.
#include "lua/vemosdk_log_functions.h"

#include <cjson/cJSON.h>
#include <lua.hpp>

#include "core/logs/jf_file_storage.h"
#include "core/logs/log_facade.h"
#include "core/logs/log_json.h"
#include "core/lua_posts.h"
#include "core/text_convert.h"

namespace VemoSDK::LuaLogs {

namespace {

using vemo::JsonPtr;

}  // namespace

int log2(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  const char* level = luaL_checkstring(L, 2);
  const char* unused = luaL_checkstring(L, 3);
  const char* alternative = luaL_optstring(L, 4, nullptr);
  vemo::logs::vemosdk_log_with_level(text, level, unused, alternative);
  return 0;
}

int scrollLogFile(lua_State*) {
  vemo::logs::vemosdk_scroll_log_file();
  return 0;
}

int flushLog(lua_State*) {
  vemo::logs::vemosdk_flush_log();
  return 0;
}

int getLogFileInfos(lua_State* L) {
  lua_Integer callback_id = luaL_checkinteger(L, 1);
  vemo::JsonPtr filter(cJSON_Parse(luaL_checkstring(L, 2)));
  postAsyncResult(callback_id, vemo::logs::vemosdk_get_log_file_infos(filter.get()).c_str());
  return 0;
}

int getCurrentLogFile(lua_State* L) {
  lua_Integer callback_id = luaL_checkinteger(L, 1);
  postAsyncResult(callback_id, vemo::logs::vemosdk_get_current_log_file().c_str());
  return 0;
}

int openLogWithConfig(lua_State* L) {
  vemo::JsonPtr config(cJSON_Parse(luaL_checkstring(L, 2)));
  if (!config) return 0;  // a text that is not JSON changes nothing
  const cJSON* level = cJSON_GetObjectItemCaseSensitive(config.get(), "level");
  vemo::logs::vemosdk_configure_log(cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(config.get(), "is_console")) ? 1 : 0,
                                    cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(config.get(), "is_save")) ? 1 : 0,
                                    cJSON_IsString(level) ? level->valuestring : nullptr);
  return 0;
}

int initJfFileCache(lua_State* L) {
  vemo::JsonPtr config(cJSON_Parse(luaL_checkstring(L, 1)));
  if (!config) return 0;  // a text that is not JSON changes nothing
  const cJSON* name = cJSON_GetObjectItemCaseSensitive(config.get(), "dir_name");
  vemo::logs::vemosdk_init_jf_file_cache(utf8_to_wstring(cJSON_IsString(name) ? name->valuestring : ""));
  return 0;
}

int switchJfSubDir(lua_State* L) {
  vemo::logs::vemosdk_switch_jf_sub_dir(utf8_to_wstring(luaL_checkstring(L, 1)));
  return 0;
}

int jfLog(lua_State* L) {
  vemo::logs::vemosdk_jf_log(luaL_checkstring(L, 1));
  return 0;
}

int getCurrentJfFileInfo(lua_State* L) {
  lua_Integer callback_id = luaL_checkinteger(L, 1);
  postAsyncResult(callback_id, vemo::logs::vemosdk_get_current_jf_file_info().c_str());
  return 0;
}

int getJfFileInfos(lua_State* L) {
  lua_Integer callback_id = luaL_checkinteger(L, 1);
  vemo::JsonPtr query(cJSON_Parse(luaL_checkstring(L, 2)));
  postAsyncResult(callback_id, vemo::logs::vemosdk_get_jf_file_infos(query.get()).c_str());
  return 0;
}

int flushJfLog(lua_State*) {
  vemo::logs::vemosdk_flush_jf_log();
  return 0;
}

int scrollJfLogFile(lua_State*) {
  vemo::logs::vemosdk_scroll_jf_log_file();
  return 0;
}

}  // namespace VemoSDK::LuaLogs
