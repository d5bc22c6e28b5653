#pragma once
// The _vemosdk batch file functions: each reads its options, starts a batch
// worker and answers once through its callback id.
struct lua_State;

namespace VemoSDK::LuaBatch {

int listDirEx(lua_State* L);
int batchRename(lua_State* L);
int batchRemove(lua_State* L);
int batchCopy(lua_State* L);
int batchMd5(lua_State* L);
int batchInfo(lua_State* L);

}  // namespace VemoSDK::LuaBatch
