#include "lua/vemosdk_vendor_functions.h"

#include <lua.hpp>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/lua_posts.h"
#include "core/owners.h"
#include "vendor/vendor_proxy.h"

namespace VemoSDK::LuaVendor {

namespace {

// A text member of the table at index, or null.
const char* textField(lua_State* L, int index, const char* key) {
  lua_getfield(L, index, key);
  const char* text = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : nullptr;
  lua_pop(L, 1);  // the table still holds the text
  return text;
}

}  // namespace

int vendorCast(lua_State* L) {
  _vemosdk_vendor_cast(luaL_checkstring(L, 1), luaL_checkstring(L, 2), luaL_checkstring(L, 3));
  return 0;
}

int vendorSyncCall(lua_State* L) {
  vemo::MallocPtr<char> answer(
      _vemosdk_vendor_sync_call(luaL_checkstring(L, 1), luaL_checkstring(L, 2), luaL_checkstring(L, 3)));
  lua_pushstring(L, answer ? answer.get() : "{}");
  return 1;
}

int vendorAsyncCall(lua_State* L) {
  const auto callback_id = static_cast<int32_t>(luaL_checkinteger(L, 1));
  luaL_checktype(L, 2, LUA_TTABLE);
  const char* channel = textField(L, 2, "channel");
  const char* type = textField(L, 2, "type");
  const char* params = textField(L, 2, "params");
  if (!channel || !type || !params) {
    // Answered all the same: a callback id is answered exactly once.
    postAsyncResult(callback_id, R"({"succ":false,"code":7016008,"msg":"channel, type and params are needed"})");
    return 0;
  }
  _vemosdk_vendor_async_call(channel, type, callback_id, params);
  return 0;
}

}  // namespace VemoSDK::LuaVendor
