#include "lua/vemosdk_keystore_functions.h"

#include <cjson/cJSON.h>
#include <lua.hpp>

#include <memory>
#include <string>

#include "core/debug_log.h"
#include "core/keystore/keystore.h"
#include "core/owners.h"
#include "core/sdk_context.h"

namespace VemoSDK::LuaKeyStore {

namespace {

std::string checkedString(lua_State* L, int index) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, index, &length);
  return std::string(text, length);
}

}  // namespace

int get(lua_State* L) {
  std::optional<std::string> value = KeyStore::instance().get(checkedString(L, 1));
  if (!value) return 0;
  lua_pushlstring(L, value->data(), value->size());
  return 1;
}

int set(lua_State* L) {
  std::string key = checkedString(L, 1);
  std::string value = checkedString(L, 2);
  // Refused rather than saved: a store past the limit would not load again
  // and every value in it would be lost.
  if (!KeyStore::instance().set(key, value))
    return luaL_error(L, "keystore_set: the store would pass %d bytes", static_cast<int>(kKeyStoreMaxText));
  return 0;
}

int remove(lua_State* L) {
  KeyStore::instance().remove(checkedString(L, 1));
  return 0;
}

int clear(lua_State*) {
  KeyStore::instance().clear();
  return 0;
}

int customSubDir(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  vemo_debug_printf("_keystore_custom_sub_dir subStrCustomStr is %s\n", text);
  vemo::JsonPtr options(cJSON_Parse(text));
  const cJSON* sub_dir = cJSON_GetObjectItem(options.get(), "sub_dir");
  if (!cJSON_IsString(sub_dir)) {
    vemo_debug_printf("_keystore_custom_sub_dir sub_dir is invalid");
    return 0;
  }
  bool remove_first = cJSON_IsTrue(cJSON_GetObjectItem(options.get(), "rm_sub_dir_on_start"));
  vemo_debug_printf(remove_first ? "rm_sub_dir_on_start_obj = TRUE\n" : "rm_sub_dir_on_start_obj = FALSE\n");
  // Only a plain relative name inside the program folder is taken.
  set_custom_sub_dir(sub_dir->valuestring, remove_first ? 1 : 0);
  return 0;
}

}  // namespace VemoSDK::LuaKeyStore
