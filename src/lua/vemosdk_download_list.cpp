// _vemosdk.submit_download_list: a batch of downloads described as a JSON
// array (given as text or as a file), queued under the batch's callback id.
// Each item's result and events reach Lua in the batch's bundles; the call
// itself answers {"succ":true} once the items are queued.
#include <windows.h>

#include <lua.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/file_utils.h"
#include "core/json_int64.h"
#include "core/json_utils.h"
#include "core/lua_posts.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/program_relative.h"
#include "files/file_path_join.h"
#include "http/http.h"
#include "http/http_result_code.h"
#include "lua/lua_http_args.h"
#include "lua/vemosdk_http_functions.h"

namespace VemoSDK::LuaHttp {
namespace {

using vemo::JsonPtr;

// The options that every item of the list takes.
struct ListOptions {
  int32_t connectionTimeout = 0;
  int32_t lowSpeedLimitBytes = 0;
  int32_t lowSpeedLimitTimeoutSecs = 0;
  int32_t dataRetrievalTimeout = 0;
};

void answer_failure(int64_t callback_id, const char* msg) {
  JsonPtr answer(cJSON_CreateObject());
  cJSON_AddBoolToObject(answer.get(), "succ", false);
  cJSON_AddStringToObject(answer.get(), "msg", msg);
  cJSON_AddNumberToObject(answer.get(), "code", VemoSDKHttp::kStatusBadParameter);
  postAsyncResult(callback_id, vemo::print_json(answer.get()).c_str());
}

// T.opts: integer numbers (any other number is a Lua error), booleans and
// texts are allowed; only the time-outs and speed limits are used.
ListOptions read_options(lua_State* L, int table) {
  ListOptions options;
  if (lua_getfield(L, table, "opts") != LUA_TTABLE) {
    lua_pop(L, 1);
    return options;
  }
  int opts = lua_gettop(L);
  lua_pushnil(L);
  while (lua_next(L, opts) != 0) {
    if (lua_type(L, -1) == LUA_TNUMBER && !lua_isinteger(L, -1))
      luaL_error(L, "submit_download_list: opts value %s is not an integer",
                 lua_type(L, -2) == LUA_TSTRING ? lua_tostring(L, -2) : "?");
    lua_pop(L, 1);
  }
  auto read = [&](const char* key) {
    int32_t value = 0;
    if (lua_getfield(L, opts, key) == LUA_TNUMBER)
      value = static_cast<int32_t>(std::clamp<lua_Integer>(lua_tointeger(L, -1), INT32_MIN, INT32_MAX));
    lua_pop(L, 1);
    return value;
  };
  options.connectionTimeout = read("connectionTimeout");
  options.lowSpeedLimitBytes = read("low_speed_limit_bytes");
  options.lowSpeedLimitTimeoutSecs = read("low_speed_limit_timeout_secs");
  options.dataRetrievalTimeout = read("dataRetrievalTimeout");
  lua_pop(L, 1);
  return options;
}

// T.list as text, else the whole file T.file, which is removed once read.
bool read_list_text(lua_State* L, int table, std::string& text) {
  if (lua_getfield(L, table, "list") == LUA_TSTRING) {
    size_t length = 0;
    const char* list = lua_tolstring(L, -1, &length);
    text.assign(list, length);
    lua_pop(L, 1);
    return true;
  }
  lua_pop(L, 1);
  vemo_debug_printf("_submit_download_list list is nil, now begin check file");
  bool read = false;
  if (lua_getfield(L, table, "file") == LUA_TSTRING) {
    std::string path = in_program_folder(lua_tostring(L, -1));
    if (file_exists(path) && vemo_read_file(path, text)) {
      read = true;
      if (vemo_delete_file(path.c_str()) != 0) vemo_debug_printf("_submit_download_list cannot remove list file:%s", path.c_str());
    }
  }
  lua_pop(L, 1);
  return read;
}

std::string base_url(lua_State* L, int table) {
  std::string url;
  if (lua_getfield(L, table, "file_ext") == LUA_TTABLE) {
    if (lua_getfield(L, -1, "base_url") == LUA_TSTRING) url = lua_tostring(L, -1);
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  return url;
}

// The item's callback id, exact even beyond 2^53 when the digits were read.
std::optional<int64_t> item_callback_id(const cJSON* item, const std::optional<int64_t>& exact) {
  const cJSON* cbid = cJSON_GetObjectItemCaseSensitive(item, "cbid");
  if (!cJSON_IsNumber(cbid)) return std::nullopt;
  if (exact) return exact;
  double value = cbid->valuedouble;
  if (value != std::floor(value) || std::fabs(value) >= 9.2e18) return std::nullopt;
  return static_cast<int64_t>(value);
}

bool add_item_headers(const cJSON* headers, vemo::CurlSlist& list, std::string& error) {
  for (const cJSON* header = cJSON_IsObject(headers) ? headers->child : nullptr; header; header = header->next) {
    std::string value;
    if (cJSON_IsString(header))
      value = header->valuestring;
    else if (cJSON_IsNumber(header))
      value = std::to_string(static_cast<int>(truncate_number(header->valuedouble, INT32_MIN, INT32_MAX)));
    else if (cJSON_IsBool(header))
      value = cJSON_IsTrue(header) ? "true" : "false";
    else
      continue;
    if (!append_header_line(list, header->string, value, error)) return false;
  }
  return true;
}

// Fills the parameter block of one item; false with the reason when the
// item cannot be downloaded as described.
bool read_item(const cJSON* item, const ListOptions& options, DownloadParams& params, std::string& error) {
  auto text = [&](const char* key, char* field, size_t capacity) {
    const char* value = json_get_string(item, key);
    return !value || copy_param(field, capacity, value, key, error);
  };
  // A relative file or destination is in the program folder.
  auto path = [&](const char* key, char* field, size_t capacity) {
    const char* value = json_get_string(item, key);
    return !value || copy_param(field, capacity, in_program_folder(value), key, error);
  };
  auto number = [&](const char* key, int64_t lo, int64_t hi) {
    const cJSON* value = cJSON_GetObjectItemCaseSensitive(item, key);
    return cJSON_IsNumber(value) ? truncate_number(value->valuedouble, lo, hi) : 0;
  };
  const char* task_id = json_get_string(item, "taskId");
  if (!task_id || !*task_id) {
    error = "taskId is not a string";
    return false;
  }
  if (!text("taskId", params.taskId, sizeof params.taskId) ||
      !text("checksum", params.checksum, kChecksumField) || !path("dest", params.dest, sizeof params.dest) ||
      !path("file", params.file, sizeof params.file) ||
      !text("param_if_range", params.param_if_range, sizeof params.param_if_range))
    return false;
  params.priority = static_cast<int32_t>(number("priority", INT32_MIN, INT32_MAX));
  params.expect_size = number("expect_size", INT64_MIN, INT64_MAX);
  params.connectionTimeout = options.connectionTimeout;
  params.low_speed_limit_bytes = options.lowSpeedLimitBytes;
  params.low_speed_limit_timeout_secs = options.lowSpeedLimitTimeoutSecs;
  params.dataRetrievalTimeout = options.dataRetrievalTimeout;
  return true;
}

// Queues one item, or answers it with the reason it cannot be queued.
void submit_item(int64_t batch_id, int64_t callback_id, const cJSON* item, const std::string& base,
                 const ListOptions& options) {
  DownloadParams params;
  std::memset(&params, 0, sizeof params);
  params.batchSubmitCbid = batch_id;
  std::string error;
  char url[kUrlBuffer] = {};
  vemo::CurlSlist headers;
  const char* encode_path = json_get_string(item, "encode_path");
  bool ok = read_item(item, options, params, error);
  if (ok && (!encode_path || !*encode_path)) {
    vemo_debug_printf("_submit_download_list encode_path is not a string");
    error = "encode_path is not a string";
    ok = false;
  }
  if (ok && vemo_path_join(url, sizeof url, base.c_str(), encode_path) < 0) {
    error = "url is too long";
    ok = false;
  }
  ok = ok && add_item_headers(cJSON_GetObjectItemCaseSensitive(item, "headers"), headers, error);
  if (!ok) {
    vemo_debug_printf("_submit_download_list item %lld refused: %s", static_cast<long long>(callback_id),
                      error.c_str());
    _vemosdk_http_reject_download(callback_id, params, error.c_str());
    return;
  }
  _vemosdk_submit_download(callback_id, url, std::move(headers), params);
}

}  // namespace

int submitDownloadList(lua_State* L) {
  int64_t batch_id = luaL_checkinteger(L, 1);
  if (!lua_istable(L, 2)) {
    vemo_debug_printf("_submit_download_list failed, parameter not a table");
    answer_failure(batch_id, "parameter is invalid");
    return 0;
  }
  std::string text;
  JsonPtr list;
  if (read_list_text(L, 2, text)) list.reset(cJSON_Parse(text.c_str()));
  if (!cJSON_IsArray(list.get())) {
    vemo_debug_printf("_submit_download_list failed, list not valid");
    answer_failure(batch_id, "list is invalid");
    return 0;
  }
  int count = cJSON_GetArraySize(list.get());
  if (count == 0) {
    vemo_debug_printf("_submit_download_list list size is 0, just return succ");
    postAsyncResult(batch_id, "{\"succ\":true}");
    return 0;
  }
  // A Lua error raised from here on (an option that is not an integer)
  // unwinds through the list's owner, which frees it.
  std::string base = base_url(L, 2);
  ListOptions options = read_options(L, 2);
  LARGE_INTEGER frequency, began, ended;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&began);
  std::vector<std::optional<int64_t>> exact_ids = json_array_member_integers(text, "cbid");
  size_t index = 0;
  for (const cJSON* item = list->child; item; item = item->next, ++index) {
    if (!cJSON_IsObject(item)) continue;
    std::optional<int64_t> callback_id =
        item_callback_id(item, index < exact_ids.size() ? exact_ids[index] : std::nullopt);
    if (!callback_id) {
      // Nobody could be told about this item: it is left out.
      vemo_debug_printf("_submit_download_list cbid is not a number, item %d skipped", static_cast<int>(index));
      continue;
    }
    submit_item(batch_id, *callback_id, item, base, options);
  }
  _vemosdk_check_submit_download();
  QueryPerformanceCounter(&ended);
  vemo_debug_printf("_submit_download_list total count:%d, cost:%f", count,
                    static_cast<double>(ended.QuadPart - began.QuadPart) / static_cast<double>(frequency.QuadPart));
  postAsyncResult(batch_id, "{\"succ\":true}");
  return 0;
}

}  // namespace VemoSDK::LuaHttp
