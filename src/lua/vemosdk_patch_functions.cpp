// vemosdk_patch_dir and vemosdk_patch_files: the patch front end answers
// each call once (patch/patch.h).
#include <lua.hpp>

#include "core/json_utils.h"
#include "core/owners.h"
#include "core/program_relative.h"
#include "lua/vemosdk_http_functions.h"
#include "patch/patch.h"

namespace VemoSDK::LuaHttp {

int patchDir(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  const char* text = luaL_checkstring(L, 2);
  vemo::JsonPtr root(cJSON_Parse(text));
  if (!cJSON_IsObject(root.get())) return 0;  // a text that does not parse does nothing
  auto path = [&](const char* key) { return in_program_folder(json_string_or_empty(root.get(), key)); };
  _vemosdk_patch_dir(callback_id, path("oldDirPath").c_str(), path("resPkgDirPath").c_str(),
                     path("patchFilePath").c_str(), path("newDirPath").c_str());
  return 0;
}

int patchFiles(lua_State* L) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  _vemosdk_patch_files(callback_id, luaL_checkstring(L, 2));
  return 0;
}

}  // namespace VemoSDK::LuaHttp
