#pragma once
// The _vemosdk voice functions: each takes a callback id and a JSON request
// and hands both to the voice operations, which answer the id.
struct lua_State;

namespace VemoSDK::LuaMedia {

int startRecord(lua_State* L);
int stopRecord(lua_State* L);
int startPlay(lua_State* L);
int stopPlay(lua_State* L);
int deleteRecords(lua_State* L);

}  // namespace VemoSDK::LuaMedia
