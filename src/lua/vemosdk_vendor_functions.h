#pragma once
// The _vemosdk functions that reach vendors by key (vendor/vendor_proxy.h).
struct lua_State;

namespace VemoSDK::LuaVendor {

int vendorCast(lua_State* L);
int vendorSyncCall(lua_State* L);
int vendorAsyncCall(lua_State* L);

}  // namespace VemoSDK::LuaVendor
