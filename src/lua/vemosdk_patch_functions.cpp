// vemosdk_patch_dir and vemosdk_patch_files: the patch front end answers
// each call once (patch/patch.h).
#include <lua.hpp>

#include "core/json_utils.h"
#include "core/owners.h"
#include "lua/vemosdk_http_functions.h"
#include "patch/patch.h"

namespace VemoSDK::LuaHttp {

int patchDir(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  const char* text = luaL_checkstring(L, 2);
  vemo::JsonPtr root(cJSON_Parse(text));
  if (!cJSON_IsObject(root.get())) return 0;  // a text that does not parse does nothing
  _vemosdk_patch_dir(callback_id, json_string_or_empty(root.get(), "oldDirPath").c_str(),
                     json_string_or_empty(root.get(), "resPkgDirPath").c_str(),
                     json_string_or_empty(root.get(), "patchFilePath").c_str(),
                     json_string_or_empty(root.get(), "newDirPath").c_str());
  return 0;
}

int patchFiles(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  _vemosdk_patch_files(callback_id, luaL_checkstring(L, 2));
  return 0;
}

}  // namespace VemoSDK::LuaHttp
