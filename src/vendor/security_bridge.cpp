#include "vendor/security_bridge.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/keystore/device_id.h"
#include "core/lua_posts.h"
#include "core/md5.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "core/win_utils.h"
#include "vendor/vendor_proxy.h"

namespace VemoSDK::Security {

namespace {

using vemo::json_quoted;

constexpr const char* kHostKeys[] = {"gameVersion", "channelId", "utdid",  "subCh",
                                     "product",     "region",    "gameId", "extraConfig"};

// The bridge's state. The values are read by the DLL's threads: they are
// copied under the lock, and every text handed out is interned, so a later
// update never frees a text the DLL still reads.
std::mutex g_lock;
HMODULE g_module = nullptr;
std::string g_md5;
std::map<std::string, std::string> g_values;
std::set<std::string> g_handed_out;
GsUmid* g_umid = nullptr;
GsData* g_data = nullptr;
GsAsyncCall* g_async = nullptr;
GsSyncCall* g_sync = nullptr;

std::wstring gs_dll_dir() { return get_module_relative_path(L"vendors\\gs", false); }
std::wstring gs_dll_path() { return gs_dll_dir() + L"\\gs.dll"; }

void set_value(const char* key, const char* value, const char* log_format) {
  if (!value) return;
  vemo_debug_printf(log_format, value);
  std::lock_guard<std::mutex> lock(g_lock);
  g_values[key] = value;
}


// The gs.dll path with each backslash as two slashes.
std::string stat_path() {
  std::string path = wstring_to_utf8(gs_dll_path()), out;
  for (char c : path) out += c == '\\' ? std::string("//") : std::string(1, c);
  return out;
}

std::string md5_copy() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_md5;
}

// err_code, err, gs_dll_path, "md5 " and is_upload_now, as the statistics expect them.
std::string load_failure_text(DWORD code) {
  std::string message = wstring_to_utf8(windows_error_text(code));
  std::string cleaned;
  for (char c : message)
    if (c != '\r' && c != '\n') cleaned += c;
  return "{\"err_code\":" + json_quoted(std::to_string(code)) + ", \"err\":" + json_quoted(cleaned) +
         ", \"gs_dll_path\":" + json_quoted(stat_path()) + ", \"md5\" :" + json_quoted(md5_copy()) +
         ", \"is_upload_now\":true}";
}

void on_umid_result(const char* token, int error_code) {
  if (error_code != 0) {
    vemo_debug_printf("security init umid fail, errorCode:[%d]\n", error_code);
    std::string text = "{\"err_code\":" + json_quoted(std::to_string(error_code)) + ",  \"gs_dll_path\":" +
                       json_quoted(stat_path()) + ", \"md5\" :" + json_quoted(md5_copy()) +
                       ", \"is_upload_now\":true}";
    vemo_debug_printf("security init umid fail, stat_action, param: %s \n", text.c_str());
    postVendorStat("umid_err", "umid_callback_fail", 0, text.c_str());
    return;
  }
  vemo_debug_printf("security init umid success, token:[%s]\n", token ? token : "");
  std::string text = "{\"umid_token\":" + json_quoted(token ? token : "") +
                     ", \"gs_dll_path\":" + json_quoted(stat_path()) + ", \"md5\" :" + json_quoted(md5_copy()) +
                     ", \"is_upload_now\":true}";
  vemo_debug_printf("security init umid success, stat_action, param: %s \n", text.c_str());
  postVendorStat("umid_action", "umid_callback_succ", 1, text.c_str());
}

void on_async_result(void*, const char* result, const char* user_data, void*, int status) {
  vemo::JsonPtr user(cJSON_Parse(user_data ? user_data : ""));
  const cJSON* cbid = cJSON_GetObjectItemCaseSensitive(user.get(), "cbid");
  post_async_result(cJSON_IsNumber(cbid) ? cbid->valueint : -1, status, result);
}

// Loads gs.dll unless it is loaded; the module stays for the process.
HMODULE gs_module() {
  std::lock_guard<std::mutex> lock(g_lock);
  if (!g_module) g_module = LoadLibraryW(to_long_path(gs_dll_path()).c_str());
  return g_module;
}

QueryInterface query_interface(HMODULE module) {
  return reinterpret_cast<QueryInterface>(reinterpret_cast<void*>(GetProcAddress(module, "QueryInterface")));
}

}  // namespace

void update_data(const cJSON* json) {
  set_value("region", json_get_string(json, "region"), "security update_data g_region=%s \n");
  set_value("gameVersion", json_get_string(json, "game_version"), "security update_data g_gameVersion=%s \n");
  set_value("gameId", json_get_string(json, "gameid"), "security update_data g_gameId=%s \n");
  set_value("product", json_get_string(json, "product"), "security update_data g_product=%s \n");
  const cJSON* extra = cJSON_GetObjectItemCaseSensitive(json, "extra_params");
  if (!cJSON_IsObject(extra)) return;
  vemo::JsonText printed(cJSON_Print(extra));
  set_value("extraConfig", printed.get(), "security update_extra_data g_extraConfig=%s \n");
  set_value("gameId", json_get_string(extra, "gid"), "security update_extra_data g_gameId=%s \n");
  set_value("channelId", json_get_string(extra, "ch"), "security update_extra_data g_channelID=%s \n");
  set_value("subCh", json_get_string(extra, "subCh"), "security update_extra_data g_subCh=%s \n");
  set_value("product", json_get_string(extra, "product"), "security update_extra_data g_product=%s \n");
}

const char* host_info(const char* key, int* length) {
  if (!key) return "";
  for (const char* known : kHostKeys) {
    if (std::strcmp(known, key) != 0) continue;
    std::lock_guard<std::mutex> lock(g_lock);
    const std::string& text = *g_handed_out.insert(g_values[key]).first;
    if (length) *length = static_cast<int>(text.size());
    return text.c_str();
  }
  return "";
}

int init_umid() {
  std::string utdid = vmsdk_get_device_id();
  set_value("utdid", utdid.c_str(), "security update_data g_utdid=%s \n");
  HMODULE module = gs_module();
  if (!module) {
    DWORD code = GetLastError();
    std::string text = load_failure_text(code);
    vemo_debug_printf("security umid_load_gs_dll_fail, stat_action, param: %s \n", text.c_str());
    postVendorStat("umid_err", "umid_load_gs_dll_fail", 0, text.c_str());
    return 0;
  }
  vemo::MallocPtr<char> md5(vemo_file_md5_hex(to_long_path(gs_dll_path()).c_str(), 32));
  {
    std::lock_guard<std::mutex> lock(g_lock);
    g_md5 = md5 ? md5.get() : "";
  }
  auto init = reinterpret_cast<InitOVGS>(reinterpret_cast<void*>(GetProcAddress(module, "InitOVGS")));
  QueryInterface query = query_interface(module);
  if (!query) {
    vemo_debug_printf("security does not support QueryInterface");
    return 0;
  }
  if (init) init(host_info);
  int result = 0;
  void* out = nullptr;
  if (query(1, 0, &out) && out) {
    g_umid = static_cast<GsUmid*>(out);
    vemo_debug_printf("security pUmid = %p\n", out);
    g_umid->start(0, on_umid_result);
    result = 1;
  } else {
    vemo_debug_printf("security does not support umid");
  }
  out = nullptr;
  if (query(2, 0, &out) && out) {
    g_data = static_cast<GsData*>(out);
  } else {
    vemo_debug_printf("security does not support gsData");
    result = 0;
  }
  out = nullptr;
  if (query(3, 0, &out) && out)
    g_async = static_cast<GsAsyncCall*>(out);
  else
    vemo_debug_printf("security does not support async call");
  init_sync_call();
  return result;
}

void init_sync_call() {
  vemo_debug_printf("vmsdk_init_sec_sync_call begin >> \n");
  if (g_sync) return;
  HMODULE module = gs_module();
  QueryInterface query = module ? query_interface(module) : nullptr;
  if (!query) {
    vemo_debug_printf("security does not support QueryInterface");
    return;
  }
  void* out = nullptr;
  if (query(4, 0, &out) && out)
    g_sync = static_cast<GsSyncCall*>(out);
  else
    vemo_debug_printf("security does not support sync call");
}

namespace {

char* copy_text(const char* text) {
  if (!text) return nullptr;
  size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy) std::memcpy(copy, text, size);
  return copy;
}

}  // namespace

char* get_token() {
  if (!g_umid) {
    vemo_debug_printf("security sdk pUmid is null, get_security_token return NULL\n");
    return nullptr;
  }
  vemo_debug_printf("security sdk installed now get security token\n");
  const char* token = g_umid->token(0);
  vemo_debug_printf("security UMIDToken is %s\n", token ? token : "");
  char* copy = copy_text(token);  // a null token stays null
  if (token) g_umid->release(token);
  return copy;
}

char* get_mw() {
  if (!g_data) {
    vemo_debug_printf("security sdk pGsData is null, get_mw return NULL\n");
    return nullptr;
  }
  vemo_debug_printf("security sdk get_mw \n");
  const char* mw = g_data->get();
  vemo_debug_printf("security mw is %s\n", mw ? mw : "");
  char* copy = copy_text(mw);
  if (mw) g_data->release(mw);
  return copy;
}

bool sync_call(const std::string& type, const std::string& json, std::string& answer) {
  if (!g_sync) {
    vemo_debug_printf("security gs_sync_call failed, pSyncCall is null\n");
    vemo_debug_printf("callType:%s\n", type.c_str());
    vemo_debug_printf("json:%s\n", json.c_str());
    return false;
  }
  const char* text = g_sync->call(type.c_str(), json.c_str(), 0, 0);
  if (!text) return false;
  answer = text;
  g_sync->release(text);
  return true;
}

void async_call(const std::string& type, const std::string& json, int callback_id) {
  if (!g_async) {
    vemo_debug_printf("security gs_async_call failed, pAsyncCallObj is null\n");
    vemo_debug_printf("type:%s\n", type.c_str());
    vemo_debug_printf("param:%s\n", json.c_str());
    postAsyncResult(callback_id, R"({"code":false,"body":{"msg":"Security not loaded or not supported"}})");
    return;
  }
  char user_data[32];
  int length = std::snprintf(user_data, sizeof user_data, "{\"cbid\": %d}", callback_id);
  g_async->call(type.c_str(), json.c_str(), on_async_result, user_data, length);
}

void post_async_result(int callback_id, int status, const char* result) {
  if (callback_id < 0) return;
  vemo::JsonPtr answer(cJSON_CreateObject());
  cJSON_AddBoolToObject(answer.get(), "code", status == 200);
  if (cJSON* body = cJSON_Parse(result ? result : "")) cJSON_AddItemToObject(answer.get(), "body", body);
  postAsyncResult(callback_id, vemo::print_json(answer.get()).c_str());
}

}  // namespace VemoSDK::Security
