// _vemosdk functions of single downloads, requests, pins and the download
// settings. Every function that takes a callback id answers it exactly once.
#include "lua/vemosdk_http_functions.h"

#include <lua.hpp>

#include <string>

#include "core/base64.h"
#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "core/owners.h"
#include "core/sha256.h"
#include "http/http.h"
#include "http/http_result_code.h"
#include "lua/lua_http_args.h"

namespace VemoSDK::LuaHttp {
namespace {

using vemo::JsonPtr;

// The answer of a GET or POST that could not be sent as asked.
void answer_request_failure(int64_t callback_id, const std::string& msg) {
  vemo_debug_printf("http request refused: %s", msg.c_str());
  JsonPtr answer(cJSON_CreateObject());
  cJSON_AddItemToObject(answer.get(), "headers", cJSON_CreateObject());
  cJSON_AddNumberToObject(answer.get(), "status", VemoSDKHttp::kStatusBadParameter);
  cJSON_AddStringToObject(answer.get(), "msg", msg.c_str());
  postAsyncResult(callback_id, vemo::print_json(answer.get()).c_str());
}

void answer_ret(int64_t callback_id, bool ret, const char* msg = nullptr) {
  JsonPtr answer(cJSON_CreateObject());
  cJSON_AddBoolToObject(answer.get(), "ret", ret);
  if (msg) {
    cJSON_AddStringToObject(answer.get(), "msg", msg);
    cJSON_AddNumberToObject(answer.get(), "code", VemoSDKHttp::kStatusBadParameter);
  }
  postAsyncResult(callback_id, vemo::print_json(answer.get()).c_str());
}

// A setting the table leaves out keeps its current value.
int64_t setting(lua_State* L, const char* key, int64_t current) {
  int64_t value = current;
  if (lua_getfield(L, 1, key) == LUA_TNUMBER)
    value = lua_isinteger(L, -1) ? lua_tointeger(L, -1) : truncate_number(lua_tonumber(L, -1), INT64_MIN, INT64_MAX);
  lua_pop(L, 1);
  return value;
}

}  // namespace

int httpGet(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  const char* url = luaL_checkstring(L, 2);
  if (!lua_isnoneornil(L, 3)) luaL_checktype(L, 3, LUA_TTABLE);
  HeaderLines headers;
  std::string error;
  if (!read_header_table(L, 3, headers, error)) {
    answer_request_failure(callback_id, error);
    return 0;
  }
  _vemosdk_http_get(callback_id, url, std::move(headers.list), skip_host_check(url, headers.hostHeader));
  return 0;
}

int httpGetFile(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  size_t url_length = 0;
  const char* url = luaL_checklstring(L, 2, &url_length);
  if (!lua_isnoneornil(L, 3)) luaL_checktype(L, 3, LUA_TTABLE);
  luaL_checktype(L, 4, LUA_TTABLE);
  DownloadParams params;
  std::string error;
  HeaderLines headers;
  bool ok = read_download_params(L, 4, params, error) && read_header_table(L, 3, headers, error);
  if (ok && url_length >= kUrlBuffer) {
    error = "url is too long";
    ok = false;
  }
  if (!ok) {
    vemo_debug_printf("_http_get_file refused: %s", error.c_str());
    _vemosdk_http_reject_download(callback_id, params, error.c_str());
    return 0;
  }
  vemo_debug_printf("recev download_params, file:%s, md5:%s, readTimeout:%d, connTimeout:%d, tid:%s\n", params.file,
                    params.checksum, params.dataRetrievalTimeout, params.connectionTimeout, params.taskId);
  _vemosdk_http_get_file(callback_id, url, std::move(headers.list), skip_host_check(url, headers.hostHeader), params);
  return 0;
}

int updateDownloadPriority(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  if (lua_type(L, 2) != LUA_TSTRING) {
    vemo_debug_printf("_update_download_priority failed, params is nil");
    answer_ret(callback_id, false, "parameter is invalid");
    return 0;
  }
  JsonPtr request(cJSON_Parse(lua_tostring(L, 2)));
  const cJSON* map = cJSON_GetObjectItemCaseSensitive(request.get(), "task_id_priority_map");
  if (!cJSON_IsObject(map) || !map->child) {
    vemo_debug_printf("_update_download_priority skip, priority map is nil");
    answer_ret(callback_id, true);
    return 0;
  }
  _vemosdk_update_download_priority(map);
  // The change runs on the pool; the caller learns that it was handed over.
  answer_ret(callback_id, true);
  return 0;
}

int httpStopFile(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  const char* task_id = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : "";
  JsonPtr ids;
  if (lua_istable(L, 3)) {
    if (lua_getfield(L, 3, "task_id_arr") == LUA_TSTRING) ids.reset(cJSON_Parse(lua_tostring(L, -1)));
    lua_pop(L, 1);
  }
  int count = cJSON_IsArray(ids.get()) ? cJSON_GetArraySize(ids.get()) : 0;
  if (count > 0) {
    vemo_debug_printf("_http_stop_file arr size:%d", count);
    _vemosdk_http_stop_task_list(callback_id, ids.get());
  } else {
    _vemosdk_http_stop_task(callback_id, task_id);
  }
  return 0;
}

int httpPost(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  const char* url = luaL_checkstring(L, 2);
  if (!lua_isnoneornil(L, 3)) luaL_checktype(L, 3, LUA_TTABLE);
  size_t body_length = 0;
  const char* body = luaL_optlstring(L, 4, "", &body_length);
  const char* options = luaL_optstring(L, 5, nullptr);
  HeaderLines headers;
  std::string error;
  if (!read_header_table(L, 3, headers, error)) {
    answer_request_failure(callback_id, error);
    return 0;
  }
  _vemosdk_http_post(callback_id, url, body, static_cast<int64_t>(body_length), std::move(headers.list),
                     skip_host_check(url, headers.hostHeader), options);
  return 0;
}

int httpAddCertPin(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  size_t length = 0;
  const char* key = luaL_checklstring(L, 3, &length);
  std::string raw = base64_encode(key, length);
  vemo_debug_printf("base64_raw:%d\n", static_cast<int>(raw.size()));
  vemo_debug_print(raw.c_str());
  unsigned char digest[32];
  vemo_sha256(key, length, digest);
  std::string pin = base64_encode(digest, sizeof digest);
  vemo_debug_printf("_http_add_cert base64:%s\n", pin.c_str());
  _vemosdk_http_add_cert_pin(pin.c_str());
  postAsyncResult(callback_id, "{\"succ\":true}");
  return 0;
}

int httpAddCert(lua_State*) { return 0; }

int httpSetVerbose(lua_State* L) {
  // Without an argument -1 would name the function itself, which is true.
  _vemosdk_http_set_verbose(lua_gettop(L) > 0 && lua_toboolean(L, -1) ? 1 : 0);
  return 0;
}

int httpEnableRevocationCheck(lua_State*) {
  _vemosdk_http_enable_revocation_check();
  return 0;
}

int httpDisableRevocationCheck(lua_State*) {
  _vemosdk_http_disable_revocation_check();
  return 0;
}

int httpUpdateDownloadConfig(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  DownloadConfig current = _vemosdk_http_download_config();
  _vemosdk_http_update_download_config(setting(L, "limit_speed", current.limit_speed_kb),
                                       setting(L, "read_buffer_size_bytes", current.read_buffer_size),
                                       setting(L, "thread_count", current.max_count),
                                       setting(L, "progress_notify_interval", current.progress_interval_ms),
                                       current.extra);
  return 0;
}

}  // namespace VemoSDK::LuaHttp
