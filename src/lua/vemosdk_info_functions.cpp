// _vemosdk functions that answer at once from the SDK's own state: text
// conversion, program and SDK information, clocks and the one-shot timer.
#include <windows.h>

#include <cjson/cJSON.h>
#include <lua.hpp>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/owners.h"
#include "core/path_utils.h"
#include "core/sdk_context.h"
#include "core/sdk_paths.h"
#include "core/sdk_runtime.h"
#include "core/sdkconfig.h"
#include "core/system_clock.h"
#include "core/text_convert.h"
#include "core/thread_pool.h"
#include "lua/vemosdk_core_functions.h"
#include "lua/vemosdk_module.h"

namespace VemoSDK::LuaCore {

namespace {

// What the scripts may ask get_support_functions about, in this order, each
// with the function whose presence it promises: a feature is listed only
// when that function is built in.
struct SupportedFeature {
  const char* feature;
  const char* function;
};
constexpr SupportedFeature kSupportedFeatures[] = {
    {"http_stop", "http_stop_file"},
    {"make_dirs", "make_dirs"},
    {"start_download", "http_get_file"},
    {"http_download_range", "http_get_file"},
    {"http_cert_pin", "http_add_cert_pin"},
    {"get_screen_refresh_rate", "get_screen_refresh_rate"},
    {"batch_file_operation", "batch_copy"},
    {"file_dir_operation", "list_dir_ex"},
    {"sysinfo_memory_info", "sysinfo_memory_info"},
    {"get_disk_info_async", "get_disk_info_async"},
    {"support_file_batch_operation_base_path", "batch_copy"},
    {"media_record", "media_start_record"},
    {"support_multi_download_request", "submit_download_list"},
    {"add_local_notification", "add_local_notification"},
    {"init_jf_file_cache", "init_jf_file_cache"},
};

void pushString(lua_State* L, const std::string& text) { lua_pushlstring(L, text.data(), text.size()); }

using vemo::JsonPtr;

// Pushes the item printed without formatting; "{}" when it cannot be printed.
void pushUnformatted(lua_State* L, const cJSON* item) { pushString(L, vemo::print_json(item)); }

std::string checkedString(lua_State* L, int index) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, index, &length);
  return std::string(text, length);
}

}  // namespace

int utf8ToAcp(lua_State* L) {
  pushString(L, convert_code_page(CP_UTF8, CP_ACP, checkedString(L, 1)));
  return 1;
}

int acpToUtf8(lua_State* L) {
  pushString(L, convert_code_page(CP_ACP, CP_UTF8, checkedString(L, 1)));
  return 1;
}

int getLuaResLocation(lua_State* L) {
  pushString(L, get_program_dir_copy());
  return 1;
}

int getSupportFunctions(lua_State* L) {
  JsonPtr features(cJSON_CreateObject());
  for (const SupportedFeature& entry : kSupportedFeatures)
    if (vemosdk_function_works(entry.function)) cJSON_AddTrueToObject(features.get(), entry.feature);
  pushUnformatted(L, features.get());
  return 1;
}

int isPassiveMode(lua_State* L) {
  lua_pushnumber(L, VemoSDK::isPassiveMode());
  return 1;
}

int timerOnce(lua_State* L) {
  lua_Integer id = luaL_checkinteger(L, 1);
  lua_Number seconds = luaL_checknumber(L, 2);
  VemoSDK::timerOnce(static_cast<int32_t>(id), static_cast<float>(seconds));
  return 0;
}

int os(lua_State* L) {
  lua_pushstring(L, "windows");
  return 1;
}

int abi(lua_State* L) {
  lua_pushstring(L, "");
  return 1;
}

int binVersion(lua_State* L) {
  lua_pushstring(L, kSdkVersion);
  return 1;
}

int systemClock(lua_State* L) {
  lua_pushnumber(L, static_cast<lua_Number>(system_clock_ms()));
  return 1;
}

int systemMs(lua_State* L) {
  lua_pushnumber(L, static_cast<lua_Number>(system_clock_ms()));
  return 1;
}

int sdkinfoGetVersionName(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  lua_pushstring(L, std::strcmp(name, "VEMOSDK") == 0 ? kSdkVersion : "");
  return 1;
}

int getSdkInfos(lua_State* L) {
  VemoSDKContextPtr context = vemosdk_get_context();
  JsonPtr infos(sdk_infos_of(context ? context->config.get() : nullptr));
  pushUnformatted(L, infos.get());
  return 1;
}

int decryptSdkconfig(lua_State* L) {
  vemo::MallocPtr<char> text(lua_type(L, 1) == LUA_TSTRING ? vemosdk_decrypt_sdkconfig(lua_tostring(L, 1)) : nullptr);
  if (text) lua_pushstring(L, text.get());
  else lua_pushnil(L);
  return 1;
}

int getSdkconfigPath(lua_State* L) {
  pushString(L, vemosdk_get_sdkconfig_path());
  return 1;
}

int getResourcesPath(lua_State* L) {
  pushString(L, vemosdk_get_resources_path());
  return 1;
}

int getPaths(lua_State* L) {
  pushString(L, vemosdk_get_paths());
  return 1;
}

int getCommandLine(lua_State* L) {
  lua_pushstring(L, GetCommandLineA());
  return 1;
}

}  // namespace VemoSDK::LuaCore
