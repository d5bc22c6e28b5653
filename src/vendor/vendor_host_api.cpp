#include "vendor/vendor_host_api.h"

#include <cjson/cJSON.h>

#include <cstdarg>
#include <cstdlib>

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/lua_posts.h"
#include "core/owners.h"
#include "core/sdk_runtime.h"
#include "vendor/vendor_dll_loader.h"

namespace {

// The name is copied too, so a plug-in may post from any memory it likes;
// what it hands over is freed here, once copied.
void post_lua_event(const char* name, int64_t id, char* json, void* buffer, int length) {
  vemo::MallocPtr<char> owned_json(json);
  vemo::MallocPtr<void> owned_buffer(buffer);
  if (name) VemoSDK::postLuaEvent(name, id, json, buffer, buffer ? length : 0);
}

void debug_print(const char* format, ...) {
  if (!format) return;
  va_list args;
  va_start(args, format);
  vemo_debug_vprintf(format, args);
  va_end(args);
}

const char* json_string(cJSON* object, const char* key) { return key ? json_get_string(object, key) : nullptr; }

int json_int(cJSON* object, const char* key) { return key ? json_get_int(object, key) : 0; }

cJSON* json_first_child(cJSON* object, const char* key) {
  if (!object || !key) return nullptr;
  cJSON* member = cJSON_GetObjectItemCaseSensitive(object, key);
  return member && (cJSON_IsArray(member) || cJSON_IsObject(member)) ? member->child : nullptr;
}

}  // namespace

VendorHostApi makeVendorHostApi() {
  return VendorHostApi{post_lua_event, loadDllInVendors, debug_print, vmsdk_get_main_hwnd,
                       json_string,    json_int,         json_first_child};
}
