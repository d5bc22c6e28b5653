// vemosdk_patch_dir and vemosdk_patch_files. This build has no patch front
// end yet: each call still gets its one answer, the one a missing patch
// plug-in gives ({"ret":-1}), with the reason.
#include <lua.hpp>

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "lua/vemosdk_http_functions.h"

namespace VemoSDK::LuaHttp {
namespace {

int answerNotAvailable(lua_State* L, const char* name) {
  int64_t callback_id = luaL_checkinteger(L, 1);
  luaL_checkstring(L, 2);
  vemo_debug_printf("%s: patching is not available in this build", name);
  postAsyncResult(callback_id, "{\"ret\":-1,\"msg\":\"patching is not available\"}");
  return 0;
}

}  // namespace

int patchDir(lua_State* L) { return answerNotAvailable(L, "vemosdk_patch_dir"); }

int patchFiles(lua_State* L) { return answerNotAvailable(L, "vemosdk_patch_files"); }

}  // namespace VemoSDK::LuaHttp
