#pragma once
// The _vemosdk key store functions, and the choice of the private sub-folder
// that holds the store.
struct lua_State;

namespace VemoSDK::LuaKeyStore {

int get(lua_State* L);
int set(lua_State* L);
int remove(lua_State* L);
int clear(lua_State* L);
int customSubDir(lua_State* L);

}  // namespace VemoSDK::LuaKeyStore
